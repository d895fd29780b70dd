// Frame rendering: stage fitting, occlusion by an opaque full-stage shape, shapes, buttons, fills and lines.
#include "preview/SwfRenderer.h"

#include "preview/SwfBitmapPaint.h"
#include "preview/SwfGradientPaint.h"
#include "preview/SwfSolidPaint.h"

#include <algorithm>
#include <cmath>

namespace
{

// Flattened path segments and character draws one frame may take; beyond them drawing stops, so a
// hostile movie cannot hold the player for long.
constexpr size_t kMaxSegmentsPerFrame = 2000000;
constexpr size_t kMaxDrawsPerFrame = 100000;
// Curves are flattened to within this many pixels.
constexpr double kFlatness = 0.1;
constexpr int kMaxCurveSteps = 64;
constexpr uint32_t kReversed = 0x80000000u;
// Largest target the renderer fills.
constexpr uint64_t kMaxTargetPixels = 100000000;
// Largest layer (see SwfLayer) for the fills of one shape; beyond it the fills go straight to the target.
constexpr uint64_t kMaxLayerPixels = 1u << 21;

int CurveSteps(double x0, double y0, double cx, double cy, double x1, double y1)
{
    const double dx = x0 - 2 * cx + x1, dy = y0 - 2 * cy + y1;
    const double dd = std::sqrt(dx * dx + dy * dy);
    if (!std::isfinite(dd))
        return kMaxCurveSteps;
    const double steps = std::ceil(std::sqrt(dd / (4 * kFlatness)));
    return static_cast<int>(std::clamp(steps, 1.0, static_cast<double>(kMaxCurveSteps)));
}

bool StopsOpaque(const SwfFillStyle &fill)
{
    if (fill.stops.empty())
        return false;
    for (const SwfGradientStop &stop : fill.stops)
        if (stop.color.alpha != 255)
            return false;
    return true;
}

} // namespace

CSwfRenderer::CSwfRenderer(const SwfMovieData &movie, CSwfBitmapStore &store, std::vector<std::string> &notes)
    : m_movie(movie), m_store(store), m_notes(notes)
{
}

void CSwfRenderer::Note(const std::string &text)
{
    if (std::find(m_notes.begin(), m_notes.end(), text) == m_notes.end() && m_notes.size() < 64)
        m_notes.push_back(text);
}

bool CSwfRenderer::Render(const CSwfDisplayList &list, Raster &target, int width, int height, const SwfRgb *margin)
{
    if (width <= 0 || height <= 0 || static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxTargetPixels)
        return false;
    m_fit = FitStage(m_movie.stage, width, height);
    if (!m_fit.bValid)
        return false;
    target.width = width;
    target.height = height;
    target.bpp = 24;
    target.stride = static_cast<size_t>(width) * 3;
    target.palette.clear();
    target.alpha.clear();
    target.pixels.resize(target.stride * static_cast<size_t>(height));
    const SwfRgb background = m_movie.background;
    const SwfRgb edge = margin ? *margin : background;
    for (int y = 0; y < height; ++y)
    {
        uint8_t *row = target.Row(y);
        const bool stageRow = y >= m_fit.top && y < m_fit.top + m_fit.height;
        for (int x = 0; x < width; ++x)
        {
            const bool onStage = stageRow && x >= m_fit.left && x < m_fit.left + m_fit.width;
            const SwfRgb &c = onStage ? background : edge;
            row[3 * x] = c.red;
            row[3 * x + 1] = c.green;
            row[3 * x + 2] = c.blue;
        }
    }
    m_pTarget = &target;
    m_store.BeginFrame();
    m_uWorkLeft = kMaxSegmentsPerFrame;
    m_uDrawsLeft = kMaxDrawsPerFrame;
    m_bBudgetNoted = false;

    const auto &entries = list.Entries();
    auto first = entries.begin();
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    {
        const SwfAffine toPixels = m_fit.twipsToPixels.After(SwfAffine::FromMatrix(it->second.matrix));
        if (CoversStage(it->second, toPixels))
        {
            first = std::prev(it.base());
            break;
        }
    }
    for (auto it = first; it != entries.end(); ++it)
    {
        const SwfPlacement &placement = it->second;
        if (placement.bClipLayer)
            continue;
        const SwfAffine toPixels = m_fit.twipsToPixels.After(SwfAffine::FromMatrix(placement.matrix));
        DrawCharacter(placement.characterId, toPixels, SwfColorMap::FromCxform(placement.cxform), 0);
    }
    m_pTarget = nullptr;
    return true;
}

