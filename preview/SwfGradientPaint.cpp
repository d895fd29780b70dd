// Gradient spans through a 256-entry colour table.
#include "preview/SwfGradientPaint.h"

#include <algorithm>
#include <cmath>

CSwfGradientPaint::CSwfGradientPaint(Raster &target, const SwfFillStyle &fill, const SwfAffine &pixelsToGradient,
                                     const SwfColorMap &colours)
    : CSwfPaint(target), m_inverse(pixelsToGradient), m_bRadial(fill.kind == SwfFillKind::RadialGradient)
{
    const auto &stops = fill.stops;
    for (int i = 0; i < 256; ++i)
    {
        SwfRgba c;
        if (stops.empty())
            c = SwfRgba{0, 0, 0, 0};
        else if (i <= stops.front().ratio)
            c = stops.front().color;
        else if (i >= stops.back().ratio)
            c = stops.back().color;
        else
        {
            size_t k = 1;
            while (k < stops.size() && stops[k].ratio < i)
                ++k;
            k = std::min(k, stops.size() - 1);
            const SwfGradientStop &a = stops[k - 1], &b = stops[k];
            const double span = static_cast<double>(b.ratio) - a.ratio;
            const double t = span > 0 ? (i - a.ratio) / span : 1.0;
            auto mix = [t](uint8_t u, uint8_t v) { return static_cast<uint8_t>(std::lround(u + (v - u) * t)); };
            c = {mix(a.color.red, b.color.red), mix(a.color.green, b.color.green), mix(a.color.blue, b.color.blue),
                 mix(a.color.alpha, b.color.alpha)};
        }
        c = colours.Apply(c);
        const unsigned alpha = c.alpha;
        m_lut[i] = static_cast<uint32_t>((c.red * alpha + 127) / 255) | ((c.green * alpha + 127) / 255) << 8 |
                   ((c.blue * alpha + 127) / 255) << 16 | alpha << 24;
    }
}

void CSwfGradientPaint::Span(int y, int x, int count, const float *coverage)
{
    uint8_t *dst = Pixel(x, y);
    for (int i = 0; i < count; ++i, dst += 3)
    {
        if (coverage[i] <= 0.0f)
            continue;
        double gx, gy;
        m_inverse.Apply(x + i + 0.5, y + 0.5, gx, gy);
        const double t = m_bRadial ? std::sqrt(gx * gx + gy * gy) / 16384.0 : (gx + 16384.0) / 32768.0;
        const double clamped = std::isfinite(t) ? std::clamp(t, 0.0, 1.0) : 0.0;
        Emit(x + i, y, dst, m_lut[static_cast<int>(clamped * 255.0 + 0.5)], coverage[i]);
    }
}
