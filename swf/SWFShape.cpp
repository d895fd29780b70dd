// CSWFShape: DefineShape3 layout and its bit-packed shape records.
#include "swf/SWFShape.h"

#include "swf/BitWriter.h"
#include "swf/SWFMatrix.h"

#include <algorithm>
#include <cstdlib>

namespace
{
// Scale from a source extent to a target extent, where one bitmap pixel on one pixel is 20 twips.
// A source of no extent has no defined mapping; it is drawn one to one.
float FillScale(float targetExtent, float sourceExtent)
{
    if (sourceExtent == 0.0f)
        return 20.0f;
    return targetExtent / sourceExtent * 20.0f;
}
} // namespace

CSWFShape::CSWFShape(uint16_t characterId, SWFRectF bounds, uint16_t depth)
{
    m_nKind = kShape;
    m_nCharacterId = characterId;
    m_nDepth = depth;
    m_bounds.SetRect(bounds.xmin, bounds.ymin, bounds.xmax, bounds.ymax);
}

CSWFShape::~CSWFShape() = default;

void CSWFShape::AddLineStyle(int width, SWFRGBA color)
{
    if (m_lineStyles.size() >= kMaxStyles)
        return;
    const int64_t twips = int64_t{width} * 20;
    LineStyle style;
    style.uWidth = static_cast<uint16_t>(twips < 0 ? 0 : twips > 65535 ? 65535 : twips);
    style.clr = color;
    m_lineStyles.push_back(style);
}

void CSWFShape::AddBitmapFill(uint16_t bitmapId, uint8_t fillType, SWFRectF source, SWFRectF target)
{
    if (fillType < kRepeatingBitmap || fillType > kClippedBitmapHard)
        return;
    if (m_fillStyles.size() >= kMaxStyles)
        return;
    FillStyle style;
    style.uType = fillType;
    style.uBitmapId = bitmapId;
    style.fMatrix[0] = FillScale(target.xmax - target.xmin, source.xmax - source.xmin);
    style.fMatrix[1] = FillScale(target.ymax - target.ymin, source.ymax - source.ymin);
    style.fMatrix[2] = 0.0f;
    style.fMatrix[3] = 0.0f;
    style.fMatrix[4] = target.xmin;
    style.fMatrix[5] = target.ymin;
    m_fillStyles.push_back(style);
}

void CSWFShape::ChangeStyle(uint16_t lineStyle, uint16_t fillStyle0, uint16_t fillStyle1, const float *moveTo)
{
    ShapeRecord record{};
    record.bEdge = false;
    record.uLineStyle = lineStyle;
    record.uFillStyle0 = fillStyle0;
    record.uFillStyle1 = fillStyle1;
    if (moveTo)
    {
        record.bMoveTo = true;
        record.nX = SWFTwipsFromPixels(moveTo[0]);
        record.nY = SWFTwipsFromPixels(moveTo[1]);
        record.uBits = static_cast<uint8_t>(SignedBitsFor({record.nX, record.nY}));
    }
    m_records.push_back(record);
}

void CSWFShape::AddStraightEdge(float dx, float dy)
{
    const int64_t x = SWFTwipsFromPixels(dx);
    const int64_t y = SWFTwipsFromPixels(dy);
    const int64_t longest = std::max(std::llabs(x), std::llabs(y));
    // Pieces i of n: d(i+1)/n - di/n, so they sum to d exactly and none exceeds the field.
    const int64_t pieces = longest == 0 ? 1 : (longest + kMaxEdgeTwips - 1) / kMaxEdgeTwips;
    for (int64_t i = 0; i < pieces; ++i)
        AppendEdge(static_cast<int32_t>(x * (i + 1) / pieces - x * i / pieces),
                   static_cast<int32_t>(y * (i + 1) / pieces - y * i / pieces));
}

void CSWFShape::AppendEdge(int32_t dx, int32_t dy)
{
    ShapeRecord record{};
    record.bEdge = true;
    record.nX = dx;
    record.nY = dy;
    const unsigned bits = SignedBitsFor({dx, dy});
    record.uBits = static_cast<uint8_t>(bits < 2 ? 2 : bits);
    m_records.push_back(record);
}