bool CSwfRenderer::CoversStage(const SwfPlacement &placement, const SwfAffine &toPixels)
{
    if (placement.bClipLayer || !toPixels.IsAxisAligned())
        return false;
    const SwfCharacter *character = m_movie.Find(placement.characterId);
    if (!character || character->kind != SwfCharacterKind::Shape)
        return false;
    const SwfShapeDef &shape = m_movie.shapes[character->index];
    if (!shape.bSingleRect || !SwfColorMap::FromCxform(placement.cxform).KeepsOpaque())
        return false;
    double x0, y0, x1, y1;
    toPixels.Apply(shape.singleRect.xmin, shape.singleRect.ymin, x0, y0);
    toPixels.Apply(shape.singleRect.xmax, shape.singleRect.ymax, x1, y1);
    if (x0 > x1)
        std::swap(x0, x1);
    if (y0 > y1)
        std::swap(y0, y1);
    const double eps = 1e-6;
    if (x0 > m_fit.left + eps || y0 > m_fit.top + eps || x1 < m_fit.left + m_fit.width - eps ||
        y1 < m_fit.top + m_fit.height - eps)
        return false;
    const SwfFillStyle &fill = shape.fills[shape.singleRectFill - 1];
    switch (fill.kind)
    {
    case SwfFillKind::Solid:
        return fill.color.alpha == 255;
    case SwfFillKind::LinearGradient:
    case SwfFillKind::RadialGradient:
        return StopsOpaque(fill);
    case SwfFillKind::Bitmap: {
        const SwfDecodedBitmap *bitmap = m_store.Get(fill.bitmapId);
        SwfAffine inverse;
        return bitmap && bitmap->bOpaque && toPixels.After(SwfAffine::FromMatrix(fill.matrix)).Invert(inverse);
    }
    }
    return false;
}

void CSwfRenderer::DrawCharacter(uint16_t id, const SwfAffine &toPixels, const SwfColorMap &colours, int nesting)
{
    if (nesting > kMaxNesting)
    {
        Note("buttons nested more than " + std::to_string(kMaxNesting) + " deep are not drawn");
        return;
    }
    if (m_uDrawsLeft == 0)
    {
        if (!m_bBudgetNoted)
            Note("a frame asked for more drawing than the player does per frame; the rest was left out");
        m_bBudgetNoted = true;
        return;
    }
    --m_uDrawsLeft;
    const SwfCharacter *character = m_movie.Find(id);
    if (!character)
        return;
    if (character->kind == SwfCharacterKind::Shape)
    {
        DrawShape(m_movie.shapes[character->index], toPixels, colours);
        return;
    }
    if (character->kind != SwfCharacterKind::Button)
        return;
    const SwfButtonDef &button = m_movie.buttons[character->index];
    for (const SwfButtonRecord &record : button.records)
    {
        if (!(record.states & kSwfStateUp))
            continue;
        DrawCharacter(record.characterId, toPixels.After(SwfAffine::FromMatrix(record.matrix)),
                      colours.After(SwfColorMap::FromCxform(record.cxform)), nesting + 1);
    }
}

void CSwfRenderer::FlattenShape(const SwfShapeDef &shape, const SwfAffine &m)
{
    m_segments.clear();
    for (const SwfEdge &e : shape.edges)
    {
        if (m_uWorkLeft == 0)
        {
            if (!m_bBudgetNoted)
                Note("a frame asked for more drawing than the player does per frame; the rest was left out");
            m_bBudgetNoted = true;
            break;
        }
        double x0, y0, x1, y1;
        m.Apply(e.x0, e.y0, x0, y0);
        m.Apply(e.x1, e.y1, x1, y1);
        if (!e.bCurve)
        {
            m_segments.push_back({static_cast<float>(x0), static_cast<float>(y0), static_cast<float>(x1),
                                  static_cast<float>(y1), e.fill0, e.fill1, e.line});
            --m_uWorkLeft;
            continue;
        }
        double cx, cy;
        m.Apply(e.cx, e.cy, cx, cy);
        const int steps = static_cast<int>(std::min<size_t>(CurveSteps(x0, y0, cx, cy, x1, y1), m_uWorkLeft));
        double px = x0, py = y0;
        for (int s = 1; s <= steps; ++s)
        {
            const double t = static_cast<double>(s) / steps, u = 1 - t;
            const double qx = s == steps ? x1 : u * u * x0 + 2 * u * t * cx + t * t * x1;
            const double qy = s == steps ? y1 : u * u * y0 + 2 * u * t * cy + t * t * y1;
            m_segments.push_back({static_cast<float>(px), static_cast<float>(py), static_cast<float>(qx),
                                  static_cast<float>(qy), e.fill0, e.fill1, e.line});
            px = qx;
            py = qy;
        }
        m_uWorkLeft -= static_cast<size_t>(steps);
    }
}

