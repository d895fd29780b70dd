// The picture object: type codes, content fallback, depth rules, resampling, saving, GIF frames.
#include <gtest/gtest.h>
#include <png.h>

#include <filesystem>

#include "ImagingFixtures.h"
#include "imaging/ImageType.h"
#include "imaging/Picture.h"
#include "support/TempDir.h"

namespace
{
namespace fs = std::filesystem;

const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kWhite{255, 255, 255, 255};

std::string Write(const TempDir &dir, const std::string &name, const std::string &bytes)
{
    std::string path = dir.File(name);
    EXPECT_TRUE(WriteWholeFile(fs::u8path(path), bytes));
    return path;
}

// Loads the file as the type its extension names.
bool LoadByName(CPicture &picture, const std::string &path)
{
    return picture.Load(path.c_str(), CPicture::GetTypeIdFromName(fs::path(path).extension().string().c_str()));
}

std::vector<uint8_t> Bytes(const std::string &text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

Rgba MeanColour(const Raster &raster, int x0, int y0, int x1, int y1)
{
    int sum[4] = {0, 0, 0, 0};
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
        {
            Rgba c = PixelAt(raster, x, y);
            sum[0] += c.r;
            sum[1] += c.g;
            sum[2] += c.b;
            sum[3] += c.a;
        }
    return Rgba{static_cast<uint8_t>(sum[0] / n), static_cast<uint8_t>(sum[1] / n), static_cast<uint8_t>(sum[2] / n),
                static_cast<uint8_t>(sum[3] / n)};
}

bool Near(const Rgba &a, const Rgba &b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

std::vector<std::string> FolderEntries(const TempDir &dir)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(ImageTypeTest, ExtensionsGiveTheTypeCodes)
{
    const struct
    {
        const char *extension;
        int type;
    } cases[] = {{"bmp", 1},  {"BMP", 1}, {"gif", 2}, {"GIF", 2},  {"jpg", 3}, {"JPG", 3},  {".jpg", 3},
                 {"jpeg", 3}, {"png", 4}, {"Png", 4}, {"tif", 6},  {"TIF", 6}, {"tiff", 6}, {"photo.JPG", 3},
                 {"", 0},     {"ico", 0}, {"jp", 0},  {"pngx", 0}, {".", 0},   {"bmp.", 0}};
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.extension);
        EXPECT_EQ(c.type, CPicture::GetTypeIdFromName(c.extension));
    }
    EXPECT_EQ(0, CPicture::GetTypeIdFromName(nullptr));
}

TEST(ImageTypeTest, SignaturesGiveTheContentType)
{
    const struct
    {
        const char *name;
        std::string bytes;
        int type;
    } cases[] = {
        {"PNG", PatternPng(2, 2), kImageTypePng},
        {"BMP", PatternBmp(2, 2), kImageTypeBmp},
        {"TIFF little-endian", PatternTiff(2, 2), kImageTypeTif},
        {"TIFF big-endian", HexBytes("4D 4D 00 2A 00 00 00 08"), kImageTypeTif},
        {"GIF", PatternGif(2, 2), kImageTypeGif},
        {"JPEG", SolidJpeg(8, 8, 1, {9}), kImageTypeJpg},
        {"text", "hello world", kImageTypeUnknown},
        {"PNG signature cut short", HexBytes("89 50 4E 47 0D 0A"), kImageTypeUnknown},
        {"GIF of an unknown version", "GIF88a......", kImageTypeUnknown},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> bytes = Bytes(c.bytes);
        EXPECT_EQ(c.type, DetectImageType(bytes.data(), bytes.size()));
    }
}

TEST(PictureTest, ContentDecidesWhenTheExtensionLies)
{
    TempDir dir;
    const struct
    {
        const char *name;
        std::string bytes;
        int contentType;
    } cases[] = {
        {"really-png.jpg", PatternPng(5, 4), kImageTypePng},  {"really-bmp.gif", PatternBmp(5, 4), kImageTypeBmp},
        {"really-tif.png", PatternTiff(5, 4), kImageTypeTif}, {"really-gif.bmp", PatternGif(5, 4), kImageTypeGif},
        {"really-png.tif", PatternPng(5, 4), kImageTypePng},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string path = Write(dir, c.name, c.bytes);
        CPicture picture;
        ASSERT_TRUE(LoadByName(picture, path)) << picture.GetLastError();
        EXPECT_EQ(c.contentType, picture.GetType());
        EXPECT_EQ("", FirstMismatch(picture.GetRaster(), PatternColour));
        // Type 0 (no idea) goes straight to the content.
        CPicture unknown;
        ASSERT_TRUE(unknown.Load(path.c_str(), 0)) << unknown.GetLastError();
        EXPECT_EQ(c.contentType, unknown.GetType());
    }
}

TEST(PictureTest, BitsPerPixelAsLoadedAndIncreasedTo24)
{
    TempDir dir;
    BmpRecipe bmp4;
    bmp4.width = 6;
    bmp4.height = 3;
    bmp4.bpp = 4;
    for (int i = 0; i < 16; ++i)
        bmp4.palette.push_back(PatternColour(i, 1));
    for (int i = 0; i < 18; ++i)
        bmp4.indices.push_back(static_cast<uint8_t>(i % 16));
    BmpRecipe bmp8 = bmp4;
    bmp8.bpp = 8;
    PngRecipe grey;
    grey.width = 6;
    grey.height = 3;
    grey.colourType = PNG_COLOR_TYPE_GRAY;
    for (int i = 0; i < 18; ++i)
        grey.samples.push_back(static_cast<uint16_t>(i * 14));
    PngRecipe rgba;
    rgba.width = 6;
    rgba.height = 3;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    for (int i = 0; i < 18; ++i)
        rgba.samples.insert(rgba.samples.end(), {static_cast<uint16_t>(i), 2, 3, static_cast<uint16_t>(i * 10)});
    const struct
    {
        const char *name;
        std::string bytes;
        int bpp;
        bool alpha;
    } cases[] = {
        {"a.bmp", MakeBmp(bmp4), 4, false},
        {"b.bmp", MakeBmp(bmp8), 8, false},
        {"c.bmp", PatternBmp(6, 3), 24, false},
        {"d.png", MakePng(grey), 8, false},
        {"e.png", MakePng(rgba), 24, true},
        {"f.gif", PatternGif(6, 3), 8, false},
        {"g.tif", PatternTiff(6, 3), 24, false},
        {"h.jpg", SolidJpeg(6, 3, 1, {77}), 8, false},
        {"i.jpg", SolidJpeg(6, 3, 3, {10, 200, 90}), 24, false},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string path = Write(dir, c.name, c.bytes);
        CPicture picture;
        ASSERT_TRUE(LoadByName(picture, path)) << picture.GetLastError();
        EXPECT_EQ(c.bpp, picture.GetBpp());
        EXPECT_EQ(c.alpha, picture.GetRaster().HasAlpha());
        Raster before = picture.GetRaster();
        ASSERT_TRUE(picture.IncreaseBpp(24)) << picture.GetLastError();
        EXPECT_EQ(24, picture.GetBpp());
        EXPECT_EQ("", FirstMismatch(picture.GetRaster(), [&](int x, int y) { return PixelAt(before, x, y); }));
    }
}

TEST(PictureTest, IncreaseBppWidensPalettesAndRefusesToNarrow)
{
    TempDir dir;
    BmpRecipe recipe;
    recipe.width = 9;
    recipe.height = 2;
    recipe.bpp = 1;
    recipe.palette = {kRed, kBlue};
    for (int i = 0; i < 18; ++i)
        recipe.indices.push_back(static_cast<uint8_t>((i / 3) % 2));
    std::string path = Write(dir, "mono.bmp", MakeBmp(recipe));
    CPicture picture;
    ASSERT_TRUE(picture.Load(path.c_str(), 1)) << picture.GetLastError();
    ASSERT_EQ(1, picture.GetBpp());
    Raster original = picture.GetRaster();
    for (int bpp : {4, 8})
    {
        SCOPED_TRACE(bpp);
        ASSERT_TRUE(picture.IncreaseBpp(bpp)) << picture.GetLastError();
        EXPECT_EQ(bpp, picture.GetBpp());
        EXPECT_EQ("", FirstMismatch(picture.GetRaster(), [&](int x, int y) { return PixelAt(original, x, y); }));
    }
    EXPECT_TRUE(picture.IncreaseBpp(8)) << "asking for the current depth changes nothing";
    EXPECT_FALSE(picture.IncreaseBpp(4));
    EXPECT_NE(std::string::npos, picture.GetLastError().find("mono.bmp"));
    EXPECT_FALSE(picture.IncreaseBpp(16));
    EXPECT_EQ(8, picture.GetBpp());
    CPicture empty;
    EXPECT_FALSE(empty.IncreaseBpp(24));
}

TEST(PictureTest, ResampleGivesExactlyTheSizeAsked)
{
    TempDir dir;
    std::string path = Write(dir, "p.gif", PatternGif(10, 6));
    CPicture picture;
    ASSERT_TRUE(picture.Load(path.c_str(), 2)) << picture.GetLastError();
    ASSERT_EQ(8, picture.GetBpp());
    // Already that size: nothing changes, not even the depth.
    ASSERT_TRUE(picture.Resample(10, 6));
    EXPECT_EQ(8, picture.GetBpp());
    const int sizes[][2] = {{256, 192}, {3, 2}, {1, 1}, {7, 640}};
    for (const auto &size : sizes)
    {
        SCOPED_TRACE(std::to_string(size[0]) + " x " + std::to_string(size[1]));
        CPicture copy;
        ASSERT_TRUE(copy.Load(path.c_str(), 2));
        ASSERT_TRUE(copy.Resample(size[0], size[1], 0)) << copy.GetLastError();
        EXPECT_EQ(size[0], copy.GetWidth());
        EXPECT_EQ(size[1], copy.GetHeight());
        EXPECT_EQ(24, copy.GetBpp());
    }
    EXPECT_FALSE(picture.Resample(0, 5));
    EXPECT_FALSE(picture.Resample(70000, 5));
    EXPECT_FALSE(picture.Resample(5, 5, 1));
    EXPECT_EQ(10, picture.GetWidth()) << "a refused resample leaves the picture as it was";
}

TEST(PictureTest, JpegVariantsLoadThroughTheFacade)
{
    TempDir dir;
    const struct
    {
        const char *name;
        std::string bytes;
        int bpp;
        Rgba colour;
    } cases[] = {
        {"grey", SolidJpeg(16, 16, 1, {140}), 8, Rgba{140, 140, 140, 255}},
        {"progressive", SolidJpeg(16, 16, 3, {30, 160, 220}, true), 24, Rgba{30, 160, 220, 255}},
        {"CMYK, no black", SolidJpeg(16, 16, 4, {200, 40, 90, 255}), 24, Rgba{200, 40, 90, 255}},
        {"CMYK, half black", SolidJpeg(16, 16, 4, {255, 255, 255, 128}), 24, Rgba{128, 128, 128, 255}},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string path = Write(dir, std::string(c.name) + ".jpg", c.bytes);
        CPicture picture;
        ASSERT_TRUE(picture.Load(path.c_str(), 3)) << picture.GetLastError();
        EXPECT_EQ(c.bpp, picture.GetBpp());
        EXPECT_EQ("", FirstMismatch(
                          picture.GetRaster(), [&](int, int) { return c.colour; }, 3));
    }
}

TEST(PictureTest, LoadForSizeDecodesAShrinkingJpegAtAPowerOfTwoScale)
{
    TempDir dir;
    std::string jpeg = Write(dir, "big.jpg", SolidJpeg(400, 320, 3, {20, 90, 200}));
    std::string png = Write(dir, "big.png", PatternPng(400, 320));
    const struct
    {
        int width, height, loadedWidth, loadedHeight;
    } cases[] = {
        {100, 80, 100, 80}, {101, 80, 200, 160}, {50, 30, 50, 40}, {500, 100, 400, 320}, {400, 320, 400, 320},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        CPicture picture;
        ASSERT_TRUE(picture.LoadForSize(jpeg.c_str(), 3, c.width, c.height)) << picture.GetLastError();
        EXPECT_EQ(c.loadedWidth, picture.GetWidth());
        EXPECT_EQ(c.loadedHeight, picture.GetHeight());
        EXPECT_TRUE(Near(MeanColour(picture.GetRaster(), 0, 0, picture.GetWidth(), picture.GetHeight()),
                         Rgba{20, 90, 200, 255}, 3));
    }
    CPicture other;
    ASSERT_TRUE(other.LoadForSize(png.c_str(), 4, 100, 80)) << other.GetLastError();
    EXPECT_EQ(400, other.GetWidth()) << "only JPEG has a scaled decode";
    // A PNG named .jpg still loads fully through the content fallback.
    std::string lying = Write(dir, "png.jpg", PatternPng(40, 32));
    ASSERT_TRUE(other.LoadForSize(lying.c_str(), 3, 10, 8)) << other.GetLastError();
    EXPECT_EQ(40, other.GetWidth());
}

TEST(PictureTest, SavedJpegShowsTransparencyAsWhite)
{
    TempDir dir;
    // Left third invisible red, middle third half-covering green, right third opaque blue.
    PngRecipe rgba;
    rgba.width = 48;
    rgba.height = 16;
    rgba.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
    BmpRecipe bmp;
    bmp.width = 48;
    bmp.height = 16;
    bmp.bpp = 32;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
        {
            Rgba c = x < 16 ? Rgba{255, 0, 0, 0} : x < 32 ? Rgba{0, 255, 0, 128} : Rgba{0, 0, 255, 255};
            rgba.samples.insert(rgba.samples.end(), {c.r, c.g, c.b, c.a});
            bmp.colours.push_back(c);
        }
    PngRecipe palette;
    palette.width = 48;
    palette.height = 16;
    palette.colourType = PNG_COLOR_TYPE_PALETTE;
    palette.palette = {Rgba{255, 0, 0, 0}, Rgba{0, 255, 0, 128}, Rgba{0, 0, 255, 255}};
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 48; ++x)
            palette.samples.push_back(static_cast<uint16_t>(x / 16));
    const struct
    {
        const char *name;
        std::string bytes;
    } cases[] = {{"rgba.png", MakePng(rgba)}, {"palette.png", MakePng(palette)}, {"alpha.bmp", MakeBmp(bmp)}};
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string source = Write(dir, c.name, c.bytes);
        CPicture picture;
        ASSERT_TRUE(picture.Load(source.c_str(), 0)) << picture.GetLastError();
        std::string target = dir.File(std::string(c.name) + ".jpg");
        ASSERT_TRUE(picture.Save(target.c_str(), 3)) << picture.GetLastError();
        CPicture saved;
        ASSERT_TRUE(saved.Load(target.c_str(), 3)) << saved.GetLastError();
        const Raster &r = saved.GetRaster();
        EXPECT_TRUE(Near(MeanColour(r, 2, 2, 14, 14), kWhite, 3)) << ToString(MeanColour(r, 2, 2, 14, 14));
        EXPECT_TRUE(Near(MeanColour(r, 18, 2, 30, 14), Rgba{127, 255, 127, 255}, 4))
            << ToString(MeanColour(r, 18, 2, 30, 14));
        EXPECT_TRUE(Near(MeanColour(r, 34, 2, 46, 14), kBlue, 4)) << ToString(MeanColour(r, 34, 2, 46, 14));
    }
}