unsigned CSWFShape::StyleBits(size_t count)
{
    // Smallest k of 1 or more with 2^k at least count + 1; 0 without styles.
    if (count == 0)
        return 0;
    unsigned k = 1;
    while ((size_t{1} << k) < count + 1)
        ++k;
    return k;
}

void CSWFShape::PutStyleCount(std::vector<unsigned char> &out, size_t count)
{
    if (count < 0xFF)
        SWFPutU8(out, static_cast<uint8_t>(count));
    else
    {
        SWFPutU8(out, 0xFF);
        SWFPutU16(out, static_cast<uint16_t>(count));
    }
}

std::vector<unsigned char> CSWFShape::BuildShapeRecords(unsigned fillBits, unsigned lineBits) const
{
    CBitWriter bits;
    for (const ShapeRecord &r : m_records)
    {
        if (r.bEdge)
        {
            // TypeFlag 1, StraightFlag 1, NumBits - 2, GeneralLineFlag 1, DeltaX, DeltaY.
            bits.WriteFlag(true);
            bits.WriteFlag(true);
            bits.WriteBits(r.uBits - 2, 4);
            bits.WriteFlag(true);
            bits.WriteBits(r.nX, r.uBits);
            bits.WriteBits(r.nY, r.uBits);
        }
        else
        {
            // TypeFlag 0, StateNewStyles 0, StateLineStyle, StateFillStyle1, StateFillStyle0, StateMoveTo.
            bits.WriteFlag(false);
            bits.WriteFlag(false);
            bits.WriteFlag(true);
            bits.WriteFlag(true);
            bits.WriteFlag(true);
            bits.WriteFlag(r.bMoveTo);
            if (r.bMoveTo)
            {
                bits.WriteBits(r.uBits, 5);
                bits.WriteBits(r.nX, r.uBits);
                bits.WriteBits(r.nY, r.uBits);
            }
            bits.WriteBits(r.uFillStyle0, fillBits);
            bits.WriteBits(r.uFillStyle1, fillBits);
            bits.WriteBits(r.uLineStyle, lineBits);
        }
    }
    // End record: six 0 bits.
    bits.WriteBits(0, 6);
    return bits.GetBytes();
}

const unsigned char *CSWFShape::GetData()
{
    // ShapeId, ShapeBounds, FILLSTYLEARRAY, LINESTYLEARRAY, NumFillBits and NumLineBits, SHAPERECORDS.
    std::vector<unsigned char> tag;
    SWFBeginTag(tag);
    SWFPutU16(tag, m_nCharacterId);
    SWFPutRecord(tag, m_bounds);
    PutStyleCount(tag, m_fillStyles.size());
    for (const FillStyle &fill : m_fillStyles)
    {
        SWFPutU8(tag, fill.uType);
        SWFPutU16(tag, fill.uBitmapId);
        CSWFMatrix matrix;
        matrix.SetMatrix(fill.fMatrix[0], fill.fMatrix[1], fill.fMatrix[2], fill.fMatrix[3], fill.fMatrix[4],
                         fill.fMatrix[5]);
        SWFPutRecord(tag, matrix);
    }
    PutStyleCount(tag, m_lineStyles.size());
    for (const LineStyle &line : m_lineStyles)
    {
        SWFPutU16(tag, line.uWidth);
        SWFPutU8(tag, line.clr.red);
        SWFPutU8(tag, line.clr.green);
        SWFPutU8(tag, line.clr.blue);
        SWFPutU8(tag, line.clr.alpha);
    }
    const unsigned fillBits = StyleBits(m_fillStyles.size());
    const unsigned lineBits = StyleBits(m_lineStyles.size());
    SWFPutU8(tag, static_cast<uint8_t>((fillBits << 4) | lineBits));
    const std::vector<unsigned char> records = BuildShapeRecords(fillBits, lineBits);
    SWFPutBytes(tag, records.data(), records.size());
    SWFEndTag(tag, SWFTag::DefineShape3);
    m_data.swap(tag);
    return m_data.data();
}

int CSWFShape::GetLength() const
{
    return static_cast<int>(m_data.size());
}