void CSwfRenderer::DrawShape(const SwfShapeDef &shape, const SwfAffine &toPixels, const SwfColorMap &colours)
{
    FlattenShape(shape, toPixels);
    if (m_segments.empty())
        return;
    // Counting sort of the segments by fill style (both sides) and by line style.
    const size_t fills = shape.fills.size(), lines = shape.lines.size();
    m_bucketStart.assign(fills + 2, 0);
    m_lineStart.assign(lines + 2, 0);
    for (const Segment &s : m_segments)
    {
        if (s.fill0 != s.fill1)
        {
            if (s.fill0)
                ++m_bucketStart[s.fill0 + 1];
            if (s.fill1)
                ++m_bucketStart[s.fill1 + 1];
        }
        if (s.line)
            ++m_lineStart[s.line + 1];
    }
    for (size_t i = 1; i < m_bucketStart.size(); ++i)
        m_bucketStart[i] += m_bucketStart[i - 1];
    for (size_t i = 1; i < m_lineStart.size(); ++i)
        m_lineStart[i] += m_lineStart[i - 1];
    m_bucketIndex.resize(m_bucketStart.back());
    m_lineIndex.resize(m_lineStart.back());
    std::vector<uint32_t> fillNext(m_bucketStart.begin(), m_bucketStart.end() - 1);
    std::vector<uint32_t> lineNext(m_lineStart.begin(), m_lineStart.end() - 1);
    for (uint32_t i = 0; i < m_segments.size(); ++i)
    {
        const Segment &s = m_segments[i];
        if (s.fill0 != s.fill1)
        {
            // The style's area lies on the fill1 side of an edge as drawn; fill0 edges run the other way.
            if (s.fill0)
                m_bucketIndex[fillNext[s.fill0]++] = i | kReversed;
            if (s.fill1)
                m_bucketIndex[fillNext[s.fill1]++] = i;
        }
        if (s.line)
            m_lineIndex[lineNext[s.line]++] = i;
    }
    const size_t groups = std::min(shape.fillGroups.size(), shape.lineGroups.size());
    for (size_t g = 0; g + 1 < groups; ++g)
    {
        FillGroup(shape, shape.fillGroups[g], shape.fillGroups[g + 1], toPixels, colours);
        for (uint32_t s = shape.lineGroups[g]; s < shape.lineGroups[g + 1]; ++s)
            StrokeStyle(shape, s + 1, toPixels, colours);
    }
}

