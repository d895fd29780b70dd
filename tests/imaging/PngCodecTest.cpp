// PNG decoding: every colour type and bit depth, transparency, 16-bit scaling and interlacing.
#include <gtest/gtest.h>
#include <png.h>

#include "ImagingFixtures.h"
#include "imaging/PngCodec.h"

namespace
{
bool Decode(const std::string &file, Raster &out, std::string &error)
{
    return DecodePng(reinterpret_cast<const uint8_t *>(file.data()), file.size(), out, error);
}

PngRecipe Indexed(int width, int height, int colourType, int bitDepth)
{
    PngRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.colourType = colourType;
    recipe.bitDepth = bitDepth;
    int levels = 1 << bitDepth;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            recipe.samples.push_back(static_cast<uint16_t>((x * 5 + y * 3 + x * y) % levels));
    return recipe;
}

uint16_t SampleAt(const PngRecipe &recipe, int x, int y, int channel, int channels)
{
    return recipe.samples[static_cast<size_t>((y * recipe.width + x) * channels + channel)];
}
} // namespace

TEST(PngCodecTest, PaletteDepthsKeepPaletteAndBecomeOneFourOrEightBits)
{
    const int depths[] = {1, 2, 4, 8};
    const int expectedBpp[] = {1, 4, 4, 8};
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE("bit depth " + std::to_string(depths[i]));
        PngRecipe recipe = Indexed(11, 6, PNG_COLOR_TYPE_PALETTE, depths[i]);
        for (int c = 0; c < (1 << depths[i]); ++c)
            recipe.palette.push_back(
                Rgba{static_cast<uint8_t>(c), static_cast<uint8_t>(200 - c / 2), static_cast<uint8_t>(c * 3)});
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakePng(recipe), picture, error)) << error;
        EXPECT_EQ(expectedBpp[i], picture.bpp);
        EXPECT_FALSE(picture.HasAlpha());
        EXPECT_EQ("",
                  FirstMismatch(picture, [&](int x, int y) { return recipe.palette[SampleAt(recipe, x, y, 0, 1)]; }));
    }
}

TEST(PngCodecTest, GreyDepthsBecomeGreyPalettes)
{
    struct Case
    {
        int bitDepth;
        int expectedBpp;
    };
    const Case cases[] = {{1, 1}, {2, 4}, {4, 4}, {8, 8}, {16, 8}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE("bit depth " + std::to_string(c.bitDepth));
        PngRecipe recipe = Indexed(9, 5, PNG_COLOR_TYPE_GRAY, c.bitDepth == 16 ? 8 : c.bitDepth);
        recipe.bitDepth = c.bitDepth;
        if (c.bitDepth == 16)
            for (uint16_t &s : recipe.samples)
                s = static_cast<uint16_t>(s * 257 + 0x7F); // low byte must not decide the result
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakePng(recipe), picture, error)) << error;
        EXPECT_EQ(c.expectedBpp, picture.bpp);
        int maxValue = (1 << c.bitDepth) - 1;
        EXPECT_EQ("", FirstMismatch(picture, [&](int x, int y) {
                      int v = SampleAt(recipe, x, y, 0, 1);
                      uint8_t grey = static_cast<uint8_t>((v * 255 + maxValue / 2) / maxValue);
                      return Rgba{grey, grey, grey, 255};
                  }));
    }
}

TEST(PngCodecTest, SixteenBitColourIsScaledWithRounding)
{
    PngRecipe recipe;
    recipe.width = 3;
    recipe.height = 1;
    recipe.colourType = PNG_COLOR_TYPE_RGB;
    recipe.bitDepth = 16;
    recipe.samples = {0xFFFF, 0x0000, 0x8000, 0x0080, 0x0081, 0x7F7F, 0x1234, 0xFF7F, 0xFF80};
    Raster picture;
    std::string error;
    ASSERT_TRUE(Decode(MakePng(recipe), picture, error)) << error;
    ASSERT_EQ(24, picture.bpp);
    for (int i = 0; i < 9; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ((recipe.samples[static_cast<size_t>(i)] * 255u + 32767u) / 65535u,
                  picture.pixels[static_cast<size_t>(i)]);
    }
}

