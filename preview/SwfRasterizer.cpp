// Coverage accumulation: each edge adds its signed area per cell, a running sum along the row gives coverage.
#include "preview/SwfRasterizer.h"

#include <algorithm>
#include <cmath>

namespace
{

constexpr int kBandRows = 32;
// Points farther out than this many pixels are held there; nothing visible changes.
constexpr double kMaxCoordinate = 1e9;

// Integral of the part of pixel j lying right of x', for x' from j up to x (see AccumulateRow).
inline double RightArea(int j, double x)
{
    if (x <= j)
        return x - j;
    if (x >= j + 1)
        return 0.5;
    const double u = j + 1 - x;
    return 0.5 * (1.0 - u * u);
}

} // namespace

void CSwfRasterizer::Reset(int left, int top, int right, int bottom)
{
    m_nLeft = left;
    m_nTop = top;
    m_nRight = std::max(left, right);
    m_nBottom = std::max(top, bottom);
    m_lines.clear();
    m_fMinX = m_fMinY = HUGE_VAL;
    m_fMaxX = m_fMaxY = -HUGE_VAL;
}

void CSwfRasterizer::AddLine(double x0, double y0, double x1, double y1)
{
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1))
        return;
    x0 = std::clamp(x0, -kMaxCoordinate, kMaxCoordinate);
    x1 = std::clamp(x1, -kMaxCoordinate, kMaxCoordinate);
    y0 = std::clamp(y0, -kMaxCoordinate, kMaxCoordinate);
    y1 = std::clamp(y1, -kMaxCoordinate, kMaxCoordinate);
    if (y0 == y1)
        return;
    Line line;
    if (y0 < y1)
        line = {x0, y0, x1, y1, 1.0f};
    else
        line = {x1, y1, x0, y0, -1.0f};
    if (line.y1 <= m_nTop || line.y0 >= m_nBottom)
        return;
    m_lines.push_back(line);
    m_fMinX = std::min({m_fMinX, x0, x1});
    m_fMaxX = std::max({m_fMaxX, x0, x1});
    m_fMinY = std::min(m_fMinY, line.y0);
    m_fMaxY = std::max(m_fMaxY, line.y1);
}

// Adds the signed area of a piece of edge within one row. The piece runs from xa to xb (buffer
// coordinates) over a height d (signed by direction). Pixel j's coverage from it is d times the mean,
// along the piece, of the fraction of the pixel right of the edge; the buffer holds differences of
// that between neighbouring pixels, so a running sum along the row restores it.
void CSwfRasterizer::AccumulateRow(float *acc, double xa, double xb, double d, int &minCell, int &maxCell) const
{
    const int width = m_nWidth;
    if (xa > xb)
        std::swap(xa, xb);
    if (xb <= 0)
    {
        acc[0] += static_cast<float>(d);
        minCell = 0;
        maxCell = std::max(maxCell, 0);
        return;
    }
    if (xa >= width)
        return;
    const int i0 = static_cast<int>(std::floor(std::max(xa, -1.0)));
    const int i1 = static_cast<int>(std::floor(std::min(xb, static_cast<double>(width))));
    if (i0 == i1)
    {
        const double right = (i0 + 1) - 0.5 * (xa + xb);
        acc[i0] += static_cast<float>(d * right);
        acc[i0 + 1] += static_cast<float>(d * (1.0 - right));
        minCell = std::min(minCell, i0);
        maxCell = std::max(maxCell, i0 + 1);
        return;
    }
    const double inverse = 1.0 / (xb - xa);
    const int first = std::max(i0, 0);
    const int last = std::min(i1, width - 1);
    double previous = 0.0;
    for (int j = first; j <= last; ++j)
    {
        const double area = (RightArea(j, xb) - RightArea(j, xa)) * inverse;
        acc[j] += static_cast<float>(d * (area - previous));
        previous = area;
    }
    acc[last + 1] += static_cast<float>(d * (1.0 - previous));
    minCell = std::min(minCell, first);
    maxCell = std::max(maxCell, last + 1);
}

