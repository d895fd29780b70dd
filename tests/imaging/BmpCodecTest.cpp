// BMP decoding: palette layouts keep palette and indices, direct-colour layouts give exact colours.
#include <gtest/gtest.h>

#include "ImagingFixtures.h"
#include "imaging/BmpCodec.h"
#include "support/TempDir.h"

namespace
{
std::vector<Rgba> TestPalette(int entries)
{
    std::vector<Rgba> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back(
            Rgba{static_cast<uint8_t>(i * 7 + 3), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 13)});
    return palette;
}

BmpRecipe IndexedRecipe(int width, int height, int bpp, int entries)
{
    BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bpp = bpp;
    recipe.palette = TestPalette(entries);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            recipe.indices.push_back(static_cast<uint8_t>((x * 3 + y * 5 + (x > width / 2 ? 0 : x * y)) % entries));
    return recipe;
}

bool Decode(const std::string &file, Raster &out, std::string &error)
{
    return DecodeBmp(reinterpret_cast<const uint8_t *>(file.data()), file.size(), out, error);
}
} // namespace

TEST(BmpCodecTest, PaletteFilesKeepTheirPaletteAndIndices)
{
    struct Case
    {
        const char *name;
        BmpRecipe recipe;
        int expectedBpp;
    };
    auto with = [](BmpRecipe recipe, auto change) {
        change(recipe);
        return recipe;
    };
    Case cases[] = {
        {"1-bit, odd width", IndexedRecipe(13, 5, 1, 2), 1},
        {"4-bit", IndexedRecipe(9, 6, 4, 16), 4},
        {"4-bit with 5 colours used", IndexedRecipe(7, 3, 4, 5), 4},
        {"8-bit", IndexedRecipe(11, 7, 8, 256), 8},
        {"8-bit with 40 colours", IndexedRecipe(10, 4, 8, 40), 8},
        {"8-bit top-down", with(IndexedRecipe(6, 5, 8, 20), [](BmpRecipe &s) { s.topDown = true; }), 8},
        {"8-bit core header", with(IndexedRecipe(6, 5, 8, 30), [](BmpRecipe &s) { s.headerSize = 12; }), 8},
        {"8-bit RLE", with(IndexedRecipe(21, 6, 8, 12), [](BmpRecipe &s) { s.compression = 1; }), 8},
        {"4-bit RLE", with(IndexedRecipe(19, 5, 4, 16), [](BmpRecipe &s) { s.compression = 2; }), 4},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakeBmp(c.recipe), picture, error)) << error;
        ASSERT_EQ(c.recipe.width, picture.width);
        ASSERT_EQ(c.recipe.height, picture.height);
        ASSERT_EQ(c.expectedBpp, picture.bpp);
        ASSERT_EQ(static_cast<size_t>(1) << c.expectedBpp, picture.palette.size());
        EXPECT_FALSE(picture.HasAlpha());
        EXPECT_EQ("", FirstMismatch(picture, [&](int x, int y) {
                      return c.recipe.palette[c.recipe.indices[static_cast<size_t>(y * c.recipe.width + x)]];
                  }));
        // The file's indices survive, not just the colours.
        int bit = 3 * picture.bpp;
        int index =
            (picture.pixels[static_cast<size_t>(bit / 8)] >> (8 - picture.bpp - bit % 8)) & ((1 << picture.bpp) - 1);
        EXPECT_EQ(c.recipe.indices[3], index);
    }
}

TEST(BmpCodecTest, DirectColourFilesGiveExactColoursAndAlpha)
{
    struct Case
    {
        const char *name;
        int bpp;
        int compression;
        int headerSize;
        bool varyAlpha;
        bool expectAlpha;
    };
    const Case cases[] = {
        {"24-bit, row padding", 24, 0, 40, false, false},
        {"24-bit core header", 24, 0, 12, false, false},
        {"16-bit 5-5-5", 16, 0, 40, false, false},
        {"32-bit with alpha", 32, 0, 40, true, true},
        {"32-bit, alpha all zero means opaque", 32, 0, 40, false, false},
        {"32-bit bit fields, V5 header, alpha mask", 32, 3, 124, true, true},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        BmpRecipe recipe;
        recipe.width = 7;
        recipe.height = 5;
        recipe.bpp = c.bpp;
        recipe.compression = c.compression;
        recipe.headerSize = c.headerSize;
        auto expected = [&](int x, int y) {
            Rgba colour = PatternColour(x, y);
            if (c.bpp == 16)
            {
                // 5 bits per channel, widened the way readers do: v << 3 | v >> 2.
                auto widen = [](uint8_t v) { return static_cast<uint8_t>(((v >> 3) << 3) | ((v >> 3) >> 2)); };
                colour = Rgba{widen(colour.r), widen(colour.g), widen(colour.b), 255};
            }
            colour.a = c.expectAlpha ? static_cast<uint8_t>(x * 40) : 255;
            return colour;
        };
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x)
            {
                Rgba colour = PatternColour(x, y);
                colour.a = c.varyAlpha ? static_cast<uint8_t>(x * 40) : 0;
                recipe.colours.push_back(colour);
            }
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakeBmp(recipe), picture, error)) << error;
        EXPECT_EQ(24, picture.bpp);
        EXPECT_EQ(c.expectAlpha, picture.HasAlpha());
        EXPECT_EQ("", FirstMismatch(picture, expected));
    }
}

TEST(BmpCodecTest, RleDeltaSkipsPixelsThatStayAtIndexZero)
{
    // 4 x 3, 8-bit RLE: row 0 (bottom) "2 x colour 1", delta (1 right, 1 up), "1 x colour 2", end.
    BmpRecipe recipe = IndexedRecipe(4, 3, 8, 3);
    recipe.compression = 1;
    std::string file = MakeBmp(recipe);
    size_t offset = static_cast<uint8_t>(file[10]);
    file.resize(offset);
    file += HexBytes("02 01 | 00 02 01 01 | 01 02 | 00 01");
    Raster picture;
    std::string error;
    ASSERT_TRUE(Decode(file, picture, error)) << error;
    const uint8_t *bottom = picture.Row(2);
    const uint8_t *middle = picture.Row(1);
    EXPECT_EQ(1, bottom[0]);
    EXPECT_EQ(1, bottom[1]);
    EXPECT_EQ(0, bottom[2]);
    EXPECT_EQ(0, middle[2]);
    EXPECT_EQ(2, middle[3]);
    EXPECT_EQ(0, picture.Row(0)[0]);
}
