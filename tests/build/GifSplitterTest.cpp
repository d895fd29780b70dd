// Animated GIFs become one slide per frame, in frame files that never collide.
#include "build/GifSplitter.h"

#include "base/FileUtf8.h"
#include "bench/pictures/SamplePictures.h"
#include "imaging/Picture.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
std::wstring Folder(const TempDir &dir, const std::string &sub)
{
    fs::create_directories(dir.Path() / sub);
    return WideFromUtf8(dir.File(sub)) + static_cast<wchar_t>(fs::path::preferred_separator);
}

// Colour of the frame file's pixel at (x, y).
PaletteEntry PixelOf(const std::wstring &path, int x, int y)
{
    CPicture picture;
    EXPECT_TRUE(picture.Load(Utf8FromWide(path).c_str(), 2)) << picture.GetLastError();
    EXPECT_TRUE(picture.IncreaseBpp(24));
    const Raster &r = picture.GetRaster();
    if (r.bpp != 24 || x >= r.width || y >= r.height)
        return {};
    const uint8_t *p = r.Row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}
} // namespace

TEST(GifSplitterTest, ThreeFramesGiveThreeSlidesNamedAfterTheGif)
{
    TempDir dir;
    std::wstring pictures = Folder(dir, "pictures"), temp = Folder(dir, "tmp");
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(pictures + L"Anim.GIF")));
    GifSplit split = SplitAnimatedGif(pictures, L"Anim.GIF", temp);
    ASSERT_TRUE(split.bLoaded) << split.strError;
    EXPECT_TRUE(split.frameErrors.empty());
    ASSERT_EQ(split.slides.size(), 3u);
    ASSERT_EQ(split.frameFiles.size(), 3u);
    // Frame j shows a ball of colour j + 1 at x = 30 + 50 j on white.
    const PaletteEntry balls[3] = {{220, 40, 40}, {40, 160, 60}, {30, 60, 200}};
    for (int j = 0; j < 3; ++j)
    {
        SCOPED_TRACE(j);
        const ImageItem &slide = split.slides[static_cast<size_t>(j)];
        EXPECT_EQ(slide.strFileName, L"Anim_frame" + std::to_wstring(j) + L".gif");
        EXPECT_TRUE(slide.strUrl.empty());
        EXPECT_EQ(slide.strFolder.compare(0, temp.size(), temp), 0) << "frames live in the temporary folder";
        EXPECT_EQ(slide.Origin(), pictures + L"Anim.GIF, frame " + std::to_wstring(j)) << "messages name the GIF";
        EXPECT_EQ(split.frameFiles[static_cast<size_t>(j)], slide.FullPath());
        PaletteEntry ball = PixelOf(slide.FullPath(), 30 + 50 * j, 60);
        EXPECT_EQ(ball.r, balls[j].r);
        EXPECT_EQ(ball.g, balls[j].g);
        EXPECT_EQ(ball.b, balls[j].b);
        PaletteEntry ground = PixelOf(slide.FullPath(), 5, 5);
        EXPECT_EQ(ground.r + ground.g + ground.b, 3 * 255);
    }

    DeleteFrameFiles(split.frameFiles);
    for (const std::wstring &file : split.frameFiles)
        EXPECT_FALSE(PathExistsUtf8(Utf8FromWide(file).c_str()));
    EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp")) << "the frame folder goes with its files";
    EXPECT_TRUE(PathExistsUtf8(Utf8FromWide(pictures + L"Anim.GIF").c_str())) << "the source stays";
}

TEST(GifSplitterTest, GifsOfTheSameNameNeverShareFrameFiles)
{
    TempDir dir;
    std::wstring one = Folder(dir, "one"), two = Folder(dir, "two"), temp = Folder(dir, "tmp");
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(one + L"anim.gif"), 3));
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(two + L"anim.gif"), 2));
    GifSplit first = SplitAnimatedGif(one, L"anim.gif", temp);
    std::string firstFrame = ReadWholeFile(fs::u8path(Utf8FromWide(first.frameFiles.at(1))));
    GifSplit second = SplitAnimatedGif(two, L"anim.gif", temp);
    ASSERT_EQ(first.slides.size(), 3u);
    ASSERT_EQ(second.slides.size(), 2u);
    EXPECT_EQ(first.slides[0].strFileName, second.slides[0].strFileName) << "labels keep the plain frame name";
    EXPECT_NE(first.frameFiles[0], second.frameFiles[0]);
    EXPECT_EQ(ReadWholeFile(fs::u8path(Utf8FromWide(first.frameFiles[1]))), firstFrame);
    DeleteFrameFiles(first.frameFiles);
    DeleteFrameFiles(second.frameFiles);
}

TEST(GifSplitterTest, StillAndUnreadableGifs)
{
    TempDir dir;
    std::wstring pictures = Folder(dir, "p"), temp = Folder(dir, "tmp");
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(pictures + L"still.gif"), 1));
    const std::wstring one3 = pictures + L"three.gif";
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(one3)));
    GifSplit still = SplitAnimatedGif(pictures, L"still.gif", temp);
    ASSERT_TRUE(still.bLoaded);
    ASSERT_EQ(still.slides.size(), 1u);
    EXPECT_EQ(still.slides[0].FullPath(), pictures + L"still.gif");
    EXPECT_TRUE(still.frameFiles.empty());

    WriteWholeFile(fs::u8path(Utf8FromWide(pictures + L"broken.gif")), "GIF89a and then nothing useful");
    GifSplit broken = SplitAnimatedGif(pictures, L"broken.gif", temp);
    EXPECT_FALSE(broken.bLoaded);
    EXPECT_TRUE(broken.slides.empty());
    EXPECT_NE(broken.strError.find("broken.gif"), std::string::npos) << broken.strError;

    // Frames are read one by one: those before a frame with damaged pixels still become slides.
    std::string gif = ReadWholeFile(fs::u8path(Utf8FromWide(one3)));
    size_t last = gif.rfind(std::string("\x2C\0\0\0\0\xA0\0\x78\0\0", 10));
    ASSERT_NE(last, std::string::npos);
    gif.replace(last + 12, 8, 8, '\xFF');
    WriteWholeFile(fs::u8path(Utf8FromWide(pictures + L"damaged.gif")), gif);
    GifSplit damaged = SplitAnimatedGif(pictures, L"damaged.gif", temp);
    EXPECT_TRUE(damaged.bLoaded);
    EXPECT_EQ(damaged.slides.size(), 2u);
    ASSERT_EQ(damaged.frameErrors.size(), 1u);
    EXPECT_EQ(damaged.frameErrors[0].find(Utf8FromWide(pictures + L"damaged.gif: frame 2: GIF")), 0u)
        << damaged.frameErrors[0];
    DeleteFrameFiles(damaged.frameFiles);

    GifSplit missing = SplitAnimatedGif(pictures, L"missing.gif", temp);
    EXPECT_FALSE(missing.bLoaded);
    EXPECT_TRUE(fs::is_empty(dir.Path() / "tmp"));

    // Only frame files are deleted: anything else in the list is left alone.
    std::wstring other = pictures + L"keep.bmp";
    WriteWholeFile(fs::u8path(Utf8FromWide(other)), "x");
    DeleteFrameFiles({other, pictures + L"gone-already.gif"});
    EXPECT_TRUE(PathExistsUtf8(Utf8FromWide(other).c_str()));
}