TEST(PictureTest, SaveWritesTheWholeFileOrNothing)
{
    TempDir dir;
    std::string source = Write(dir, "source.png", PatternPng(12, 9));
    CPicture picture;
    ASSERT_TRUE(picture.Load(source.c_str(), 4));

    std::string target = dir.File("out.gif");
    ASSERT_TRUE(WriteWholeFile(fs::u8path(target), "old contents"));
    ASSERT_TRUE(picture.Save(target.c_str(), 2)) << picture.GetLastError();
    CPicture reread;
    ASSERT_TRUE(reread.Load(target.c_str(), 2)) << reread.GetLastError();
    EXPECT_EQ("", FirstMismatch(reread.GetRaster(), PatternColour)) << "a GIF of few colours keeps them exactly";

    // Failures: a missing folder, a folder in the way, a type that cannot be written.
    std::string missing = dir.File("no-such-folder/out.jpg");
    EXPECT_FALSE(picture.Save(missing.c_str(), 3));
    EXPECT_EQ(0u, picture.GetLastError().find(missing)) << picture.GetLastError();
    fs::create_directory(fs::u8path(dir.File("folder.jpg")));
    EXPECT_FALSE(picture.Save(dir.File("folder.jpg").c_str(), 3));
    EXPECT_TRUE(fs::is_directory(fs::u8path(dir.File("folder.jpg"))));
    std::string before = ReadWholeFile(fs::u8path(target));
    EXPECT_FALSE(picture.Save(target.c_str(), 4));
    EXPECT_NE(std::string::npos, picture.GetLastError().find("not supported"));
    EXPECT_EQ(before, ReadWholeFile(fs::u8path(target)));
    // No temporary file is left behind, and the source is untouched.
    EXPECT_EQ((std::vector<std::string>{"folder.jpg", "out.gif", "source.png"}), FolderEntries(dir));
    EXPECT_EQ(PatternPng(12, 9), ReadWholeFile(fs::u8path(source)));
}

