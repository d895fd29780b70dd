// Frames of movies made by the build engine and by hand, rendered and compared with their pictures.
#include "preview/PreviewTestSupport.h"

#include "bench/pictures/SamplePictures.h"
#include "imaging/JpegCodec.h"
#include "preview/SwfPlayback.h"
#include "swf/SwfTestReader.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <memory>

namespace
{

std::unique_ptr<CSwfPlayback> Loaded(const std::string &bytes)
{
    auto playback = std::make_unique<CSwfPlayback>();
    std::string error;
    EXPECT_TRUE(playback->LoadMemory(ToBytes(bytes), error)) << error;
    return playback;
}

// The stage rectangle FitStage should give, worked out here from the sizes alone.
struct Fit
{
    int left, top, width, height;
};
Fit ExpectedFit(int stageW, int stageH, int width, int height)
{
    const double scale = std::min(static_cast<double>(width) / stageW, static_cast<double>(height) / stageH);
    const int w = static_cast<int>(std::lround(stageW * scale)), h = static_cast<int>(std::lround(stageH * scale));
    return {(width - w) / 2, (height - h) / 2, w, h};
}

// Share of the pixel covered by black drawn on white.
double Darkness(const Raster &r, int x, int y)
{
    return 1.0 - r.Row(y)[3 * x] / 255.0;
}

} // namespace

// Catches half-pixel offsets, blur at one bitmap pixel per pixel, coverage below 1 inside the slide and
// rows or columns shifted by one: the build's slide at its own size must give back the JPEG's pixels.
TEST(PreviewRenderTest, ASlideAtItsOwnSizeReproducesTheJpegPixelForPixel)
{
    CPreviewFixture fixture;
    const std::string path = fixture.Build({fixture.Slide("photo.bmp", MakePhoto(300, 220, 7))}, 256, 192);
    CSwfPlayback playback;
    std::string error;
    ASSERT_TRUE(playback.Load(path.c_str(), error)) << error;
    EXPECT_TRUE(playback.Warnings().empty()) << playback.Warnings().front();
    Raster frame;
    ASSERT_TRUE(playback.Render(frame, 256, 192));

    SwfMovie movie;
    ASSERT_EQ(ParseSwfMovie(ReadWholeFile(std::filesystem::u8path(path)), movie), "");
    const SwfTag *bits = nullptr;
    for (const SwfTag &tag : movie.tags)
        if (tag.code == kSwfDefineBitsJpeg2)
            bits = &tag;
    ASSERT_NE(bits, nullptr);
    SwfBitsJpeg2 jpeg;
    ASSERT_EQ(DecodeDefineBitsJpeg2(*bits, jpeg), "");
    const std::string file = jpeg.imageData.substr(4); // after FF D9 FF D8
    Raster expected;
    ASSERT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t *>(file.data()), file.size(), 0, 0, expected, error))
        << error;
    ASSERT_EQ(expected.width, 256);
    ASSERT_EQ(expected.height, 192);
    int differing = 0;
    for (int y = 0; y < 192; ++y)
        for (int x = 0; x < 256; ++x)
            if (PixelRgb(frame, x, y) != PixelRgb(expected, x, y) && differing++ < 3)
                ADD_FAILURE() << "pixel " << x << ", " << y << " differs";
    EXPECT_EQ(differing, 0);
}

