// RECT, MATRIX and CXFORMWITHALPHA: exact bytes of the known examples, and field values read back.
#include "SwfTestReader.h"
#include "SwfTestUtil.h"
#include "swf/SWFColorTransform.h"
#include "swf/SWFMatrix.h"
#include "swf/SWFRectangle.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

// The record's bytes match `hex` (when given) and `decode` reads all of them back into `read`.
template <class Read, class Decode>
testing::AssertionResult EncodesAs(const std::string &bytes, const char *hex, Decode decode, Read &read)
{
    if (hex != nullptr && Hex(bytes) != Hex(HexBytes(hex)))
        return testing::AssertionFailure() << "bytes " << Hex(bytes) << ", expected " << Hex(HexBytes(hex));
    const std::string error = decode(bytes, read);
    if (!error.empty())
        return testing::AssertionFailure() << "decoding: " << error;
    if (read.bytes != bytes.size())
        return testing::AssertionFailure() << "decoding read " << read.bytes << " of " << bytes.size() << " bytes";
    return testing::AssertionSuccess();
}
} // namespace

TEST(SWFRectangleTest, EncodesTwipsInTheNarrowestFieldThatReadsBack)
{
    struct Row
    {
        const char *name;
        float xmin, ymin, xmax, ymax;
        int nbits;
        int32_t txmin, txmax, tymin, tymax;
        const char *hex; // null when only the values are checked
    };
    const Row rows[] = {
        {"200 x 200 px stage", 0, 0, 200, 200, 13, 0, 4000, 0, 4000, "68 00 1F 40 00 07 D0 00"},
        {"256 x 192 px stage", 0, 0, 256, 192, 14, 0, 5120, 0, 3840, "70 00 0A 00 00 00 78 00"},
        {"all zero", 0, 0, 0, 0, 1, 0, 0, 0, 0, "08 00"},
        {"exact power of two takes one more bit", 0, 0, 204.8f, 0, 14, 0, 4096, 0, 0, "70 00 08 00 00 00 00 00"},
        {"negative values count by magnitude", -250, 0, 0, 0, 14, -5000, 0, 0, 0, nullptr},
        {"pixels truncate toward zero", 12.99f, -12.99f, 0.04f, -0.04f, 10, 259, 0, -259, 0, nullptr},
        // Sizes beyond 16-bit twips (1638.35 px) keep their values.
        {"3000 x 2000 px stage", 0, 0, 3000, 2000, 17, 0, 60000, 0, 40000, nullptr},
        {"65535 px stage", 0, 0, 65535, 65535, 22, 0, 1310700, 0, 1310700, nullptr},
        {"NaN gives 0", kNaN, 0, kNaN, 1, 6, 0, 0, 0, 20, nullptr},
        {"out of range clamps to the 31-bit field", -kInf, 0, 1e30f, 0, 31, -1073741823, 1073741823, 0, 0, nullptr},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFRectangle rect;
        rect.SetRect(row.xmin, row.ymin, row.xmax, row.ymax);
        SwfRect read;
        ASSERT_TRUE(EncodesAs(BytesOf(rect), row.hex, DecodeSwfRect, read));
        EXPECT_EQ(read.nbits, row.nbits);
        EXPECT_EQ(read.xmin, row.txmin);
        EXPECT_EQ(read.xmax, row.txmax);
        EXPECT_EQ(read.ymin, row.tymin);
        EXPECT_EQ(read.ymax, row.tymax);
    }
}