TEST(PictureTest, FailuresNameTheFileAndLeaveNoPicture)
{
    TempDir dir;
    std::string good = Write(dir, "good.png", PatternPng(4, 4));
    std::string missing = dir.File("missing.png");
    CPicture picture;
    ASSERT_TRUE(picture.Load(good.c_str(), 4));
    EXPECT_FALSE(picture.Load(missing.c_str(), 4));
    EXPECT_FALSE(picture.IsValid());
    EXPECT_EQ(0, picture.GetWidth());
    EXPECT_EQ(0, picture.GetBpp());
    EXPECT_EQ(0, picture.GetNumFrames());
    EXPECT_EQ(0u, picture.GetLastError().find(missing + ": ")) << picture.GetLastError();
    EXPECT_FALSE(picture.Save(dir.File("x.jpg").c_str(), 3));
    EXPECT_FALSE(picture.Load(nullptr, 4));
    EXPECT_FALSE(picture.Load("", 4));
}

TEST(PictureTest, NamesOutsideAsciiLoadAndSave)
{
    TempDir dir;
    std::string name = "\xC3\xBC\x6E\xC3\xAF\x63\xC3\xB8\x64\xC3\xA9 \xE5\x86\x99\xE7\x9C\x9F"; // "ünïcødé 写真"
    std::string path = Write(dir, name + ".png", PatternPng(6, 5));
    CPicture picture;
    ASSERT_TRUE(picture.Load(path.c_str(), 4)) << picture.GetLastError();
    std::string target = dir.File(name + ".jpg");
    ASSERT_TRUE(picture.Save(target.c_str(), 3)) << picture.GetLastError();
    EXPECT_TRUE(fs::exists(fs::u8path(target)));
}

