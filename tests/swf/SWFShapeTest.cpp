// The shape definition: exact tags of the slide rectangle and the empty shape, styles, edges and splits.
#include "swf/SWFShape.h"
#include "SwfTestReader.h"
#include "SwfTestUtil.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>

namespace
{
std::string TagOf(CSWFShape &shape)
{
    return BytesOf(shape);
}

SwfShape Decode(CSWFShape &shape)
{
    SwfTag tag;
    EXPECT_EQ(ParseSwfTag(TagOf(shape), tag), "");
    EXPECT_TRUE(tag.longHeader);
    SwfShape decoded;
    EXPECT_EQ(DecodeDefineShape3(tag, decoded), "");
    return decoded;
}
} // namespace

TEST(SWFShapeTest, KnownTagsAreExact)
{
    {
        SCOPED_TRACE("slide rectangle of a 256 x 192 movie");
        auto shape = MakeSlideShape(2, 256, 192, 1);
        EXPECT_EQ(Hex(TagOf(*shape)), Hex(HexBytes("3F 08 31 00 00 00 | 02 00 | 70 00 0A 00 00 00 78 00 | 01 40 01 00 "
                                                   "D9 40 00 05 00 00 00 | 01 14 00 00 00 00 00 | 11 | 3C 25 F2 A0 "
                                                   "00 00 1D C0 00 F0 0F 36 00 00 01 DC 00 11 00 00")));
        // Laid out afresh each time, with one end record.
        EXPECT_EQ(shape->GetLength(), 55);
        EXPECT_EQ(TagOf(*shape), TagOf(*shape));
    }
    {
        SCOPED_TRACE("empty shape");
        CSWFShape shape(5, SWFRectF{0, 0, 10, 10}, 5);
        EXPECT_EQ(Hex(TagOf(shape)), Hex(HexBytes("3F 08 0C 00 00 00 05 00 48 01 90 00 64 00 00 00 00 00")));
    }
    {
        SCOPED_TRACE("one edge of (0, 0) in 2-bit deltas");
        CSWFShape shape(5, SWFRectF{0, 0, 10, 10}, 5);
        shape.AddStraightEdge(0, 0);
        // 1 1 0000 1 00 00, end record 000000, padding.
        EXPECT_EQ(Hex(TagOf(shape)), Hex(HexBytes("3F 08 0E 00 00 00 05 00 48 01 90 00 64 00 00 00 00 | C2 00 00")));
    }
    {
        SCOPED_TRACE("an ignored fill leaves the fill indices 0 bits wide");
        CSWFShape shape(5, SWFRectF{0, 0, 10, 10}, 5);
        shape.AddBitmapFill(1, 0x44, SWFRectF{0, 0, 1, 1}, SWFRectF{0, 0, 1, 1});
        shape.ChangeStyle(0, 1, 0, nullptr);
        // 0 0 1 1 1 0, no indices, end record.
        EXPECT_EQ(Hex(TagOf(shape)), Hex(HexBytes("3F 08 0D 00 00 00 05 00 48 01 90 00 64 00 | 00 00 00 | 38 00")));
    }
}