void CSwfRenderer::FillGroup(const SwfShapeDef &shape, uint32_t first, uint32_t end, const SwfAffine &toPixels,
                             const SwfColorMap &colours)
{
    // Two or more fills that may meet are summed in a layer first (see SwfLayer); one fill goes straight
    // to the target.
    int used = 0;
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    for (uint32_t s = first; s < end; ++s)
    {
        const uint32_t style = s + 1;
        if (m_bucketStart[style] == m_bucketStart[style + 1])
            continue;
        ++used;
        for (uint32_t i = m_bucketStart[style]; i < m_bucketStart[style + 1]; ++i)
        {
            const Segment &seg = m_segments[m_bucketIndex[i] & ~kReversed];
            minX = std::min({minX, static_cast<double>(seg.x0), static_cast<double>(seg.x1)});
            maxX = std::max({maxX, static_cast<double>(seg.x0), static_cast<double>(seg.x1)});
            minY = std::min({minY, static_cast<double>(seg.y0), static_cast<double>(seg.y1)});
            maxY = std::max({maxY, static_cast<double>(seg.y0), static_cast<double>(seg.y1)});
        }
    }
    SwfLayer layer;
    const SwfLayer *useLayer = nullptr;
    if (used >= 2 && std::isfinite(minX) && std::isfinite(maxX) && std::isfinite(minY) && std::isfinite(maxY))
    {
        const double clipRight = m_fit.left + m_fit.width, clipBottom = m_fit.top + m_fit.height;
        const int left = static_cast<int>(std::clamp(std::floor(minX), static_cast<double>(m_fit.left), clipRight));
        const int right = static_cast<int>(std::clamp(std::ceil(maxX), static_cast<double>(m_fit.left), clipRight));
        const int top = static_cast<int>(std::clamp(std::floor(minY), static_cast<double>(m_fit.top), clipBottom));
        const int bottom = static_cast<int>(std::clamp(std::ceil(maxY), static_cast<double>(m_fit.top), clipBottom));
        if (right <= left || bottom <= top)
            return;
        if (static_cast<uint64_t>(right - left) * static_cast<uint64_t>(bottom - top) <= kMaxLayerPixels)
        {
            m_layer.assign(4 * static_cast<size_t>(right - left) * static_cast<size_t>(bottom - top), 0.0f);
            layer = {m_layer.data(), left, top, right - left, bottom - top};
            useLayer = &layer;
        }
    }
    for (uint32_t s = first; s < end; ++s)
        FillStyle(shape, s + 1, toPixels, colours, useLayer);
    if (useLayer)
        ComposeLayer(layer);
}

void CSwfRenderer::ComposeLayer(const SwfLayer &layer)
{
    for (int y = 0; y < layer.height; ++y)
    {
        const float *p = layer.data + 4 * static_cast<size_t>(y) * layer.width;
        uint8_t *dst = m_pTarget->Row(layer.top + y) + 3 * static_cast<size_t>(layer.left);
        for (int x = 0; x < layer.width; ++x, p += 4, dst += 3)
        {
            if (p[3] <= 0.0f && p[0] <= 0.0f && p[1] <= 0.0f && p[2] <= 0.0f)
                continue;
            const float keep = 1.0f - std::min(p[3], 255.0f) * (1.0f / 255.0f);
            for (int c = 0; c < 3; ++c)
            {
                const float v = std::min(p[c], 255.0f) + dst[c] * keep + 0.5f;
                dst[c] = static_cast<uint8_t>(v >= 255.0f ? 255 : static_cast<int>(v));
            }
        }
    }
}

void CSwfRenderer::FillStyle(const SwfShapeDef &shape, uint32_t style, const SwfAffine &toPixels,
                             const SwfColorMap &colours, const SwfLayer *layer)
{
    const uint32_t begin = m_bucketStart[style], end = m_bucketStart[style + 1];
    if (begin == end)
        return;
    m_rasterizer.Reset(m_fit.left, m_fit.top, m_fit.left + m_fit.width, m_fit.top + m_fit.height);
    for (uint32_t i = begin; i < end; ++i)
    {
        const Segment &s = m_segments[m_bucketIndex[i] & ~kReversed];
        if (m_bucketIndex[i] & kReversed)
            m_rasterizer.AddLine(s.x1, s.y1, s.x0, s.y0);
        else
            m_rasterizer.AddLine(s.x0, s.y0, s.x1, s.y1);
    }
    if (m_rasterizer.Empty())
        return;
    const SwfFillStyle &fill = shape.fills[style - 1];
    switch (fill.kind)
    {
    case SwfFillKind::Solid: {
        const SwfRgba colour = colours.Apply(fill.color);
        if (colour.alpha == 0)
            return;
        CSwfSolidPaint paint(*m_pTarget, colour);
        paint.SetLayer(layer);
        m_rasterizer.Sweep(paint);
        return;
    }
    case SwfFillKind::LinearGradient:
    case SwfFillKind::RadialGradient: {
        SwfAffine inverse;
        if (!toPixels.After(SwfAffine::FromMatrix(fill.matrix)).Invert(inverse))
            return;
        CSwfGradientPaint paint(*m_pTarget, fill, inverse, colours);
        paint.SetLayer(layer);
        m_rasterizer.Sweep(paint);
        return;
    }
    case SwfFillKind::Bitmap: {
        SwfDecodedBitmap *bitmap = m_store.Get(fill.bitmapId);
        SwfAffine inverse;
        if (!bitmap || !toPixels.After(SwfAffine::FromMatrix(fill.matrix)).Invert(inverse))
            return;
        CSwfBitmapPaint paint(*m_pTarget, m_store, *bitmap, inverse, fill.bRepeat, fill.bSmooth, colours, m_fit.left,
                              m_fit.left + m_fit.width);
        paint.SetLayer(layer);
        m_rasterizer.Sweep(paint);
        return;
    }
    }
}