TEST(PictureTest, AnimatedGifGivesComposedFramesThatSaveWithExactColours)
{
    TempDir dir;
    // Three frames on a 6 x 4 screen: white background; a red block at an offset, then disposed of
    // to the background, which viewers show as transparent; a blue block with a transparent hole
    // through which the white background shows.
    GifRecipe recipe;
    recipe.width = 6;
    recipe.height = 4;
    recipe.globalPalette = {kWhite, kRed, kBlue, kGreen};
    GifFrameRecipe background;
    background.width = 6;
    background.height = 4;
    background.indices.assign(24, 0);
    background.disposal = 1;
    GifFrameRecipe red;
    red.left = 1;
    red.top = 1;
    red.width = 2;
    red.height = 2;
    red.indices.assign(4, 1);
    red.disposal = 2;
    GifFrameRecipe blue;
    blue.left = 2;
    blue.top = 0;
    blue.width = 3;
    blue.height = 3;
    blue.indices = {2, 2, 2, 2, 3, 2, 2, 2, 2};
    blue.transparent = 3;
    blue.localPalette = {kGreen, kRed, kBlue, kWhite};
    recipe.frames = {background, red, blue};
    std::string path = Write(dir, "anim.gif", MakeGif(recipe));

    CPicture still;
    ASSERT_TRUE(still.Load(path.c_str(), 2));
    EXPECT_EQ(3, still.GetNumFrames());
    EXPECT_EQ(nullptr, still.GetFrame(0)) << "frames are kept only when asked for";

    CPicture picture;
    picture.SetRetreiveAllFrames(true);
    ASSERT_TRUE(picture.Load(path.c_str(), 2)) << picture.GetLastError();
    ASSERT_EQ(3, picture.GetNumFrames());
    auto expected = [](int frame, int x, int y) {
        bool inRed = x >= 1 && x < 3 && y >= 1 && y < 3;
        bool inBlue = x >= 2 && x < 5 && y < 3 && !(x == 3 && y == 1);
        if (frame == 1 && inRed)
            return kRed;
        if (frame == 2 && inBlue)
            return kBlue;
        if (frame == 2 && inRed)
            return Rgba{0, 0, 0, 0};
        return kWhite;
    };
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE("frame " + std::to_string(i));
        CPicture *frame = picture.GetFrame(i);
        ASSERT_NE(nullptr, frame);
        EXPECT_EQ(frame, picture.GetFrame(i)) << "the same frame object on each call";
        ASSERT_EQ(6, frame->GetWidth());
        EXPECT_EQ("", FirstMismatch(frame->GetRaster(), [&](int x, int y) { return expected(i, x, y); }));

        std::string framePath = dir.File("anim_frame" + std::to_string(i) + ".gif");
        ASSERT_TRUE(frame->Save(framePath.c_str(), 2)) << frame->GetLastError();
        WrittenGif written;
        ASSERT_TRUE(ReadGifImage(Bytes(ReadWholeFile(fs::u8path(framePath))), written));
        EXPECT_EQ(1, written.imageCount);
        const Raster &raster = frame->GetRaster();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
            {
                int index = written.indices[static_cast<size_t>(y * 6 + x)];
                Rgba shown =
                    index == written.transparent ? Rgba{0, 0, 0, 0} : written.colours[static_cast<size_t>(index)];
                ASSERT_EQ(expected(i, x, y), shown) << "saved pixel (" << x << ", " << y << ")";
                if (raster.bpp == 8 && shown.a)
                {
                    ASSERT_EQ(raster.pixels[static_cast<size_t>(y) * raster.stride + static_cast<size_t>(x)], index)
                        << "the frame's own index at (" << x << ", " << y << ")";
                }
            }
    }
    // The last frame drew with its local table: its saved table is that table.
    WrittenGif last;
    ASSERT_TRUE(ReadGifImage(Bytes(ReadWholeFile(fs::u8path(dir.File("anim_frame2.gif")))), last));
    ASSERT_GE(last.colours.size(), 3u);
    EXPECT_EQ(kGreen, last.colours[0]);
    EXPECT_EQ(kBlue, last.colours[2]);
    EXPECT_EQ(nullptr, picture.GetFrame(3));
    EXPECT_EQ(nullptr, picture.GetFrame(-1));
}

