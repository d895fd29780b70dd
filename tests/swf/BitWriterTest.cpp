// Bit packing: field widths, MSB-first order, masking of values too wide for their field, a growing buffer.
#include "swf/BitWriter.h"
#include "SwfTestUtil.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

TEST(BitWriterTest, SignedBitsForCountsTheLargestMagnitudePlusASignBit)
{
    struct Row
    {
        std::vector<int64_t> values;
        unsigned bits;
    };
    const Row rows[] = {
        {{0}, 1},          {{0, 0, 0, 0}, 1}, {{1}, 2},
        {{-1}, 2},         {{4000}, 13},      {{0, 4000, 0, 4000}, 13},
        {{4096}, 14},      {{-4096}, 14},     {{-5000, 0, 0, 0}, 14},
        {{65535}, 17},     {{65536, -3}, 18}, {{(1 << 30) - 1}, 31},
        {{INT32_MIN}, 33},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.values.front());
        unsigned got = 0;
        switch (row.values.size())
        {
        case 1:
            got = SignedBitsFor({row.values[0]});
            break;
        case 2:
            got = SignedBitsFor({row.values[0], row.values[1]});
            break;
        default:
            got = SignedBitsFor({row.values[0], row.values[1], row.values[2], row.values[3]});
        }
        EXPECT_EQ(got, row.bits);
    }
}

TEST(BitWriterTest, PacksMostSignificantBitFirstAndMasksEveryField)
{
    // (value, width) fields written in order, and the bytes they must give.
    struct Row
    {
        const char *name;
        std::vector<std::pair<int64_t, unsigned>> fields;
        const char *hex;
    };
    const Row rows[] = {
        {"first bit is the top bit of byte 0", {{1, 1}}, "80"},
        {"fields run across byte boundaries", {{0b101, 3}, {0x1FF, 9}, {0, 4}}, "BF F0"},
        {"negative values are two's complement in their width", {{-1, 3}, {-2, 5}}, "FE"},
        // An adding writer would carry the extra high bits into the earlier field.
        {"a value too wide for its field keeps only its low bits", {{0xA, 4}, {0xFF, 4}}, "AF"},
        {"a wide negative value does not spill into earlier bits", {{0, 4}, {-1, 2}, {0, 2}}, "0C"},
        {"unused low bits of the last byte stay zero", {{1, 1}, {1, 1}, {1, 1}, {0, 1}, {1, 1}}, "E8"},
        {"zero-width fields write nothing", {{7, 0}, {1, 1}, {123, 0}}, "80"},
        {"32-bit fields", {{-2, 32}}, "FF FF FF FE"},
        {"fields wider than 32 bits", {{1, 40}}, "00 00 00 00 01"},
        {"fields wider than the value sign-extend it", {{-2, 70}, {1, 2}}, "FF FF FF FF FF FF FF FF F9"},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        size_t total = 0;
        CBitWriter bits;
        for (const auto &field : row.fields)
        {
            bits.WriteBits(field.first, field.second);
            total += field.second;
        }
        EXPECT_EQ(bits.GetBitPosition(), total);
        const std::string got(bits.GetBytes().begin(), bits.GetBytes().end());
        EXPECT_EQ(Hex(got), Hex(HexBytes(row.hex)));
    }
    // The buffer grows with the fields: no bit is lost however many come.
    CBitWriter many;
    for (int i = 0; i < 10001; ++i)
        many.WriteFlag(i % 2 == 0);
    ASSERT_EQ(many.GetBytes().size(), 1251u);
    EXPECT_EQ(many.GetBytes()[1249], 0xAA);
    EXPECT_EQ(many.GetBytes()[1250], 0x80);
}