void CSwfRenderer::AddPolygon(const double *xy, int points)
{
    double twiceArea = 0;
    for (int i = 0; i < points; ++i)
    {
        const int j = (i + 1) % points;
        twiceArea += xy[2 * i] * xy[2 * j + 1] - xy[2 * j] * xy[2 * i + 1];
    }
    // Every polygon of a stroke runs the same way round, so where they overlap they add up.
    for (int i = 0; i < points; ++i)
    {
        const int j = (i + 1) % points;
        if (twiceArea >= 0)
            m_rasterizer.AddLine(xy[2 * i], xy[2 * i + 1], xy[2 * j], xy[2 * j + 1]);
        else
            m_rasterizer.AddLine(xy[2 * j], xy[2 * j + 1], xy[2 * i], xy[2 * i + 1]);
    }
}

void CSwfRenderer::StrokeStyle(const SwfShapeDef &shape, uint32_t style, const SwfAffine &toPixels,
                               const SwfColorMap &colours)
{
    const uint32_t begin = m_lineStart[style], end = m_lineStart[style + 1];
    if (begin == end)
        return;
    const SwfLineStyle &line = shape.lines[style - 1];
    const SwfRgba colour = colours.Apply(line.color);
    if (colour.alpha == 0)
        return; // a fully transparent line draws nothing
    const double scale = std::sqrt(std::fabs(toPixels.Determinant()));
    const double widthPixels = std::isfinite(scale) ? line.widthTwips * scale : 1.0;
    // Hairlines and thinner lines are drawn one pixel wide; very wide ones are held to the stage size.
    const double half = std::min(std::max(widthPixels, 1.0), 4.0 * (m_fit.width + m_fit.height)) / 2;
    const bool round = half > 1.0;
    const int discPoints = std::clamp(static_cast<int>(std::ceil(half)), 8, 32);
    std::vector<double> disc(2 * static_cast<size_t>(discPoints));
    auto addDisc = [&](double cx, double cy) {
        for (int k = 0; k < discPoints; ++k)
        {
            const double angle = 2 * 3.14159265358979323846 * k / discPoints;
            disc[2 * k] = cx + half * std::cos(angle);
            disc[2 * k + 1] = cy + half * std::sin(angle);
        }
        AddPolygon(disc.data(), discPoints);
    };
    m_rasterizer.Reset(m_fit.left, m_fit.top, m_fit.left + m_fit.width, m_fit.top + m_fit.height);
    for (uint32_t i = begin; i < end; ++i)
    {
        const Segment &s = m_segments[m_lineIndex[i]];
        const double dx = static_cast<double>(s.x1) - s.x0, dy = static_cast<double>(s.y1) - s.y0;
        const double length = std::sqrt(dx * dx + dy * dy);
        if (!std::isfinite(length))
            continue;
        if (length < 1e-9)
        {
            if (round)
                addDisc(s.x0, s.y0);
            continue;
        }
        const double ux = dx / length, uy = dy / length;
        const double nx = -uy * half, ny = ux * half;
        // Thin lines get square caps; wide ones round caps and joins.
        const double ex = round ? 0 : ux * half, ey = round ? 0 : uy * half;
        const double quad[8] = {s.x0 - ex + nx, s.y0 - ey + ny, s.x1 + ex + nx, s.y1 + ey + ny,
                                s.x1 + ex - nx, s.y1 + ey - ny, s.x0 - ex - nx, s.y0 - ey - ny};
        AddPolygon(quad, 4);
        if (round)
        {
            addDisc(s.x0, s.y0);
            addDisc(s.x1, s.y1);
        }
    }
    CSwfSolidPaint paint(*m_pTarget, colour);
    m_rasterizer.Sweep(paint);
}
