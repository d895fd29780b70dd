// GIF frames composed as a viewer shows them, and GIF writing checked with giflib's own reader.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ImagingFixtures.h"
#include "imaging/ColorQuantizer.h"
#include "imaging/GifCodec.h"

namespace
{
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kYellow{255, 255, 0, 255};
const Rgba kClear{0, 0, 0, 0};

struct GifFrames
{
    std::vector<Raster> frames;
    int frameCount = 0;
};

// Every frame through the frame reader, or the first one and the count through DecodeGif.
bool Decode(const std::string &file, bool allFrames, GifFrames &out, std::string &error)
{
    const auto *data = reinterpret_cast<const uint8_t *>(file.data());
    out = GifFrames{};
    if (!allFrames)
    {
        out.frames.emplace_back();
        return DecodeGif(data, file.size(), out.frames[0], out.frameCount, error);
    }
    CGifFrameReader reader;
    if (!reader.Open(data, file.size(), error))
        return false;
    Raster frame;
    CGifFrameReader::Step step;
    while ((step = reader.Next(&frame, error)) == CGifFrameReader::kFrame)
        out.frames.push_back(std::move(frame));
    out.frameCount = reader.FramesRead();
    return step == CGifFrameReader::kEnd;
}

GifFrameRecipe Solid(int left, int top, int width, int height, uint8_t index, int disposal = 0)
{
    GifFrameRecipe frame;
    frame.left = left;
    frame.top = top;
    frame.width = width;
    frame.height = height;
    frame.indices.assign(static_cast<size_t>(width * height), index);
    frame.disposal = disposal;
    return frame;
}

// Alpha 0 pixels compare as kClear whatever colour they keep.
Rgba Visible(const Raster &raster, int x, int y)
{
    Rgba c = PixelAt(raster, x, y);
    return c.a == 0 ? kClear : c;
}

bool InRect(int x, int y, int left, int top, int width, int height)
{
    return x >= left && x < left + width && y >= top && y < top + height;
}

Rgba WrittenColour(const WrittenGif &gif, int x, int y)
{
    int index = gif.indices[static_cast<size_t>(y * gif.width + x)];
    if (index == gif.transparent)
        return kClear;
    return index < static_cast<int>(gif.colours.size()) ? gif.colours[static_cast<size_t>(index)] : Rgba{1, 2, 3, 4};
}
} // namespace

TEST(GifCodecTest, StillPictureKeepsItsColourTableAndIndices)
{
    struct Case
    {
        int entries;
        bool local;
        int expectedBpp;
    };
    const Case cases[] = {{2, false, 1}, {16, false, 4}, {64, true, 8}, {256, false, 8}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.entries) + (c.local ? " local" : " global") + " colours");
        std::vector<Rgba> palette;
        for (int i = 0; i < c.entries; ++i)
            palette.push_back(
                Rgba{static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i), 255});
        GifRecipe recipe;
        recipe.width = 10;
        recipe.height = 7;
        recipe.globalPalette = c.local ? std::vector<Rgba>{kRed, kGreen} : palette;
        GifFrameRecipe frame = Solid(0, 0, 10, 7, 0);
        for (size_t i = 0; i < frame.indices.size(); ++i)
            frame.indices[i] = static_cast<uint8_t>((i * 7) % static_cast<size_t>(c.entries));
        if (c.local)
            frame.localPalette = palette;
        recipe.frames = {frame};
        GifFrames result;
        std::string error;
        ASSERT_TRUE(Decode(MakeGif(recipe), false, result, error)) << error;
        ASSERT_EQ(1u, result.frames.size());
        const Raster &picture = result.frames[0];
        EXPECT_EQ(c.expectedBpp, picture.bpp);
        EXPECT_FALSE(picture.HasAlpha());
        EXPECT_EQ("", FirstMismatch(picture, [&](int x, int y) {
                      return palette[frame.indices[static_cast<size_t>(y * 10 + x)]];
                  }));
        int bit = 9 * picture.bpp;
        EXPECT_EQ(frame.indices[9], (picture.pixels[static_cast<size_t>(bit / 8)] >> (8 - picture.bpp - bit % 8)) &
                                        ((1 << picture.bpp) - 1));
    }
}

