// Bitmap fill spans: nearest, bilinear or area-averaged sampling.
#include "preview/SwfBitmapPaint.h"

#include <algorithm>
#include <cmath>

namespace
{

// More texels than this under one pixel (only once the smallest level is reached) are sampled evenly.
constexpr int kMaxTapsPerAxis = 64;
// Beyond this ratio along the longer axis a smaller level is taken even if the shorter axis blurs.
constexpr double kMaxAnisotropy = 16.0;

uint32_t PackRounded(const float *sum)
{
    uint32_t packed = 0;
    for (int c = 0; c < 4; ++c)
    {
        const float v = sum[c] + 0.5f;
        const unsigned byte = v >= 255.0f ? 255u : v <= 0.0f ? 0u : static_cast<unsigned>(v);
        packed |= byte << (8 * c);
    }
    // Keep colours within alpha after rounding.
    const unsigned a = packed >> 24;
    for (int c = 0; c < 3; ++c)
        if (((packed >> (8 * c)) & 0xFF) > a)
            packed = (packed & ~(0xFFu << (8 * c))) | (a << (8 * c));
    return packed;
}

inline void AddWeighted(float *sum, uint32_t p, float w)
{
    sum[0] += (p & 0xFF) * w;
    sum[1] += ((p >> 8) & 0xFF) * w;
    sum[2] += ((p >> 16) & 0xFF) * w;
    sum[3] += (p >> 24) * w;
}

} // namespace

CSwfBitmapPaint::CSwfBitmapPaint(Raster &target, CSwfBitmapStore &store, SwfDecodedBitmap &bitmap,
                                 const SwfAffine &pixelsToBitmap, bool repeat, bool smooth, const SwfColorMap &colours,
                                 int clipLeft, int clipRight)
    : CSwfPaint(target), m_bRepeat(repeat), m_bIdentityColours(colours.IsIdentity()), m_colours(colours),
      m_nClipLeft(clipLeft)
{
    // Level adds levels to the bitmap, so no reference into them is held across it.
    const int baseWidth = bitmap.levels[0].width, baseHeight = bitmap.levels[0].height;
    const SwfAffine &m = pixelsToBitmap;
    m_bAxisAligned = std::fabs(m.b) < 1e-12 && std::fabs(m.c) < 1e-12;
    // Texels crossed per target pixel along the target's x and y.
    const double fx = std::hypot(m.a, m.b);
    const double fy = std::hypot(m.c, m.d);
    int level = 0;
    if (smooth)
    {
        const double shorter = m_bAxisAligned ? std::min(fx, fy) : std::max(fx, fy);
        const double longer = std::max(fx, fy);
        if (shorter >= 2.0 && std::isfinite(shorter))
            level = static_cast<int>(std::floor(std::log2(std::min(shorter, 1e9))));
        while (level < 30 && std::isfinite(longer) && longer / std::ldexp(1.0, level) > kMaxAnisotropy)
            ++level;
    }
    m_pImage = &store.Level(bitmap, level);
    const double sx = static_cast<double>(m_pImage->width) / baseWidth;
    const double sy = static_cast<double>(m_pImage->height) / baseHeight;
    m_toTexels = {m.a * sx, m.b * sy, m.c * sx, m.d * sy, m.tx * sx, m.ty * sy};
    const bool unitScale = m_bAxisAligned && std::fabs(fx - 1.0) < 1e-6 && std::fabs(fy - 1.0) < 1e-6;
    m_bNearest = !smooth || unitScale;
    if (m_bAxisAligned && clipRight > clipLeft)
        BuildAxis(m_columns, m_toTexels.a, m_toTexels.tx, clipLeft, clipRight - clipLeft, m_pImage->width);
}

int CSwfBitmapPaint::Wrap(double coordinate, int size) const
{
    if (!std::isfinite(coordinate))
        return 0;
    const double f = std::floor(std::clamp(coordinate, -4e15, 4e15));
    int64_t i = static_cast<int64_t>(f);
    if (m_bRepeat)
    {
        i %= size;
        if (i < 0)
            i += size;
        return static_cast<int>(i);
    }
    return static_cast<int>(std::clamp<int64_t>(i, 0, size - 1));
}

void CSwfBitmapPaint::BuildAxis(Axis &axis, double scale, double offset, int first, int count, int size) const
{
    axis.starts.resize(static_cast<size_t>(count) + 1);
    axis.taps.clear();
    for (int k = 0; k < count; ++k)
    {
        const int pixel = first + k;
        double lo = scale * pixel + offset;
        double hi = scale * (pixel + 1) + offset;
        if (lo > hi)
            std::swap(lo, hi);
        axis.starts[static_cast<size_t>(k)] = static_cast<uint32_t>(axis.taps.size());
        const double length = hi - lo;
        if (!std::isfinite(length) || m_bNearest)
        {
            axis.taps.push_back({Wrap(0.5 * (lo + hi), size), 1.0f});
        }
        else if (length <= 1.0 + 1e-9)
        {
            const double centre = 0.5 * (lo + hi) - 0.5;
            const double f = std::floor(centre);
            const double w = centre - f;
            if (w < 1e-6)
                axis.taps.push_back({Wrap(f + 0.5, size), 1.0f});
            else if (w > 1.0 - 1e-6)
                axis.taps.push_back({Wrap(f + 1.5, size), 1.0f});
            else
            {
                axis.taps.push_back({Wrap(f + 0.5, size), static_cast<float>(1.0 - w)});
                axis.taps.push_back({Wrap(f + 1.5, size), static_cast<float>(w)});
            }
        }
        else if (length > kMaxTapsPerAxis)
        {
            for (int s = 0; s < kMaxTapsPerAxis; ++s)
                axis.taps.push_back({Wrap(lo + (s + 0.5) * length / kMaxTapsPerAxis, size), 1.0f / kMaxTapsPerAxis});
        }
        else
        {
            for (double t = std::floor(lo); t < hi; t += 1.0)
            {
                const double overlap = std::min(hi, t + 1.0) - std::max(lo, t);
                if (overlap > 1e-9)
                    axis.taps.push_back({Wrap(t + 0.5, size), static_cast<float>(overlap / length)});
            }
        }
    }
    axis.starts[static_cast<size_t>(count)] = static_cast<uint32_t>(axis.taps.size());
}