void CSwfRasterizer::Sweep(ISwfSpanSink &sink)
{
    if (m_lines.empty() || m_nRight <= m_nLeft || m_nBottom <= m_nTop)
        return;
    if (m_fMaxX <= m_nLeft)
        return; // a closed outline wholly left of the clip covers nothing inside it
    const int x0 =
        static_cast<int>(std::clamp(std::floor(m_fMinX), static_cast<double>(m_nLeft), static_cast<double>(m_nRight)));
    const int x1 =
        static_cast<int>(std::clamp(std::ceil(m_fMaxX), static_cast<double>(m_nLeft), static_cast<double>(m_nRight)));
    if (x1 <= x0)
        return;
    const int y0 = static_cast<int>(std::max(std::floor(m_fMinY), static_cast<double>(m_nTop)));
    const int y1 = static_cast<int>(std::min(std::ceil(m_fMaxY), static_cast<double>(m_nBottom)));
    m_nWidth = x1 - x0;
    const size_t rowCells = static_cast<size_t>(m_nWidth) + 2;
    m_acc.assign(rowCells * kBandRows, 0.0f);
    m_coverage.resize(static_cast<size_t>(m_nWidth));
    std::sort(m_lines.begin(), m_lines.end(), [](const Line &a, const Line &b) { return a.y0 < b.y0; });
    m_active.clear();
    size_t next = 0;
    int rowMin[kBandRows], rowMax[kBandRows];
    for (int band = y0; band < y1; band += kBandRows)
    {
        const int bandEnd = std::min(band + kBandRows, y1);
        while (next < m_lines.size() && m_lines[next].y0 < bandEnd)
            m_active.push_back(next++);
        for (size_t i = 0; i < m_active.size();)
        {
            if (m_lines[m_active[i]].y1 <= band)
            {
                m_active[i] = m_active.back();
                m_active.pop_back();
            }
            else
                ++i;
        }
        for (int r = 0; r < kBandRows; ++r)
        {
            rowMin[r] = m_nWidth;
            rowMax[r] = -1;
        }
        for (size_t index : m_active)
        {
            const Line &line = m_lines[index];
            const int first = std::max(static_cast<int>(std::floor(line.y0)), band);
            const int last = std::min(static_cast<int>(std::ceil(line.y1)), bandEnd);
            const double height = line.y1 - line.y0;
            for (int row = first; row < last; ++row)
            {
                const double yt = std::max(line.y0, static_cast<double>(row));
                const double yb = std::min(line.y1, static_cast<double>(row + 1));
                if (yb <= yt)
                    continue;
                const double xa = line.x0 + (yt - line.y0) / height * (line.x1 - line.x0) - x0;
                const double xb = line.x0 + (yb - line.y0) / height * (line.x1 - line.x0) - x0;
                const int r = row - band;
                AccumulateRow(m_acc.data() + static_cast<size_t>(r) * rowCells, xa, xb, line.dir * (yb - yt), rowMin[r],
                              rowMax[r]);
            }
        }
        for (int row = band; row < bandEnd; ++row)
        {
            const int r = row - band;
            float *acc = m_acc.data() + static_cast<size_t>(r) * rowCells;
            if (rowMax[r] < 0)
                continue;
            double sum = 0.0;
            int end = rowMin[r];
            for (int i = rowMin[r]; i < m_nWidth; ++i)
            {
                if (i > rowMax[r] && std::fabs(sum) < 1e-6)
                    break;
                sum += acc[i];
                acc[i] = 0.0f;
                const double c = std::fabs(sum);
                m_coverage[static_cast<size_t>(i - rowMin[r])] = static_cast<float>(c > 1.0 ? 1.0 : c);
                end = i + 1;
            }
            acc[m_nWidth] = 0.0f;
            acc[m_nWidth + 1] = 0.0f;
            if (end > rowMin[r])
                sink.Span(row, x0 + rowMin[r], end - rowMin[r], m_coverage.data());
        }
    }
}