// Catches frames showing the wrong slide (an off-by-one in the frame replay, the button placements of
// delay mode disturbing the list) and pictures drawn badly: each frame matches its own slide's picture.
TEST(PreviewRenderTest, EachFrameShowsItsSlideInBothTimingModes)
{
    CPreviewFixture fixture;
    const std::vector<Raster> pictures = {MakePhoto(200, 150, 1), MakePhoto(120, 160, 2),
                                          MakeCard(50, 40, 30, 160, 90)};
    std::vector<ImageItem> slides;
    std::vector<Raster> references;
    for (size_t i = 0; i < pictures.size(); ++i)
    {
        slides.push_back(fixture.Slide("slide" + std::to_string(i) + ".bmp", pictures[i]));
        references.push_back(Resampled(pictures[i], 160, 120));
    }
    struct Case
    {
        bool fpsMode;
        int rate;
        int delay;
    } cases[] = {{true, 5, 1}, {false, 1, 3}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.fpsMode ? "FPS mode" : "delay mode");
        CSwfPlayback playback;
        std::string error;
        const std::string path = fixture.Build(slides, 160, 120, c.fpsMode, c.rate, c.delay);
        ASSERT_TRUE(playback.Load(path.c_str(), error)) << error;
        const int framesPerSlide = c.fpsMode ? 1 : c.delay;
        ASSERT_EQ(playback.FrameCount(), static_cast<int>(slides.size()) * framesPerSlide);
        EXPECT_EQ(playback.FrameRate256(), (c.fpsMode ? c.rate : 1) * 256);
        EXPECT_EQ(playback.StageWidthPx(), 160);
        EXPECT_EQ(playback.StageHeightPx(), 120);
        for (int f = 0; f < playback.FrameCount(); ++f)
        {
            SCOPED_TRACE("frame " + std::to_string(f));
            ASSERT_EQ(playback.CurrentFrame(), f);
            Raster frame;
            ASSERT_TRUE(playback.Render(frame, 160, 120));
            const size_t shown = static_cast<size_t>(f / framesPerSlide);
            const double own = PsnrOf(frame, references[shown]);
            EXPECT_GT(own, 30.0);
            for (size_t other = 0; other < references.size(); ++other)
            {
                if (other != shown)
                {
                    EXPECT_GT(own, PsnrOf(frame, references[other]) + 6.0) << "looks like slide " << other;
                }
            }
            playback.Advance();
        }
    }
}

// Catches a stage stretched to the window, placed off centre, drawn over the margin or leaving a gap:
// fitted into smaller and larger windows the picture keeps its aspect, fills its fitted rectangle and
// the margin around it has the background colour (or the margin colour given).
TEST(PreviewRenderTest, AStageFittedIntoAnotherWindowSizeKeepsItsAspectWithinPlainMargins)
{
    CPreviewFixture fixture;
    const Raster picture = MakePhoto(240, 180, 11);
    const std::string path = fixture.Build({fixture.Slide("photo.bmp", picture)}, 160, 120);
    CSwfPlayback playback;
    std::string error;
    ASSERT_TRUE(playback.Load(path.c_str(), error)) << error;
    struct Case
    {
        int width, height;
        bool grey;
    } cases[] = {{100, 100, false}, {400, 200, false}, {161, 300, false}, {1000, 300, true}, {96, 72, false}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        if (c.grey)
            playback.SetMarginColor(SwfRgb{128, 128, 128});
        else
            playback.UseBackgroundAsMargin();
        const uint32_t margin = c.grey ? Rgb24(128, 128, 128) : Rgb24(255, 255, 255);
        Raster frame;
        ASSERT_TRUE(playback.Render(frame, c.width, c.height));
        ASSERT_EQ(frame.width, c.width);
        ASSERT_EQ(frame.height, c.height);
        const Fit fit = ExpectedFit(160, 120, c.width, c.height);
        EXPECT_GT(PsnrOf(frame, Resampled(picture, fit.width, fit.height), fit.left, fit.top), 30.0);
        int wrongMargin = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
            {
                const bool inside =
                    x >= fit.left && x < fit.left + fit.width && y >= fit.top && y < fit.top + fit.height;
                if (!inside && PixelRgb(frame, x, y) != margin)
                    ++wrongMargin;
            }
        EXPECT_EQ(wrongMargin, 0);
    }
}

