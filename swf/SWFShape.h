// CSWFShape: a DefineShape3 tag with RGBA line styles, bitmap fills, style changes and straight edges.
#pragma once

#include "swf/SWFObject.h"
#include "swf/SWFRectangle.h"
#include "swf/SWFTypes.h"

#include <cstdint>
#include <vector>

// A shape built by appending styles and path records; GetData lays out the whole tag each time.
class CSWFShape : public CSWFObject
{
  public:
    // Fill types of a bitmap fill.
    static constexpr uint8_t kRepeatingBitmap = 0x40;
    static constexpr uint8_t kClippedBitmap = 0x41;
    static constexpr uint8_t kRepeatingBitmapHard = 0x42;
    static constexpr uint8_t kClippedBitmapHard = 0x43;
    // Style indices are written in at most 15 bits (4-bit NumFillBits/NumLineBits); more styles are ignored.
    static constexpr size_t kMaxStyles = 32767;
    // Largest straight-edge delta (17-bit field); longer edges are split.
    static constexpr int32_t kMaxEdgeTwips = 65535;

    // bounds in pixels; depth is where the movie places the shape.
    CSWFShape(uint16_t characterId, SWFRectF bounds, uint16_t depth);
    ~CSWFShape() override;

    // A line width x 20 twips (clamped to 0..65535) and its colour.
    void AddLineStyle(int width, SWFRGBA color);
    // A bitmap fill mapping source (bitmap pixels) onto target (shape pixels). Types other than
    // 0x40 to 0x43 are ignored.
    void AddBitmapFill(uint16_t bitmapId, uint8_t fillType, SWFRectF source, SWFRectF target);
    // Sets all three style indices (0 none, 1 the first style); moveTo is null or x, y in pixels.
    void ChangeStyle(uint16_t lineStyle, uint16_t fillStyle0, uint16_t fillStyle1, const float *moveTo);
    // An edge relative to the pen, in pixels; split into several when a delta exceeds the field.
    void AddStraightEdge(float dx, float dy);

    const unsigned char *GetData() override;
    int GetLength() const override;

  private:
    struct FillStyle
    {
        uint8_t uType;
        uint16_t uBitmapId;
        // scaleX, scaleY, rotateSkew0, rotateSkew1, translateX, translateY (pixels).
        float fMatrix[6];
    };
    struct LineStyle
    {
        uint16_t uWidth;
        SWFRGBA clr;
    };
    struct ShapeRecord
    {
        bool bEdge;
        bool bMoveTo;
        uint8_t uBits;
        // Move-to point or edge deltas, twips.
        int32_t nX;
        int32_t nY;
        uint16_t uFillStyle0;
        uint16_t uFillStyle1;
        uint16_t uLineStyle;
    };

    static unsigned StyleBits(size_t count);
    static void PutStyleCount(std::vector<unsigned char> &out, size_t count);
    void AppendEdge(int32_t dx, int32_t dy);
    std::vector<unsigned char> BuildShapeRecords(unsigned fillBits, unsigned lineBits) const;

    std::vector<FillStyle> m_fillStyles;
    std::vector<LineStyle> m_lineStyles;
    std::vector<ShapeRecord> m_records;
    std::vector<unsigned char> m_data;
    CSWFRectangle m_bounds;
};
