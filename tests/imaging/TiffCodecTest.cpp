// TIFF decoding: compressions, strips and tiles, palette and grey pages, alpha, the first page only.
#include <gtest/gtest.h>
#include <tiffio.h>

#include "ImagingFixtures.h"
#include "imaging/TiffCodec.h"

namespace
{
bool Decode(const std::string &file, Raster &out, std::string &error)
{
    return DecodeTiff(reinterpret_cast<const uint8_t *>(file.data()), file.size(), out, error);
}

// Smooth enough for JPEG's chroma subsampling to keep it within a few levels.
Rgba SmoothColour(int x, int y)
{
    return Rgba{static_cast<uint8_t>(x * 6), static_cast<uint8_t>(y * 11), static_cast<uint8_t>(128 + x - y), 255};
}

TiffRecipe RgbRecipe(int width, int height, Rgba (*colour)(int, int) = PatternColour)
{
    TiffRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.samples = RgbSamples(width, height, colour);
    return recipe;
}

TiffRecipe OneSampleRecipe(int width, int height, uint16_t photometric, uint16_t bits)
{
    TiffRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.photometric = photometric;
    recipe.bitsPerSample = bits;
    recipe.samplesPerPixel = 1;
    int levels = 1 << std::min<int>(bits, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            recipe.samples.push_back(static_cast<uint16_t>((x * 7 + y * 3) % levels));
    return recipe;
}

uint16_t Sample(const TiffRecipe &recipe, int x, int y)
{
    return recipe.samples[static_cast<size_t>(y * recipe.width + x)];
}
} // namespace

TEST(TiffCodecTest, ColourPagesDecodeForEveryCompressionAndLayout)
{
    struct Case
    {
        const char *name;
        uint16_t compression;
        uint16_t predictor;
        int tileSize;
        int rowsPerStrip;
        int tolerance;
    };
    const Case cases[] = {
        {"uncompressed", COMPRESSION_NONE, 1, 0, 0, 0},
        {"LZW", COMPRESSION_LZW, 1, 0, 0, 0},
        {"LZW with predictor, several strips", COMPRESSION_LZW, 2, 0, 4, 0},
        {"deflate", COMPRESSION_ADOBE_DEFLATE, 1, 0, 0, 0},
        {"PackBits", COMPRESSION_PACKBITS, 1, 0, 5, 0},
        {"deflate, tiles", COMPRESSION_ADOBE_DEFLATE, 1, 16, 0, 0},
        {"JPEG, strips of 16 rows", COMPRESSION_JPEG, 1, 0, 16, 24},
        {"JPEG, tiles", COMPRESSION_JPEG, 1, 16, 0, 24},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        auto colour = c.compression == COMPRESSION_JPEG ? SmoothColour : PatternColour;
        TiffRecipe recipe = RgbRecipe(37, 21, colour);
        recipe.compression = c.compression;
        recipe.predictor = c.predictor;
        recipe.tileSize = c.tileSize;
        recipe.rowsPerStrip = c.rowsPerStrip;
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakeTiff(recipe), picture, error)) << error;
        EXPECT_EQ(24, picture.bpp);
        EXPECT_FALSE(picture.HasAlpha());
        EXPECT_EQ("", FirstMismatch(picture, colour, c.tolerance));
    }
}