TEST(GifCodecTest, EachDisposalMethodShowsWhatAViewerShows)
{
    // Red screen; green 3 x 2 at (1, 1) with the disposal under test; then a 2 x 2 frame at (3, 1) of
    // blue and transparent yellow, through which the result of that disposal shows.
    for (int disposal = 0; disposal <= 3; ++disposal)
    {
        SCOPED_TRACE("disposal " + std::to_string(disposal));
        GifRecipe recipe;
        recipe.width = 6;
        recipe.height = 4;
        recipe.globalPalette = {kRed, kGreen, kBlue, kYellow};
        GifFrameRecipe last = Solid(3, 1, 2, 2, 2);
        last.indices = {2, 3, 3, 2};
        last.transparent = 3;
        recipe.frames = {Solid(0, 0, 6, 4, 0, 1), Solid(1, 1, 3, 2, 1, disposal), last};
        GifFrames result;
        std::string error;
        ASSERT_TRUE(Decode(MakeGif(recipe), true, result, error)) << error;
        ASSERT_EQ(3, result.frameCount);
        ASSERT_EQ(3u, result.frames.size());
        EXPECT_EQ("", FirstMismatch(result.frames[0], [](int, int) { return kRed; }));
        EXPECT_EQ(
            "", FirstMismatch(result.frames[1], [](int x, int y) { return InRect(x, y, 1, 1, 3, 2) ? kGreen : kRed; }));
        Rgba afterGreen = disposal <= 1 ? kGreen : disposal == 2 ? kClear : kRed;
        const Raster &third = result.frames[2];
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
            {
                Rgba want = kRed;
                if (InRect(x, y, 1, 1, 3, 2))
                    want = afterGreen;
                if ((x == 3 && y == 1) || (x == 4 && y == 2))
                    want = kBlue;
                ASSERT_EQ(want, Visible(third, x, y)) << "at (" << x << ", " << y << ")";
            }
    }
}

TEST(GifCodecTest, RestoreToPreviousReturnsToTheFrameBefore)
{
    GifRecipe recipe;
    recipe.width = 4;
    recipe.height = 2;
    recipe.globalPalette = {kRed, kGreen, kBlue, kYellow};
    recipe.frames = {Solid(0, 0, 4, 2, 0, 1), Solid(0, 0, 2, 2, 1, 1), Solid(0, 0, 2, 1, 2, 3), Solid(3, 1, 1, 1, 3)};
    GifFrames result;
    std::string error;
    ASSERT_TRUE(Decode(MakeGif(recipe), true, result, error)) << error;
    ASSERT_EQ(4u, result.frames.size());
    EXPECT_EQ(kBlue, Visible(result.frames[2], 0, 0));
    // Frame 2 is undone back to frame 1 (green), not to the first frame (red).
    EXPECT_EQ(kGreen, Visible(result.frames[3], 0, 0));
    EXPECT_EQ(kGreen, Visible(result.frames[3], 1, 0));
    EXPECT_EQ(kYellow, Visible(result.frames[3], 3, 1));
    EXPECT_EQ(kRed, Visible(result.frames[3], 2, 0));
}