TEST(PictureTest, AnAnimationOfMoreThanTheBudgetInAllIsReadFrameByFrame)
{
    // 96 frames of a 1024 x 1024 screen pass the pixel budget together, not one by one. Frame j adds a
    // red dot at (j, j) on blue.
    const int kFrames = 96;
    GifRecipe recipe;
    recipe.width = 1024;
    recipe.height = 1024;
    recipe.globalPalette = {kBlue, kRed};
    GifFrameRecipe ground;
    ground.width = 1024;
    ground.height = 1024;
    ground.indices.assign(1024 * 1024, 0);
    recipe.frames.push_back(ground);
    for (int j = 1; j < kFrames; ++j)
    {
        GifFrameRecipe dot;
        dot.left = dot.top = j;
        dot.width = dot.height = 1;
        dot.indices = {1};
        recipe.frames.push_back(dot);
    }
    TempDir dir;
    std::string path = Write(dir, "long.gif", MakeGif(recipe));
    CPicture picture;
    picture.SetRetreiveAllFrames(true);
    ASSERT_TRUE(picture.Load(path.c_str(), 2)) << picture.GetLastError();
    ASSERT_EQ(kFrames, picture.GetNumFrames());
    // In order, then back to an earlier frame, which reads the file again.
    for (int j : {0, 1, 2, kFrames - 1, 3, 3})
    {
        SCOPED_TRACE("frame " + std::to_string(j));
        CPicture *frame = picture.GetFrame(j);
        ASSERT_NE(nullptr, frame) << picture.GetLastError();
        const Raster &raster = frame->GetRaster();
        for (int d : {1, j, j + 1})
        {
            if (d >= 1 && d < kFrames)
            {
                EXPECT_EQ(d <= j ? kRed : kBlue, PixelAt(raster, d, d)) << "dot " << d;
            }
        }
    }
    EXPECT_EQ(nullptr, picture.GetFrame(kFrames));
}
