// CSwfBitmapPaint: bitmap fills sampled through the inverse of their matrix.
#pragma once

#include "preview/SwfBitmapStore.h"
#include "preview/SwfPaint.h"

#include <cstdint>
#include <vector>

// Samples a bitmap at each target pixel. A pixel-for-pixel mapping (or a non-smoothed fill) takes the
// nearest texel; a smoothed fill that enlarges interpolates bilinearly and one that shrinks averages
// the texels under the pixel, from a halved level when it shrinks by half or more. Repeating fills
// wrap around the bitmap; clipped fills hold its edge texels. When the mapping has no rotation or skew
// each column's and each row's texels are worked out once.
class CSwfBitmapPaint : public CSwfPaint
{
  public:
    // pixelsToBitmap maps target pixels to bitmap pixels of level 0. Columns [clipLeft, clipRight) are
    // the only ones Span is asked for.
    CSwfBitmapPaint(Raster &target, CSwfBitmapStore &store, SwfDecodedBitmap &bitmap, const SwfAffine &pixelsToBitmap,
                    bool repeat, bool smooth, const SwfColorMap &colours, int clipLeft, int clipRight);
    void Span(int y, int x, int count, const float *coverage) override;

  private:
    struct Tap
    {
        int index;
        float weight;
    };
    // Texels of each target pixel along one axis: taps [starts[k], starts[k + 1]).
    struct Axis
    {
        std::vector<uint32_t> starts;
        std::vector<Tap> taps;
    };

    // Fills axis for pixels [first, first + count) with texel coordinate u = scale * k + offset.
    void BuildAxis(Axis &axis, double scale, double offset, int first, int count, int size) const;
    int Wrap(double coordinate, int size) const;
    uint32_t Texel(int x, int y) const
    {
        return m_pImage->pixels[static_cast<size_t>(y) * m_pImage->width + x];
    }
    uint32_t SampleGeneral(double u, double v) const;
    uint32_t ApplyColours(uint32_t premultiplied) const;

    const SwfImage *m_pImage = nullptr;
    SwfAffine m_toTexels; // target pixels to texels of the chosen level
    bool m_bRepeat;
    bool m_bNearest = false;
    bool m_bAxisAligned = false;
    bool m_bIdentityColours;
    SwfColorMap m_colours;
    int m_nClipLeft;
    Axis m_columns;
    Axis m_row;
    int m_nRowY = -1;
    // The texel rows under the current target row, weighted and summed per texel column.
    std::vector<float> m_rowSum;
    bool m_bRowSummed = false;
};