TEST(GifCodecTest, UncoveredScreenIsTransparentAndATooSmallScreenGrows)
{
    GifRecipe recipe;
    recipe.width = 5;
    recipe.height = 4;
    recipe.globalPalette = {kRed, kGreen};
    recipe.frames = {Solid(1, 1, 2, 2, 1)};
    GifFrames result;
    std::string error;
    ASSERT_TRUE(Decode(MakeGif(recipe), false, result, error)) << error;
    ASSERT_TRUE(result.frames[0].HasAlpha());
    EXPECT_EQ("",
              FirstMismatch(result.frames[0], [](int x, int y) { return InRect(x, y, 1, 1, 2, 2) ? kGreen : kClear; }));

    recipe.width = 2;
    recipe.height = 2;
    recipe.frames = {Solid(1, 0, 3, 3, 1)};
    ASSERT_TRUE(Decode(MakeGif(recipe), false, result, error)) << error;
    EXPECT_EQ(4, result.frames[0].width);
    EXPECT_EQ(3, result.frames[0].height);
    EXPECT_EQ(kGreen, Visible(result.frames[0], 3, 2));
    EXPECT_EQ(kClear, Visible(result.frames[0], 0, 0));
}

TEST(GifCodecTest, InterlacedFrameMatchesPlainFrame)
{
    GifRecipe recipe;
    recipe.width = 7;
    recipe.height = 19;
    for (int i = 0; i < 16; ++i)
        recipe.globalPalette.push_back(PatternColour(i, i));
    GifFrameRecipe frame = Solid(0, 0, 7, 19, 0);
    for (size_t i = 0; i < frame.indices.size(); ++i)
        frame.indices[i] = static_cast<uint8_t>((i / 7 + i % 7 * 3) % 16);
    frame.interlaced = true;
    recipe.frames = {frame};
    GifFrames result;
    std::string error;
    ASSERT_TRUE(Decode(MakeGif(recipe), false, result, error)) << error;
    EXPECT_EQ("", FirstMismatch(result.frames[0], [&](int x, int y) {
                  return recipe.globalPalette[frame.indices[static_cast<size_t>(y * 7 + x)]];
              }));
}

TEST(GifCodecTest, StillModeCountsEveryFrameButComposesOne)
{
    GifRecipe recipe;
    recipe.width = 3;
    recipe.height = 3;
    recipe.globalPalette = {kRed, kGreen};
    recipe.frames = {Solid(0, 0, 3, 3, 0), Solid(0, 0, 1, 1, 1), Solid(2, 2, 1, 1, 1)};
    GifFrames result;
    std::string error;
    ASSERT_TRUE(Decode(MakeGif(recipe), false, result, error)) << error;
    EXPECT_EQ(3, result.frameCount);
    EXPECT_EQ(1u, result.frames.size());
}

TEST(GifCodecTest, FramesMixingColourTablesKeepExactColours)
{
    // Frame 1 draws with a local table over frame 0's colours: 4 colours shown, none of them lost.
    GifRecipe recipe;
    recipe.width = 4;
    recipe.height = 2;
    recipe.globalPalette = {kRed, kGreen};
    GifFrameRecipe second = Solid(0, 0, 2, 2, 0);
    second.indices = {0, 1, 1, 0};
    second.localPalette = {kBlue, kYellow};
    GifFrameRecipe first = Solid(0, 0, 4, 2, 0);
    first.indices = {0, 1, 0, 1, 1, 0, 1, 0};
    recipe.frames = {first, second};
    GifFrames result;
    std::string error;
    ASSERT_TRUE(Decode(MakeGif(recipe), true, result, error)) << error;
    const Rgba want[2][4] = {{kBlue, kYellow, kRed, kGreen}, {kYellow, kBlue, kGreen, kRed}};
    EXPECT_EQ("", FirstMismatch(result.frames[1], [&](int x, int y) { return want[y][x]; }));
    EXPECT_LE(result.frames[1].bpp, 8);

    // Two full tables of different colours on one screen: more than 256 colours, so 24 bits.
    recipe.width = 32;
    recipe.height = 16;
    recipe.globalPalette.clear();
    std::vector<Rgba> other;
    for (int i = 0; i < 256; ++i)
    {
        recipe.globalPalette.push_back(Rgba{static_cast<uint8_t>(i), 0, 7, 255});
        other.push_back(Rgba{static_cast<uint8_t>(i), 9, 0, 255});
    }
    GifFrameRecipe full = Solid(0, 0, 32, 16, 0);
    for (size_t i = 0; i < full.indices.size(); ++i)
        full.indices[i] = static_cast<uint8_t>(i % 256);
    GifFrameRecipe half = Solid(0, 0, 16, 16, 0);
    for (size_t i = 0; i < half.indices.size(); ++i)
        half.indices[i] = static_cast<uint8_t>(i % 256);
    half.localPalette = other;
    recipe.frames = {full, half};
    ASSERT_TRUE(Decode(MakeGif(recipe), true, result, error)) << error;
    EXPECT_EQ(24, result.frames[1].bpp);
    EXPECT_EQ("", FirstMismatch(result.frames[1], [&](int x, int y) {
                  return x < 16 ? other[static_cast<size_t>((y * 16 + x) % 256)]
                                : recipe.globalPalette[static_cast<size_t>((y * 32 + x) % 256)];
              }));
}