TEST(TiffCodecTest, PaletteAndGreyPagesKeepAPalette)
{
    struct Case
    {
        const char *name;
        TiffRecipe recipe;
        int expectedBpp;
    };
    auto palette = [](TiffRecipe recipe, bool eightBitValues) {
        size_t n = static_cast<size_t>(1) << recipe.bitsPerSample;
        recipe.colourMap.resize(3 * n);
        for (size_t i = 0; i < n; ++i)
        {
            uint16_t scale = eightBitValues ? 1 : 257;
            recipe.colourMap[i] = static_cast<uint16_t>((i * 9 % 256) * scale);
            recipe.colourMap[n + i] = static_cast<uint16_t>((255 - i % 256) * scale);
            recipe.colourMap[2 * n + i] = static_cast<uint16_t>((i * 31 % 256) * scale);
        }
        return recipe;
    };
    auto tiled = [](TiffRecipe recipe) {
        recipe.tileSize = 16;
        recipe.compression = COMPRESSION_LZW;
        return recipe;
    };
    Case cases[] = {
        {"8-bit palette", palette(OneSampleRecipe(23, 9, PHOTOMETRIC_PALETTE, 8), false), 8},
        {"8-bit palette with 8-bit values", palette(OneSampleRecipe(23, 9, PHOTOMETRIC_PALETTE, 8), true), 8},
        {"4-bit palette, tiles", tiled(palette(OneSampleRecipe(37, 18, PHOTOMETRIC_PALETTE, 4), false)), 4},
        {"2-bit palette", palette(OneSampleRecipe(13, 5, PHOTOMETRIC_PALETTE, 2), false), 4},
        {"8-bit grey", OneSampleRecipe(17, 6, PHOTOMETRIC_MINISBLACK, 8), 8},
        {"4-bit grey, tiles", tiled(OneSampleRecipe(35, 17, PHOTOMETRIC_MINISBLACK, 4)), 4},
        {"1-bit white is zero", OneSampleRecipe(19, 7, PHOTOMETRIC_MINISWHITE, 1), 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakeTiff(c.recipe), picture, error)) << error;
        EXPECT_EQ(c.expectedBpp, picture.bpp);
        int bits = c.recipe.bitsPerSample;
        EXPECT_EQ(
            "", FirstMismatch(picture, [&](int x, int y) {
                int v = Sample(c.recipe, x, y);
                if (c.recipe.photometric == PHOTOMETRIC_PALETTE)
                {
                    size_t n = static_cast<size_t>(1) << bits;
                    int shift = c.recipe.colourMap[0] > 255 || c.recipe.colourMap[n + 1] > 255 ? 8 : 0;
                    return Rgba{static_cast<uint8_t>(c.recipe.colourMap[static_cast<size_t>(v)] >> shift),
                                static_cast<uint8_t>(c.recipe.colourMap[n + static_cast<size_t>(v)] >> shift),
                                static_cast<uint8_t>(c.recipe.colourMap[2 * n + static_cast<size_t>(v)] >> shift), 255};
                }
                int maxValue = (1 << bits) - 1;
                int grey = v * 255 / maxValue;
                if (c.recipe.photometric == PHOTOMETRIC_MINISWHITE)
                    grey = 255 - grey;
                return Rgba{static_cast<uint8_t>(grey), static_cast<uint8_t>(grey), static_cast<uint8_t>(grey), 255};
            }));
    }
}

TEST(TiffCodecTest, SixteenBitGreyBecomesEightBitGrey)
{
    TiffRecipe recipe = OneSampleRecipe(9, 4, PHOTOMETRIC_MINISBLACK, 16);
    for (uint16_t &s : recipe.samples)
        s = static_cast<uint16_t>(s * 4000);
    Raster picture;
    std::string error;
    ASSERT_TRUE(Decode(MakeTiff(recipe), picture, error)) << error;
    EXPECT_EQ(8, picture.bpp);
    EXPECT_EQ("", FirstMismatch(
                      picture,
                      [&](int x, int y) {
                          uint8_t v = static_cast<uint8_t>(Sample(recipe, x, y) >> 8);
                          return Rgba{v, v, v, 255};
                      },
                      1));
}

TEST(TiffCodecTest, UnassociatedAlphaGivesStraightColourAndAlphaPlane)
{
    TiffRecipe recipe;
    recipe.width = 8;
    recipe.height = 3;
    recipe.samplesPerPixel = 4;
    recipe.alpha = true;
    recipe.compression = COMPRESSION_LZW;
    for (int y = 0; y < recipe.height; ++y)
        for (int x = 0; x < recipe.width; ++x)
        {
            Rgba c = PatternColour(x, y);
            recipe.samples.insert(recipe.samples.end(),
                                  {c.r, c.g, c.b, static_cast<uint16_t>(x == 0 ? 0 : 95 + x * 20)});
        }
    Raster picture;
    std::string error;
    ASSERT_TRUE(Decode(MakeTiff(recipe), picture, error)) << error;
    ASSERT_TRUE(picture.HasAlpha());
    // Premultiplied and back again: a colour is exact to within the rounding of the weakest alpha.
    EXPECT_EQ("", FirstMismatch(
                      picture,
                      [](int x, int y) {
                          Rgba c = PatternColour(x, y);
                          c.a = static_cast<uint8_t>(x == 0 ? 0 : 95 + x * 20);
                          return x == 0 ? Rgba{0, 0, 0, 0} : c;
                      },
                      2));
}

TEST(TiffCodecTest, OnlyTheFirstPageIsRead)
{
    TiffRecipe recipe = RgbRecipe(6, 4);
    recipe.extraPages = 2;
    Raster picture;
    std::string error;
    ASSERT_TRUE(Decode(MakeTiff(recipe), picture, error)) << error;
    EXPECT_EQ("", FirstMismatch(picture, PatternColour));
}