// Catches gaps or double coverage where two fills meet, and edges whose fill0/fill1 sides are taken
// the wrong way round: two squares sharing an edge at 20.5 px fill exactly their halves and the pixel
// they share is an even mix with no background in it.
TEST(PreviewRenderTest, FillsOnBothSidesOfASharedEdgeMeetWithoutGapOrOverlap)
{
    for (int version : {1, 3})
    {
        SCOPED_TRACE("DefineShape version " + std::to_string(version));
        CTestShape shape(version, 1, 0, 0, 800, 400);
        const int red = shape.Solid(200, 0, 0), blue = shape.Solid(0, 0, 200);
        shape.MoveTo(0, 400);
        shape.Style(red, 0, 0);
        shape.LineBy(0, -400);
        shape.LineBy(410, 0);
        shape.Style(red, blue, 0);
        shape.LineBy(0, 400);
        shape.Style(0, blue, 0);
        shape.LineBy(390, 0);
        shape.LineBy(0, -400);
        shape.LineBy(-390, 0);
        shape.MoveTo(410, 400);
        shape.Style(red, 0, 0);
        shape.LineBy(-410, 0);
        auto playback = Loaded(TestMovie(40, 20, shape.Tag() + TestPlace(1, 1) + TestShowFrame()));
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 40, 20));
        for (int y = 0; y < 20; ++y)
        {
            EXPECT_EQ(PixelRgb(frame, 0, y), Rgb24(200, 0, 0));
            EXPECT_EQ(PixelRgb(frame, 19, y), Rgb24(200, 0, 0));
            EXPECT_EQ(PixelRgb(frame, 21, y), Rgb24(0, 0, 200));
            EXPECT_EQ(PixelRgb(frame, 39, y), Rgb24(0, 0, 200));
            const uint8_t *mixed = frame.Row(y) + 3 * 20;
            EXPECT_NEAR(mixed[0], 100, 1);
            EXPECT_NEAR(mixed[1], 0, 1);
            EXPECT_NEAR(mixed[2], 100, 1);
        }
    }
}

// Catches style indices after new style arrays taken from the first arrays, and style groups drawn
// out of order: a later group's fill covers an earlier group's line, which covers its own group's fill.
TEST(PreviewRenderTest, NewStyleArraysCountTheirOwnStylesAndDrawOverEarlierOnes)
{
    for (int version : {2, 3})
    {
        SCOPED_TRACE("DefineShape version " + std::to_string(version));
        CTestShape shape(version, 1, 0, 0, 800, 400);
        const int red = shape.Solid(255, 0, 0);
        const int black = shape.Line(80, 0, 0, 0);
        shape.Style(red, 0, 0);
        shape.Rectangle(0, 0, 400, 400);
        shape.MoveTo(40, 200);
        shape.Style(0, 0, black);
        shape.LineBy(720, 0);
        shape.NewStyleGroup();
        const int blue = shape.Solid(0, 0, 255);
        ASSERT_EQ(blue, 1);
        shape.Style(blue, 0, 0);
        shape.Rectangle(400, 0, 400, 400);
        auto playback = Loaded(TestMovie(40, 20, shape.Tag() + TestPlace(1, 1) + TestShowFrame()));
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 40, 20));
        EXPECT_EQ(PixelRgb(frame, 10, 4), Rgb24(255, 0, 0));
        EXPECT_EQ(PixelRgb(frame, 10, 10), Rgb24(0, 0, 0));
        EXPECT_EQ(PixelRgb(frame, 30, 10), Rgb24(0, 0, 255));
        EXPECT_EQ(PixelRgb(frame, 30, 4), Rgb24(0, 0, 255));
    }
}

