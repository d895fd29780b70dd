// CSwfGradientPaint: linear and radial gradient fills.
#pragma once

#include "preview/SwfMovieData.h"
#include "preview/SwfPaint.h"

#include <cstdint>

// A gradient spans the square -16384..16384 twips of its own space, which the fill's matrix maps
// into the shape: linear along x, radial by distance from the centre. Colours beyond the ends hold.
class CSwfGradientPaint : public CSwfPaint
{
  public:
    // pixelsToGradient maps target pixels into the gradient square.
    CSwfGradientPaint(Raster &target, const SwfFillStyle &fill, const SwfAffine &pixelsToGradient,
                      const SwfColorMap &colours);
    void Span(int y, int x, int count, const float *coverage) override;

  private:
    SwfAffine m_inverse;
    bool m_bRadial;
    uint32_t m_lut[256];
};
