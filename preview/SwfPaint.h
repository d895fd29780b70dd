// CSwfPaint: base of what fills a shape's coverage in a 24-bit target (a colour, a gradient, a bitmap).
#pragma once

#include "imaging/Raster.h"
#include "preview/SwfRasterizer.h"

#include <cstdint>

// Premultiplied colour summed over several fills of one shape, composed over the target afterwards:
// fills that meet inside a pixel then share it without the target showing through the seam.
struct SwfLayer
{
    float *data = nullptr; // red, green, blue, alpha per pixel, 0..255 scale
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// Composes premultiplied colours over an opaque 24-bit target, weighted by coverage, or adds them to
// a layer when one is set.
class CSwfPaint : public ISwfSpanSink
{
  public:
    explicit CSwfPaint(Raster &target) : m_target(target)
    {
    }
    void SetLayer(const SwfLayer *layer)
    {
        m_pLayer = layer;
    }

  protected:
    uint8_t *Pixel(int x, int y)
    {
        return m_target.Row(y) + 3 * static_cast<size_t>(x);
    }
    // Pixel x, y (whose target bytes are dst) receives the colour at this coverage.
    void Emit(int x, int y, uint8_t *dst, uint32_t premultiplied, float coverage)
    {
        if (!m_pLayer)
        {
            Blend(dst, premultiplied, coverage);
            return;
        }
        float *p =
            m_pLayer->data + 4 * (static_cast<size_t>(y - m_pLayer->top) * m_pLayer->width + (x - m_pLayer->left));
        p[0] += (premultiplied & 0xFF) * coverage;
        p[1] += ((premultiplied >> 8) & 0xFF) * coverage;
        p[2] += ((premultiplied >> 16) & 0xFF) * coverage;
        p[3] += (premultiplied >> 24) * coverage;
    }
    // premultiplied: red in the low byte, alpha in the high byte.
    static void Blend(uint8_t *dst, uint32_t premultiplied, float coverage)
    {
        const unsigned a = premultiplied >> 24;
        if (coverage >= 0.9995f && a == 255)
        {
            dst[0] = static_cast<uint8_t>(premultiplied);
            dst[1] = static_cast<uint8_t>(premultiplied >> 8);
            dst[2] = static_cast<uint8_t>(premultiplied >> 16);
            return;
        }
        const float keep = 1.0f - a * (1.0f / 255.0f) * coverage;
        for (int c = 0; c < 3; ++c)
        {
            const float v = ((premultiplied >> (8 * c)) & 0xFF) * coverage + dst[c] * keep;
            dst[c] = static_cast<uint8_t>(v >= 255.0f ? 255 : v <= 0.0f ? 0 : static_cast<int>(v + 0.5f));
        }
    }

    Raster &m_target;
    const SwfLayer *m_pLayer = nullptr;
};