TEST(GifCodecTest, WriterKeepsPalettesAndExactColours)
{
    struct Case
    {
        const char *name;
        Raster picture;
        bool keepsIndices;
    };
    auto paletteRaster = [](int bpp, int width, int height) {
        Raster r;
        r.width = width;
        r.height = height;
        r.bpp = bpp;
        r.stride = (static_cast<size_t>(width) * static_cast<size_t>(bpp) + 7) / 8;
        r.pixels.assign(r.stride * static_cast<size_t>(height), 0);
        for (int i = 0; i < (1 << bpp); ++i)
            r.palette.push_back(
                PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i / 2)});
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                int value = (x * 5 + y * 3) % (bpp == 8 ? 201 : (1 << bpp));
                int bit = x * bpp;
                r.pixels[static_cast<size_t>(y) * r.stride + static_cast<size_t>(bit / 8)] |=
                    static_cast<uint8_t>(value << (8 - bpp - bit % 8));
            }
        return r;
    };
    Raster fewColours;
    fewColours.width = 20;
    fewColours.height = 10;
    fewColours.bpp = 24;
    fewColours.stride = 60;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
        {
            Rgba c = PatternColour(x % 10, y); // 100 distinct colours
            fewColours.pixels.insert(fewColours.pixels.end(), {c.r, c.g, c.b});
        }
    Case cases[] = {
        {"1-bit palette", paletteRaster(1, 13, 4), true},
        {"4-bit palette", paletteRaster(4, 9, 5), true},
        {"8-bit palette, 201 colours used", paletteRaster(8, 40, 9), true},
        {"24 bits, 100 colours", fewColours, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(EncodeGif(c.picture, bytes, error)) << error;
        WrittenGif written;
        ASSERT_TRUE(ReadGifImage(bytes, written));
        ASSERT_EQ(c.picture.width, written.width);
        EXPECT_EQ(-1, written.transparent);
        EXPECT_EQ("", FirstMismatch(c.picture, [&](int x, int y) { return WrittenColour(written, x, y); }));
        if (c.keepsIndices)
            for (int x = 0; x < c.picture.width; ++x)
            {
                int bit = x * c.picture.bpp;
                int index = (c.picture.pixels[static_cast<size_t>(bit / 8)] >> (8 - c.picture.bpp - bit % 8)) &
                            ((1 << c.picture.bpp) - 1);
                ASSERT_EQ(index, written.indices[static_cast<size_t>(x)]) << "index at x " << x;
            }
    }
}