TEST(SWFShapeTest, EdgesUseTheirOwnWidthAndLongEdgesSplitExactly)
{
    struct Row
    {
        const char *name;
        float dx, dy;
        int pieces;
        int bits; // of every piece
    };
    const Row rows[] = {
        {"zero edge", 0, 0, 1, 2},
        {"short edge keeps its own width", 12.7f, 0, 1, 9},
        {"204.8 px = 4096 twips", 204.8f, 0, 1, 14},
        {"negative width", -256, 0, 1, 14},
        {"negative height", 0, -192, 1, 13},
        {"largest single edge, 65535 twips", 3276.75f, -3276.75f, 1, 17},
        {"65536 twips splits in two", 3276.8f, 0, 2, 17},
        {"4000 px", 4000, 0, 2, 17},
        {"4000 x -3000 px", 4000, -3000, 2, 17},
        {"uneven pieces", -5000, 1, 2, 17},
        {"odd lengths split into unequal pieces", 4000.05f, -3000.05f, 2, 17},
        {"one twip over the limit", 3276.85f, 0, 2, 17},
        {"very long edge", 50000, 20000, 16, 17},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFShape shape(1, SWFRectF{0, 0, 10, 10}, 1);
        shape.AddStraightEdge(row.dx, row.dy);
        const SwfShape decoded = Decode(shape);
        ASSERT_EQ(decoded.records.size(), static_cast<size_t>(row.pieces));
        int64_t sumX = 0, sumY = 0;
        for (const SwfShape::Record &r : decoded.records)
        {
            ASSERT_TRUE(r.edge);
            EXPECT_TRUE(r.general);
            EXPECT_EQ(r.edgeBits, row.bits);
            EXPECT_LE(std::llabs(r.dx), 65535);
            sumX += r.dx;
            sumY += r.dy;
        }
        EXPECT_EQ(sumX, static_cast<int64_t>(static_cast<double>(row.dx) * 20));
        EXPECT_EQ(sumY, static_cast<int64_t>(static_cast<double>(row.dy) * 20));
    }
}

TEST(SWFShapeTest, StylesAreCountedAndIndexedInTheirWidths)
{
    struct Row
    {
        const char *name;
        int fills, lines;
        const char *fillCount; // bytes after the bounds
        int fillBits, lineBits;
    };
    const Row rows[] = {
        {"none", 0, 0, "00", 0, 0},        {"one each", 1, 1, "01", 1, 1},    {"two and three", 2, 3, "02", 2, 2},
        {"four", 4, 0, "04", 3, 0},        {"254 fills", 254, 0, "FE", 8, 0}, {"255 fills", 255, 0, "FF FF 00", 8, 0},
        {"256 lines", 0, 256, "00", 0, 9},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFShape shape(1, SWFRectF{0, 0, 10, 10}, 1);
        const SWFRectF unit = {0, 0, 1, 1};
        for (int i = 0; i < row.fills; ++i)
            shape.AddBitmapFill(static_cast<uint16_t>(i), static_cast<uint8_t>(0x40 + i % 4), unit, unit);
        for (int i = 0; i < row.lines; ++i)
            shape.AddLineStyle(i, SWFRGBA{1, 2, 3, static_cast<uint8_t>(i)});
        shape.ChangeStyle(static_cast<uint16_t>(row.lines), static_cast<uint16_t>(row.fills), 1, nullptr);
        const std::string tag = TagOf(shape);
        const std::string count = HexBytes(row.fillCount);
        EXPECT_EQ(Hex(tag.substr(14, count.size())), Hex(count));
        const SwfShape decoded = Decode(shape);
        EXPECT_EQ(decoded.fills.size(), static_cast<size_t>(row.fills));
        EXPECT_EQ(decoded.lines.size(), static_cast<size_t>(row.lines));
        EXPECT_EQ(decoded.fillBits, row.fillBits);
        EXPECT_EQ(decoded.lineBits, row.lineBits);
        ASSERT_EQ(decoded.records.size(), 1u);
        const SwfShape::Record &change = decoded.records[0];
        EXPECT_TRUE(change.hasFill0 && change.hasFill1 && change.hasLine);
        EXPECT_FALSE(change.hasMoveTo);
        if (row.fills)
        {
            EXPECT_EQ(change.fill0, static_cast<uint32_t>(row.fills));
            EXPECT_EQ(decoded.fills.back().type, 0x40 + (row.fills - 1) % 4);
            EXPECT_EQ(decoded.fills.back().bitmapId, row.fills - 1);
        }
        if (row.lines)
        {
            EXPECT_EQ(change.line, static_cast<uint32_t>(row.lines));
            EXPECT_EQ(decoded.lines.back().width, (row.lines - 1) * 20);
            EXPECT_EQ(decoded.lines.back().rgba[3], (row.lines - 1) & 0xFF);
        }
    }
}