uint32_t CSwfBitmapPaint::ApplyColours(uint32_t p) const
{
    const unsigned a = p >> 24;
    SwfRgba straight{0, 0, 0, static_cast<uint8_t>(a)};
    if (a > 0)
    {
        auto unmul = [a](unsigned v) { return static_cast<uint8_t>(std::min(255u, (v * 255 + a / 2) / a)); };
        straight.red = unmul(p & 0xFF);
        straight.green = unmul((p >> 8) & 0xFF);
        straight.blue = unmul((p >> 16) & 0xFF);
    }
    const SwfRgba c = m_colours.Apply(straight);
    const unsigned alpha = c.alpha;
    return static_cast<uint32_t>((c.red * alpha + 127) / 255) | ((c.green * alpha + 127) / 255) << 8 |
           ((c.blue * alpha + 127) / 255) << 16 | alpha << 24;
}

uint32_t CSwfBitmapPaint::SampleGeneral(double u, double v) const
{
    const int w = m_pImage->width, h = m_pImage->height;
    if (m_bNearest)
        return Texel(Wrap(u, w), Wrap(v, h));
    const double cu = u - 0.5, cv = v - 0.5;
    if (!std::isfinite(cu) || !std::isfinite(cv))
        return Texel(0, 0);
    const double fu = std::floor(cu), fv = std::floor(cv);
    const float wu = static_cast<float>(cu - fu), wv = static_cast<float>(cv - fv);
    const int x0 = Wrap(fu + 0.5, w), x1 = Wrap(fu + 1.5, w);
    const int y0 = Wrap(fv + 0.5, h), y1 = Wrap(fv + 1.5, h);
    float sum[4] = {0, 0, 0, 0};
    AddWeighted(sum, Texel(x0, y0), (1 - wu) * (1 - wv));
    AddWeighted(sum, Texel(x1, y0), wu * (1 - wv));
    AddWeighted(sum, Texel(x0, y1), (1 - wu) * wv);
    AddWeighted(sum, Texel(x1, y1), wu * wv);
    return PackRounded(sum);
}

void CSwfBitmapPaint::Span(int y, int x, int count, const float *coverage)
{
    uint8_t *dst = Pixel(x, y);
    if (!m_bAxisAligned)
    {
        for (int i = 0; i < count; ++i, dst += 3)
        {
            if (coverage[i] <= 0.0f)
                continue;
            double u, v;
            m_toTexels.Apply(x + i + 0.5, y + 0.5, u, v);
            uint32_t p = SampleGeneral(u, v);
            if (!m_bIdentityColours)
                p = ApplyColours(p);
            Emit(x + i, y, dst, p, coverage[i]);
        }
        return;
    }
    if (y != m_nRowY)
    {
        BuildAxis(m_row, m_toTexels.d, m_toTexels.ty, y, 1, m_pImage->height);
        m_nRowY = y;
        m_bRowSummed = false;
    }
    const Tap *rowTaps = m_row.taps.data();
    const size_t rowCount = m_row.taps.size();
    const uint32_t *single =
        rowCount == 1 ? m_pImage->pixels.data() + static_cast<size_t>(rowTaps[0].index) * m_pImage->width : nullptr;
    if (!single && !m_bRowSummed)
    {
        // Rows under this target row, weighted once for the whole row of texels.
        m_rowSum.assign(4 * static_cast<size_t>(m_pImage->width), 0.0f);
        for (size_t r = 0; r < rowCount; ++r)
        {
            const uint32_t *line = m_pImage->pixels.data() + static_cast<size_t>(rowTaps[r].index) * m_pImage->width;
            for (int t = 0; t < m_pImage->width; ++t)
                AddWeighted(&m_rowSum[4 * static_cast<size_t>(t)], line[t], rowTaps[r].weight);
        }
        m_bRowSummed = true;
    }
    for (int i = 0; i < count; ++i, dst += 3)
    {
        if (coverage[i] <= 0.0f)
            continue;
        const size_t column = static_cast<size_t>(x + i - m_nClipLeft);
        const uint32_t begin = m_columns.starts[column], end = m_columns.starts[column + 1];
        uint32_t p;
        if (single && end - begin == 1)
            p = single[m_columns.taps[begin].index];
        else
        {
            float sum[4] = {0, 0, 0, 0};
            for (uint32_t t = begin; t < end; ++t)
            {
                const Tap &tap = m_columns.taps[t];
                if (single)
                    AddWeighted(sum, single[tap.index], tap.weight);
                else
                {
                    const float *q = &m_rowSum[4 * static_cast<size_t>(tap.index)];
                    sum[0] += q[0] * tap.weight;
                    sum[1] += q[1] * tap.weight;
                    sum[2] += q[2] * tap.weight;
                    sum[3] += q[3] * tap.weight;
                }
            }
            p = PackRounded(sum);
        }
        if (!m_bIdentityColours)
            p = ApplyColours(p);
        Emit(x + i, y, dst, p, coverage[i]);
    }
}