TEST(GifCodecTest, WriterMarksLowAlphaTransparent)
{
    // A 24-bit picture, and a palette picture that uses all 256 colours, so the writer must make room.
    Raster rgb;
    rgb.width = 16;
    rgb.height = 16;
    rgb.bpp = 24;
    rgb.stride = 48;
    Raster full = rgb;
    full.bpp = 8;
    full.stride = 16;
    for (int i = 0; i < 256; ++i)
    {
        Rgba c = PatternColour(i % 16, i / 16);
        rgb.pixels.insert(rgb.pixels.end(), {c.r, c.g, c.b});
        full.pixels.push_back(static_cast<uint8_t>(i));
        full.palette.push_back(PaletteEntry{static_cast<uint8_t>(i), static_cast<uint8_t>(i), 0});
        uint8_t alpha = i % 5 == 0 ? 0 : i % 5 == 1 ? 127 : i % 5 == 2 ? 128 : 255;
        rgb.alpha.push_back(alpha);
        full.alpha.push_back(alpha);
    }
    full.alpha[0] = 255; // colour 0 visible too: every index is in use
    for (const Raster *picture : {&rgb, &full})
    {
        SCOPED_TRACE(picture->bpp);
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(EncodeGif(*picture, bytes, error)) << error;
        WrittenGif written;
        ASSERT_TRUE(ReadGifImage(bytes, written));
        ASSERT_GE(written.transparent, 0);
        // Visible pixels keep their colour (the full palette loses one entry to transparency).
        int tolerance = picture->bpp == 8 ? 8 : 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
            {
                Rgba want = PixelAt(*picture, x, y);
                Rgba got = WrittenColour(written, x, y);
                if (want.a < 128)
                    continue;
                ASSERT_LE(std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b), tolerance)
                    << "at (" << x << ", " << y << "): " << ToString(got) << " for " << ToString(want);
            }
        for (size_t i = 0; i < picture->alpha.size(); ++i)
            ASSERT_EQ(picture->alpha[i] < 128, written.indices[i] == written.transparent) << "pixel " << i;
    }
}

TEST(GifCodecTest, ManyColoursAreQuantisedCloseToTheOriginal)
{
    Raster photo;
    photo.width = 96;
    photo.height = 64;
    photo.bpp = 24;
    photo.stride = 96 * 3;
    photo.pixels = PhotoLikeRgb(96, 64, 7);
    std::vector<uint8_t> bytes;
    std::string error;
    ASSERT_TRUE(EncodeGif(photo, bytes, error)) << error;
    WrittenGif written;
    ASSERT_TRUE(ReadGifImage(bytes, written));
    EXPECT_LE(written.colours.size(), 256u);
    std::set<int> used(written.indices.begin(), written.indices.end());
    EXPECT_GT(used.size(), 128u) << "the palette should be spent on the picture's colours";
    double totalError = 0;
    int worst = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 96; ++x)
        {
            Rgba want = PixelAt(photo, x, y);
            Rgba got = WrittenColour(written, x, y);
            int e = std::abs(want.r - got.r) + std::abs(want.g - got.g) + std::abs(want.b - got.b);
            totalError += e;
            worst = std::max(worst, e);
        }
    EXPECT_LT(totalError / (96 * 64), 12.0);
    EXPECT_LT(worst, 80);
}

TEST(ColorQuantizerTest, FewDistinctColoursComeBackExactly)
{
    Raster picture;
    picture.width = 12;
    picture.height = 1;
    picture.bpp = 24;
    picture.stride = 36;
    const Rgba colours[4] = {kRed, kGreen, kBlue, Rgba{17, 130, 200, 255}};
    for (int x = 0; x < 12; ++x)
    {
        const Rgba &c = colours[x % 4];
        picture.pixels.insert(picture.pixels.end(), {c.r, c.g, c.b});
    }
    std::vector<PaletteEntry> palette;
    std::vector<uint8_t> indices;
    QuantizeMedianCut(picture, nullptr, 256, palette, indices);
    EXPECT_EQ(4u, palette.size());
    for (int x = 0; x < 12; ++x)
    {
        const PaletteEntry &got = palette[indices[static_cast<size_t>(x)]];
        EXPECT_EQ(colours[x % 4], (Rgba{got.r, got.g, got.b, 255})) << "x " << x;
    }
    // Masked-out pixels spend no palette entry.
    std::vector<uint8_t> mask(12, 1);
    for (int x = 3; x < 12; x += 4)
        mask[static_cast<size_t>(x)] = 0;
    QuantizeMedianCut(picture, mask.data(), 256, palette, indices);
    EXPECT_EQ(3u, palette.size());
}
