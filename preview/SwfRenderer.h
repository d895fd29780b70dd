// CSwfRenderer: draws a frame's display list into a 24-bit raster of any size.
#pragma once

#include "imaging/Raster.h"
#include "preview/SwfBitmapStore.h"
#include "preview/SwfDisplayList.h"
#include "preview/SwfMovieData.h"
#include "preview/SwfPaint.h"
#include "preview/SwfRasterizer.h"
#include "preview/SwfStageFit.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Fits the stage into the target (FitStage), fills the margin and the stage, and draws the placements
// from the lowest depth up, clipped to the stage. Placements below the topmost one that covers the
// stage with opaque pixels are not drawn. Buttons show their up state.
class CSwfRenderer
{
  public:
    // Characters drawn within one another (buttons showing buttons) beyond this are left out.
    static constexpr int kMaxNesting = 8;

    // movie and store must outlive the renderer; notes collects reasons why parts were left out.
    CSwfRenderer(const SwfMovieData &movie, CSwfBitmapStore &store, std::vector<std::string> &notes);

    // Draws into target, made width x height at 24 bits. margin null: the movie's background colour.
    bool Render(const CSwfDisplayList &list, Raster &target, int width, int height, const SwfRgb *margin);

  private:
    struct Segment
    {
        float x0, y0, x1, y1;
        uint32_t fill0, fill1, line;
    };

    bool CoversStage(const SwfPlacement &placement, const SwfAffine &toPixels);
    void DrawCharacter(uint16_t id, const SwfAffine &toPixels, const SwfColorMap &colours, int nesting);
    void DrawShape(const SwfShapeDef &shape, const SwfAffine &toPixels, const SwfColorMap &colours);
    void FlattenShape(const SwfShapeDef &shape, const SwfAffine &toPixels);
    void FillGroup(const SwfShapeDef &shape, uint32_t first, uint32_t end, const SwfAffine &toPixels,
                   const SwfColorMap &colours);
    void FillStyle(const SwfShapeDef &shape, uint32_t style, const SwfAffine &toPixels, const SwfColorMap &colours,
                   const SwfLayer *layer);
    void ComposeLayer(const SwfLayer &layer);
    void StrokeStyle(const SwfShapeDef &shape, uint32_t style, const SwfAffine &toPixels, const SwfColorMap &colours);
    void AddPolygon(const double *xy, int points);
    void Note(const std::string &text);

    const SwfMovieData &m_movie;
    CSwfBitmapStore &m_store;
    std::vector<std::string> &m_notes;
    Raster *m_pTarget = nullptr;
    SwfStageFit m_fit;
    CSwfRasterizer m_rasterizer;
    std::vector<Segment> m_segments;
    // Segments of each style: m_bucketIndex[m_bucketStart[s] .. m_bucketStart[s + 1]), a set high bit
    // meaning the segment runs the other way round the style's area.
    std::vector<uint32_t> m_bucketStart;
    std::vector<uint32_t> m_bucketIndex;
    std::vector<uint32_t> m_lineStart;
    std::vector<uint32_t> m_lineIndex;
    std::vector<float> m_layer;
    size_t m_uWorkLeft = 0;
    size_t m_uDrawsLeft = 0;
    bool m_bBudgetNoted = false;
};