// Catches curves drawn as straight chords (the octagon of the control points' anchors covers 10 %
// less) and coverage that is not area-exact: a circle of eight quadratic curves covers pi r squared.
TEST(PreviewRenderTest, CurvedOutlinesCoverTheAreaTheyEnclose)
{
    const double r = 300; // twips: 15 px
    CTestShape shape(3, 1, 0, 0, 800, 800);
    const int black = shape.Solid(0, 0, 0);
    const double pi = 3.14159265358979323846;
    auto at = [&](double angle, double radius) {
        return std::make_pair(static_cast<int32_t>(std::lround(400 + radius * std::cos(angle))),
                              static_cast<int32_t>(std::lround(400 + radius * std::sin(angle))));
    };
    auto start = at(0, r);
    shape.MoveTo(start.first, start.second);
    shape.Style(black, 0, 0);
    auto pen = start;
    for (int k = 0; k < 8; ++k)
    {
        const auto control = at((k + 0.5) * pi / 4, r / std::cos(pi / 8));
        const auto anchor = k == 7 ? start : at((k + 1) * pi / 4, r);
        shape.CurveBy(control.first - pen.first, control.second - pen.second, anchor.first - control.first,
                      anchor.second - control.second);
        pen = anchor;
    }
    auto playback = Loaded(TestMovie(40, 40, shape.Tag() + TestPlace(1, 1) + TestShowFrame()));
    for (int scale : {1, 3})
    {
        SCOPED_TRACE("scale " + std::to_string(scale));
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 40 * scale, 40 * scale));
        double covered = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x)
                covered += Darkness(frame, x, y);
        const double expected = pi * (15.0 * scale) * (15.0 * scale);
        EXPECT_NEAR(covered / expected, 1.0, 0.01);
    }
}

// Catches transparent outlines drawn black (every slide has a 1-pixel line of alpha 0 round it) and
// opaque lines left out, for RGB lines (DefineShape) and RGBA lines (DefineShape3).
TEST(PreviewRenderTest, LinesDrawWithTheirWidthUnlessFullyTransparent)
{
    struct Case
    {
        int version;
        uint8_t alpha;
        double expectedDarkness;
    } cases[] = {{3, 255, 1.0}, {3, 0, 0.0}, {1, 255, 1.0}, {3, 128, 128 / 255.0}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE("version " + std::to_string(c.version) + ", alpha " + std::to_string(c.alpha));
        CTestShape shape(c.version, 1, 0, 0, 800, 400);
        const int line = shape.Line(40, 0, 0, 0, c.alpha); // 2 px
        shape.MoveTo(100, 200);
        shape.Style(-1, -1, line);
        shape.LineBy(600, 0);
        auto playback = Loaded(TestMovie(40, 20, shape.Tag() + TestPlace(1, 1) + TestShowFrame()));
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 40, 20));
        // The line runs along y = 10 px, 2 px wide: rows 9 and 10, from x = 4 to 36 with square caps.
        EXPECT_NEAR(Darkness(frame, 20, 9), c.expectedDarkness, 0.02);
        EXPECT_NEAR(Darkness(frame, 20, 10), c.expectedDarkness, 0.02);
        EXPECT_EQ(PixelRgb(frame, 20, 8), Rgb24(255, 255, 255));
        EXPECT_EQ(PixelRgb(frame, 20, 11), Rgb24(255, 255, 255));
        EXPECT_EQ(PixelRgb(frame, 2, 9), Rgb24(255, 255, 255));
    }
}

