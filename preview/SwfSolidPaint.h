// CSwfSolidPaint: one colour (solid fills and lines).
#pragma once

#include "preview/SwfPaint.h"
#include "preview/SwfPlayerTypes.h"

class CSwfSolidPaint : public CSwfPaint
{
  public:
    // colour is straight RGBA, after any colour transform.
    CSwfSolidPaint(Raster &target, SwfRgba colour);
    void Span(int y, int x, int count, const float *coverage) override;

  private:
    uint32_t m_uColour;
};