TEST(SWFMatrixTest, EncodesPresentPairsWithTheirBitCounts)
{
    struct Row
    {
        const char *name;
        float terms[6]; // scaleX, scaleY, rotateSkew0, rotateSkew1, translateX, translateY
        bool scale;
        int scaleBits;
        int32_t scaleX, scaleY;
        bool rotate;
        int rotateBits;
        int32_t skew0, skew1;
        int translateBits;
        int32_t tx, ty;
        const char *hex;
    };
    const Row rows[] = {
        {"six zeros leave the identity", {0, 0, 0, 0, 0, 0}, false, 0, 0, 0, false, 0, 0, 0, 0, 0, 0, "00"},
        {"scale 20",
         {20, 20, 0, 0, 0, 0},
         true,
         22,
         20 << 16,
         20 << 16,
         false,
         0,
         0,
         0,
         0,
         0,
         0,
         "D9 40 00 05 00 00 00"},
        {"scale 1.0 needs 18 bits",
         {1, 1, 0, 0, 0, 0},
         true,
         18,
         65536,
         65536,
         false,
         0,
         0,
         0,
         0,
         0,
         0,
         "C9 00 00 40 00 00"},
        {"translate 10, 5 px", {0, 0, 0, 0, 10, 5}, false, 0, 0, 0, false, 0, 0, 0, 9, 200, 100, "12 C8 32 00"},
        {"translate of 0.04 px is present with value 0",
         {0, 0, 0, 0, 0.04f, 0},
         false,
         0,
         0,
         0,
         false,
         0,
         0,
         0,
         1,
         0,
         0,
         "02 00"},
        {"fractions take 17 bits",
         {0.25f, 0.125f, 0, 0, 0, 0},
         true,
         17,
         16384,
         8192,
         false,
         0,
         0,
         0,
         0,
         0,
         0,
         nullptr},
        {"negative scale counts by magnitude",
         {-1, 0.5f, 0, 0, 0, 0},
         true,
         18,
         -65536,
         32768,
         false,
         0,
         0,
         0,
         0,
         0,
         0,
         nullptr},
        {"scale 0, 2 is present", {0, 2, 0, 0, 0, 0}, true, 19, 0, 131072, false, 0, 0, 0, 0, 0, 0, nullptr},
        {"rotate and translate",
         {0, 0, 0.5f, -1.5f, -3, 0},
         false,
         0,
         0,
         0,
         true,
         18,
         32768,
         -98304,
         7,
         -60,
         0,
         nullptr},
        {"huge and NaN terms stay in range",
         {1e12f, kNaN, -kInf, 0, 1e20f, kNaN},
         true,
         31,
         1073741823,
         0,
         true,
         31,
         -1073741823,
         0,
         31,
         1073741823,
         0,
         nullptr},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFMatrix matrix;
        matrix.SetMatrix(row.terms[0], row.terms[1], row.terms[2], row.terms[3], row.terms[4], row.terms[5]);
        SwfMatrix read;
        ASSERT_TRUE(EncodesAs(BytesOf(matrix), row.hex, DecodeSwfMatrix, read));
        EXPECT_EQ(read.hasScale, row.scale);
        EXPECT_EQ(read.scaleBits, row.scaleBits);
        EXPECT_EQ(read.scaleX, row.scaleX);
        EXPECT_EQ(read.scaleY, row.scaleY);
        EXPECT_EQ(read.hasRotate, row.rotate);
        EXPECT_EQ(read.rotateBits, row.rotateBits);
        EXPECT_EQ(read.rotateSkew0, row.skew0);
        EXPECT_EQ(read.rotateSkew1, row.skew1);
        EXPECT_EQ(read.translateBits, row.translateBits);
        EXPECT_EQ(read.translateX, row.tx);
        EXPECT_EQ(read.translateY, row.ty);
    }
}

TEST(SWFColorTransformTest, WritesBothTermGroupsInTheWidthTheLargestTermNeeds)
{
    struct Row
    {
        const char *name;
        bool null;
        float terms[8];
        int nbits;
        int32_t mult[4], add[4];
        const char *hex;
    };
    const Row rows[] = {
        {"neutral multipliers",
         false,
         {1, 1, 1, 1, 0, 0, 0, 0},
         10,
         {256, 256, 256, 256},
         {0, 0, 0, 0},
         "E9 00 40 10 04 00 00 00 00 00 00"},
        {"null transform", true, {}, 10, {0, 0, 0, 0}, {0, 0, 0, 0}, "E8 00 00 00 00 00 00 00 00 00 00"},
        {"multiplier -1.0 counts by magnitude",
         false,
         {-1, 0.5f, 0, 0, 0, 0, 0, 0},
         10,
         {-256, 128, 0, 0},
         {0, 0, 0, 0},
         nullptr},
        {"additions truncate toward zero",
         false,
         {0, 0, 0, 0, 255.9f, -255.9f, 511, 0},
         10,
         {0, 0, 0, 0},
         {255, -255, 511, 0},
         nullptr},
        {"addition 600 needs 11 bits", false, {0, 0, 0, 0, 600, 0, 0, 0}, 11, {0, 0, 0, 0}, {600, 0, 0, 0}, nullptr},
        {"largest encodable terms",
         false,
         {32.99f, 0, 0, 0, -8447, 0, 0, 0},
         15,
         {8445, 0, 0, 0},
         {-8447, 0, 0, 0},
         nullptr},
        // Beyond the 4-bit width field: clamped, so the record never overflows it.
        {"too large terms clamp",
         false,
         {40, 0, 0, 0, 1e6f, -kInf, kNaN, 0},
         15,
         {8447, 0, 0, 0},
         {8447, -8447, 0, 0},
         nullptr},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        CSWFColorTransform cxform(row.null ? nullptr : row.terms);
        SwfColorTransform read;
        ASSERT_TRUE(EncodesAs(BytesOf(cxform), row.hex, DecodeSwfColorTransform, read));
        EXPECT_TRUE(read.hasAdd);
        EXPECT_TRUE(read.hasMult);
        EXPECT_EQ(read.nbits, row.nbits);
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_EQ(read.mult[i], row.mult[i]) << "mult " << i;
            EXPECT_EQ(read.add[i], row.add[i]) << "add " << i;
        }
    }
}