// Catches repeating and clipped fills swapped, smoothing applied to hard fills (or missing from smooth
// ones) and a texel grid off by one: a 2 x 2 bitmap at 5 px per texel over a 20 x 10 px rectangle,
// sampled at texel centres (exact either way) and on a texel boundary.
TEST(PreviewRenderTest, BitmapFillsRepeatOrClampAndSmoothOnlyWhenAsked)
{
    Raster bitmap = MakeCard(2, 2, 0, 0, 0);
    const uint8_t texels[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int i = 0; i < 4; ++i)
        for (int c = 0; c < 3; ++c)
            bitmap.Row(i / 2)[3 * (i % 2) + c] = texels[i][c];
    const uint32_t red = Rgb24(255, 0, 0), green = Rgb24(0, 255, 0), blue = Rgb24(0, 0, 255);
    struct Case
    {
        uint8_t type;
        uint32_t at2, at7, at12, at17; // row 2, texel centres of columns 0 to 3
        bool blendsAt5;
    } cases[] = {
        {0x42, red, green, red, green, false},   // repeating, hard
        {0x43, red, green, green, green, false}, // clipped, hard: the edge column holds
        {0x40, red, green, red, green, true},    // repeating, smoothed
        {0x41, red, green, green, green, true},  // clipped, smoothed
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE("fill type " + std::to_string(c.type));
        CTestShape shape(3, 2, 0, 0, 400, 200);
        const int fill = shape.BitmapFill(1, c.type, TestMatrix(100, 100));
        shape.Style(fill, 0, 0);
        shape.Rectangle(0, 0, 400, 200);
        auto playback =
            Loaded(TestMovie(20, 10, TestLossless(1, bitmap) + shape.Tag() + TestPlace(1, 2) + TestShowFrame()));
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 20, 10));
        EXPECT_EQ(PixelRgb(frame, 2, 2), c.at2);
        EXPECT_EQ(PixelRgb(frame, 7, 2), c.at7);
        EXPECT_EQ(PixelRgb(frame, 12, 2), c.at12);
        EXPECT_EQ(PixelRgb(frame, 17, 2), c.at17);
        EXPECT_EQ(PixelRgb(frame, 2, 7), blue);
        const uint32_t edge = PixelRgb(frame, 5, 2);
        if (c.blendsAt5)
        {
            EXPECT_TRUE(edge != red && edge != green) << std::hex << edge;
        }
        else
        {
            EXPECT_EQ(edge, green);
        }
    }
}

// Catches a gradient drawn as one colour or running the wrong way: a linear gradient from black to
// white across the stage brightens steadily from left to right.
TEST(PreviewRenderTest, LinearGradientsRunAcrossTheirSquare)
{
    CTestShape shape(3, 1, 0, 0, 800, 200);
    // The gradient square (-16384 .. 16384) scaled onto 0 .. 800 twips.
    const int fill = shape.LinearGradient(TestMatrix(800.0 / 32768, 200.0 / 32768, 400, 100),
                                          {{0, Rgb24(0, 0, 0)}, {255, Rgb24(255, 255, 255)}});
    shape.Style(fill, 0, 0);
    shape.Rectangle(0, 0, 800, 200);
    auto playback = Loaded(TestMovie(40, 10, shape.Tag() + TestPlace(1, 1) + TestShowFrame()));
    Raster frame;
    ASSERT_TRUE(playback->Render(frame, 40, 10));
    for (int x = 1; x < 40; ++x)
        EXPECT_GT(frame.Row(5)[3 * x], frame.Row(5)[3 * (x - 1)]) << "column " << x;
    EXPECT_NEAR(frame.Row(5)[3 * 20], 128, 8);
}

