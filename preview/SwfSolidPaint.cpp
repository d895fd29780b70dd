// Solid colour spans.
#include "preview/SwfSolidPaint.h"

CSwfSolidPaint::CSwfSolidPaint(Raster &target, SwfRgba colour) : CSwfPaint(target)
{
    const unsigned a = colour.alpha;
    m_uColour = static_cast<uint32_t>((colour.red * a + 127) / 255) | ((colour.green * a + 127) / 255) << 8 |
                ((colour.blue * a + 127) / 255) << 16 | a << 24;
}

void CSwfSolidPaint::Span(int y, int x, int count, const float *coverage)
{
    uint8_t *dst = Pixel(x, y);
    for (int i = 0; i < count; ++i, dst += 3)
        if (coverage[i] > 0.0f)
            Emit(x + i, y, dst, m_uColour, coverage[i]);
}