TEST(PngCodecTest, TransparencyBecomesTheAlphaPlane)
{
    struct Case
    {
        const char *name;
        PngRecipe recipe;
        Rgba (*expected)(const PngRecipe &, int, int);
    };
    PngRecipe palette = Indexed(6, 4, PNG_COLOR_TYPE_PALETTE, 2);
    palette.palette = {Rgba{255, 0, 0, 0}, Rgba{0, 255, 0, 128}, Rgba{0, 0, 255, 255}, Rgba{9, 9, 9, 255}};
    PngRecipe grey = Indexed(6, 4, PNG_COLOR_TYPE_GRAY, 4);
    grey.transparentGrey = 5;
    PngRecipe rgb;
    rgb.width = 4;
    rgb.height = 2;
    rgb.colourType = PNG_COLOR_TYPE_RGB;
    rgb.samples = {1, 2, 3, 4, 5, 6, 1, 2, 3, 9, 9, 9, 0, 0, 0, 1, 2, 3, 1, 2, 4, 255, 255, 255};
    rgb.transparentRgb[0] = 1;
    rgb.transparentRgb[1] = 2;
    rgb.transparentRgb[2] = 3;
    PngRecipe rgba;
    rgba.width = 5;
    rgba.height = 3;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    PngRecipe greyAlpha = rgba;
    greyAlpha.colourType = PNG_COLOR_TYPE_GRAY_ALPHA;
    for (int i = 0; i < 15; ++i)
    {
        Rgba c = PatternColour(i % 5, i / 5);
        rgba.samples.insert(rgba.samples.end(), {c.r, c.g, c.b, static_cast<uint16_t>(i * 17)});
        greyAlpha.samples.insert(greyAlpha.samples.end(), {c.g, static_cast<uint16_t>(255 - i * 17)});
    }
    Case cases[] = {
        {"palette with tRNS", palette,
         [](const PngRecipe &s, int x, int y) { return s.palette[SampleAt(s, x, y, 0, 1)]; }},
        {"grey with tRNS", grey,
         [](const PngRecipe &s, int x, int y) {
             uint8_t v = static_cast<uint8_t>(SampleAt(s, x, y, 0, 1) * 17);
             return Rgba{v, v, v, static_cast<uint8_t>(SampleAt(s, x, y, 0, 1) == 5 ? 0 : 255)};
         }},
        {"RGB with tRNS", rgb,
         [](const PngRecipe &s, int x, int y) {
             Rgba c{static_cast<uint8_t>(SampleAt(s, x, y, 0, 3)), static_cast<uint8_t>(SampleAt(s, x, y, 1, 3)),
                    static_cast<uint8_t>(SampleAt(s, x, y, 2, 3)), 255};
             c.a = (c.r == 1 && c.g == 2 && c.b == 3) ? 0 : 255;
             return c;
         }},
        {"RGBA", rgba,
         [](const PngRecipe &s, int x, int y) {
             return Rgba{static_cast<uint8_t>(SampleAt(s, x, y, 0, 4)), static_cast<uint8_t>(SampleAt(s, x, y, 1, 4)),
                         static_cast<uint8_t>(SampleAt(s, x, y, 2, 4)), static_cast<uint8_t>(SampleAt(s, x, y, 3, 4))};
         }},
        {"grey with alpha", greyAlpha,
         [](const PngRecipe &s, int x, int y) {
             uint8_t v = static_cast<uint8_t>(SampleAt(s, x, y, 0, 2));
             return Rgba{v, v, v, static_cast<uint8_t>(SampleAt(s, x, y, 1, 2))};
         }},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakePng(c.recipe), picture, error)) << error;
        ASSERT_TRUE(picture.HasAlpha());
        EXPECT_EQ("", FirstMismatch(picture, [&](int x, int y) { return c.expected(c.recipe, x, y); }));
    }
}

TEST(PngCodecTest, InterlacedDecodesLikeProgressiveRows)
{
    // Sizes that leave some Adam7 passes empty or partial.
    const int sizes[][2] = {{13, 11}, {1, 1}, {3, 9}, {33, 2}};
    for (const auto &size : sizes)
    {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        PngRecipe recipe;
        recipe.width = size[0];
        recipe.height = size[1];
        recipe.colourType = PNG_COLOR_TYPE_RGB;
        for (int y = 0; y < recipe.height; ++y)
            for (int x = 0; x < recipe.width; ++x)
            {
                Rgba c = PatternColour(x, y);
                recipe.samples.insert(recipe.samples.end(), {c.r, c.g, c.b});
            }
        recipe.interlaced = true;
        Raster picture;
        std::string error;
        ASSERT_TRUE(Decode(MakePng(recipe), picture, error)) << error;
        EXPECT_EQ("", FirstMismatch(picture, PatternColour));
    }
}