// Catches alpha planes ignored, premultiplied colours taken as straight (or straight ones as
// premultiplied) and colour transforms left out: each draws over an opaque red square and must give
// the blend its alpha says.
TEST(PreviewRenderTest, AlphaAndColourTransformsBlendOverWhatIsBelow)
{
    CTestShape red(3, 1, 0, 0, 400, 200), blue(3, 2, 0, 0, 400, 200);
    red.Style(red.Solid(255, 0, 0), 0, 0);
    red.Rectangle(0, 0, 400, 200);
    blue.Style(blue.Solid(0, 0, 255), 0, 0);
    blue.Rectangle(0, 0, 400, 200);
    CTestShape picture(3, 3, 0, 0, 400, 200);
    const int fill = picture.BitmapFill(9, 0x41, TestMatrix(50, 25)); // 8 x 8 texels over 20 x 10 px
    picture.Style(fill, 0, 0);
    picture.Rectangle(0, 0, 400, 200);
    std::vector<uint8_t> jpeg;
    std::string error;
    ASSERT_TRUE(EncodeJpeg(MakeCard(8, 8, 0, 0, 255), 95, jpeg, error)) << error;
    std::string argb;
    for (int i = 0; i < 64; ++i)
        argb += std::string("\x80\x00\x00\x80", 4); // blue at half alpha, premultiplied
    struct Case
    {
        const char *name;
        std::string tags;
        int r, g, b;
    } cases[] = {
        {"DefineBitsLossless2, premultiplied", TestLossless2(9, 8, 8, argb) + picture.Tag() + TestPlace(2, 3), 127, 0,
         128},
        {"DefineBitsJPEG3 with a quarter alpha",
         TestJpeg3(9, std::string(jpeg.begin(), jpeg.end()), std::string(64, '\x40')) + picture.Tag() + TestPlace(2, 3),
         191, 0, 64},
        {"half alpha by colour transform", TestPlaceCx(2, 2, {256, 256, 256, 128}, {0, 0, 0, 0}), 127, 0, 128},
        {"colour transform adds red", TestPlaceCx(2, 2, {0, 256, 256, 256}, {255, 0, 0, 0}), 255, 0, 255},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        auto playback = Loaded(TestMovie(20, 10, red.Tag() + blue.Tag() + TestPlace(1, 1) + c.tags + TestShowFrame()));
        EXPECT_TRUE(playback->Warnings().empty()) << playback->Warnings().front();
        Raster frame;
        ASSERT_TRUE(playback->Render(frame, 20, 10));
        const uint8_t *p = frame.Row(5) + 3 * 10;
        EXPECT_NEAR(p[0], c.r, 4);
        EXPECT_NEAR(p[1], c.g, 4);
        EXPECT_NEAR(p[2], c.b, 4);
    }
}

// Catches the background colour ignored or white assumed: a movie with a dark background and nothing
// placed shows it on the stage and, by default, in the margin.
TEST(PreviewRenderTest, TheBackgroundColourFillsTheStageAndTheMargin)
{
    auto playback = Loaded(TestMovie(20, 10, TestBackground(10, 20, 30) + TestShowFrame()));
    EXPECT_EQ(playback->Background().red, 10);
    EXPECT_EQ(playback->Background().blue, 30);
    Raster frame;
    ASSERT_TRUE(playback->Render(frame, 50, 50));
    for (const auto &point : {std::make_pair(0, 0), std::make_pair(25, 25), std::make_pair(49, 49)})
        EXPECT_EQ(PixelRgb(frame, point.first, point.second), Rgb24(10, 20, 30));
    EXPECT_FALSE(playback->Render(frame, 0, 10));
}

// Catches a cache that keeps a stale frame or a renderer that depends on the previous call, and
// prints the time a 640 x 480 slide frame takes (one slide on top of many, as in a long movie).
TEST(PreviewRenderTest, RenderingAgainGivesTheSameFrameAndTakesMilliseconds)
{
    CPreviewFixture fixture;
    std::vector<ImageItem> slides;
    for (int i = 0; i < 6; ++i)
        slides.push_back(fixture.Slide("s" + std::to_string(i) + ".bmp", MakePhoto(320, 240, 20 + i)));
    const std::string path = fixture.Build(slides, 640, 480);
    CSwfPlayback playback;
    std::string error;
    ASSERT_TRUE(playback.Load(path.c_str(), error)) << error;
    playback.GotoFrame(5);
    Raster first, again;
    ASSERT_TRUE(playback.Render(first, 640, 480));
    playback.GotoFrame(0);
    ASSERT_TRUE(playback.Render(again, 640, 480));
    playback.GotoFrame(5);
    ASSERT_TRUE(playback.Render(again, 640, 480));
    EXPECT_EQ(first.pixels, again.pixels);
    for (const auto &size : {std::make_pair(640, 480), std::make_pair(800, 600), std::make_pair(400, 300)})
    {
        const int runs = 10;
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < runs; ++i)
            playback.Render(again, size.first, size.second);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count() / runs;
        std::printf("[ preview  ] 640 x 480 slide movie, frame 6 of 6, rendered at %d x %d: %.2f ms\n", size.first,
                    size.second, ms);
    }
}