TEST(TiffCodecTest, SeparatedCmykDecodesLikeCmykJpeg)
{
    // Inks as TIFF stores them (255: full ink); the colour a CMYK JPEG of the same inks gives.
    auto inks = [](int x, int y) {
        return std::vector<uint16_t>{static_cast<uint16_t>(x * 13), static_cast<uint16_t>(y * 30),
                                     static_cast<uint16_t>(255 - x * 10), static_cast<uint16_t>((x + y) * 9)};
    };
    auto shown = [&](int x, int y) {
        std::vector<uint16_t> ink = inks(x, y);
        auto level = [&](int c) { return static_cast<uint8_t>(((255 - ink[c]) * (255 - ink[3]) + 127) / 255); };
        return Rgba{level(0), level(1), level(2), static_cast<uint8_t>(x == 0 ? 0 : 255)};
    };
    struct Case
    {
        const char *name;
        uint16_t bits;
        bool planes;
        int tileSize;
        bool alpha;
        uint16_t orientation;
    };
    const Case cases[] = {
        {"8 bits, samples together", 8, false, 0, false, 0},
        {"16 bits, samples together", 16, false, 0, false, 0},
        {"8 bits in planes", 8, true, 0, false, 0},
        {"16 bits in planes, tiles", 16, true, 16, false, 0},
        {"8 bits with alpha, tiles", 8, false, 16, true, 0},
        {"stored from the bottom right", 8, false, 0, false, ORIENTATION_BOTRIGHT},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        TiffRecipe recipe;
        recipe.width = 19;
        recipe.height = 7;
        recipe.photometric = PHOTOMETRIC_SEPARATED;
        recipe.inkSet = INKSET_CMYK;
        recipe.bitsPerSample = c.bits;
        recipe.samplesPerPixel = c.alpha ? 5 : 4;
        recipe.alpha = c.alpha;
        recipe.planes = c.planes;
        recipe.tileSize = c.tileSize;
        recipe.rowsPerStrip = 3;
        recipe.compression = COMPRESSION_LZW;
        recipe.orientation = c.orientation;
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x)
            {
                for (uint16_t ink : inks(x, y))
                    recipe.samples.push_back(static_cast<uint16_t>(c.bits == 16 ? ink * 257 : ink));
                if (c.alpha)
                    recipe.samples.push_back(static_cast<uint16_t>(x == 0 ? 0 : c.bits == 16 ? 65535 : 255));
            }
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakeTiff(recipe), picture, error)) << error;
        EXPECT_EQ(24, picture.bpp);
        EXPECT_EQ(c.alpha, picture.HasAlpha());
        const bool flipped = c.orientation == ORIENTATION_BOTRIGHT;
        EXPECT_EQ("", FirstMismatch(picture, [&](int x, int y) {
                      Rgba want = flipped ? shown(18 - x, 6 - y) : shown(x, y);
                      want.a = c.alpha ? want.a : 255;
                      return want;
                  }));
    }
}

TEST(TiffCodecTest, VariantsThatCannotBeDecodedSaySo)
{
    TiffRecipe inks = RgbRecipe(4, 4);
    inks.photometric = PHOTOMETRIC_SEPARATED;
    inks.inkSet = INKSET_MULTIINK;
    inks.samplesPerPixel = 3;
    TiffRecipe floats = RgbRecipe(4, 4);
    floats.bitsPerSample = 32;
    floats.sampleFormat = SAMPLEFORMAT_IEEEFP;
    // The compression tag (259, one SHORT) of an uncompressed page, set to a scheme no build has.
    std::string unknown = MakeTiff(RgbRecipe(4, 4));
    size_t tag = unknown.find(std::string("\x03\x01\x03\x00\x01\x00\x00\x00\x01\x00", 10));
    ASSERT_NE(std::string::npos, tag);
    unknown.replace(tag + 8, 2, "\xE8\xFD", 2);
    const struct
    {
        const char *name;
        std::string file;
        const char *reason;
    } cases[] = {
        {"inks other than CMYK", MakeTiff(inks), "inks"},
        {"32-bit floating-point samples", MakeTiff(floats), "32-bit"},
        {"unknown compression", unknown, "compression 65000"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        Raster picture;
        std::string error;
        ASSERT_FALSE(Decode(c.file, picture, error));
        EXPECT_EQ(0u, error.find("this kind of TIFF is not supported (")) << error;
        EXPECT_NE(std::string::npos, error.find(c.reason)) << error;
    }
}