TEST(SWFShapeTest, FillMatricesLineWidthsAndMoveTo)
{
    struct FillRow
    {
        const char *name;
        uint8_t type;
        SWFRectF source, target;
        bool added;
        int32_t scaleX, scaleY, tx, ty;
    };
    const FillRow fills[] = {
        {"same size: scale 20, no translate", 0x40, {0, 0, 256, 192}, {0, 0, 256, 192}, true, 20 << 16, 20 << 16, 0, 0},
        {"stretched and moved", 0x43, {0, 0, 100, 50}, {10, 5, 210, 205}, true, 40 << 16, 80 << 16, 200, 100},
        {"source without extent is drawn one to one",
         0x41,
         {0, 0, 0, 10},
         {0, 0, 30, 10},
         true,
         20 << 16,
         20 << 16,
         0,
         0},
        {"type 0x00 is ignored", 0x00, {0, 0, 1, 1}, {0, 0, 1, 1}, false, 0, 0, 0, 0},
        {"type 0x44 is ignored", 0x44, {0, 0, 1, 1}, {0, 0, 1, 1}, false, 0, 0, 0, 0},
    };
    for (const FillRow &row : fills)
    {
        SCOPED_TRACE(row.name);
        CSWFShape shape(1, SWFRectF{0, 0, 10, 10}, 1);
        shape.AddBitmapFill(3, row.type, row.source, row.target);
        const SwfShape decoded = Decode(shape);
        ASSERT_EQ(decoded.fills.size(), row.added ? 1u : 0u);
        if (!row.added)
            continue;
        EXPECT_EQ(decoded.fills[0].type, row.type);
        EXPECT_EQ(decoded.fills[0].bitmapId, 3);
        EXPECT_EQ(decoded.fills[0].matrix.scaleX, row.scaleX);
        EXPECT_EQ(decoded.fills[0].matrix.scaleY, row.scaleY);
        EXPECT_FALSE(decoded.fills[0].matrix.hasRotate);
        EXPECT_EQ(decoded.fills[0].matrix.translateX, row.tx);
        EXPECT_EQ(decoded.fills[0].matrix.translateY, row.ty);
    }

    // Line widths are whole pixels x 20, kept within 16 bits instead of wrapping.
    const int widths[][2] = {{1, 20}, {0, 0}, {3276, 65520}, {3277, 65535}, {100000, 65535}, {-2, 0}};
    CSWFShape lines(1, SWFRectF{0, 0, 10, 10}, 1);
    for (const auto &w : widths)
        lines.AddLineStyle(w[0], SWFRGBA{0, 0, 0, 0});
    const SwfShape decodedLines = Decode(lines);
    ASSERT_EQ(decodedLines.lines.size(), std::size(widths));
    for (size_t i = 0; i < std::size(widths); ++i)
        EXPECT_EQ(decodedLines.lines[i].width, widths[i][1]) << "width " << widths[i][0];

    // Move-to points in twips with their own width, beyond 16 bits too.
    CSWFShape moves(1, SWFRectF{0, 0, 10, 10}, 1);
    const float far[2] = {100000, -3};
    const float near[2] = {0.5f, 0};
    moves.ChangeStyle(0, 0, 0, far);
    moves.ChangeStyle(0, 0, 0, near);
    const SwfShape decodedMoves = Decode(moves);
    ASSERT_EQ(decodedMoves.records.size(), 2u);
    EXPECT_EQ(decodedMoves.records[0].moveBits, 22);
    EXPECT_EQ(decodedMoves.records[0].moveX, 2000000);
    EXPECT_EQ(decodedMoves.records[0].moveY, -60);
    EXPECT_EQ(decodedMoves.records[1].moveBits, 5);
    EXPECT_EQ(decodedMoves.records[1].moveX, 10);
}
