// Hit testing: the slide's button and its address, buttons under shapes, points in the margin; slides leaving the
// stage.
#include "preview/PreviewTestSupport.h"

#include "bench/pictures/SamplePictures.h"
#include "preview/SwfPlayback.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
// The movie without its RemoveObject2 tags (FileLength mended): every slide then stays on the stage.
std::string WithoutRemovals(const std::string &movie)
{
    const unsigned rectBits = 5 + 4 * (static_cast<uint8_t>(movie[8]) >> 3);
    size_t at = 8 + (rectBits + 7) / 8 + 4;
    std::string out = movie.substr(0, at);
    while (at < movie.size())
    {
        const unsigned word = static_cast<uint8_t>(movie[at]) | static_cast<uint8_t>(movie[at + 1]) << 8;
        size_t size = 2 + (word & 0x3F);
        if ((word & 0x3F) == 0x3F)
            size = 6 + (static_cast<uint8_t>(movie[at + 2]) | static_cast<uint8_t>(movie[at + 3]) << 8 |
                        static_cast<uint8_t>(movie[at + 4]) << 16 | static_cast<size_t>(movie[at + 5]) << 24);
        if (word >> 6 != 28)
            out += movie.substr(at, size);
        at += size;
    }
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<char>(out.size() >> (8 * i));
    return out;
}
} // namespace

// Catches the address of an earlier slide showing through a later slide without one, a slide left on
// the stage once the next is placed (or removed before it), frames that differ from those of the same
// movie with every slide kept, addresses mangled on the way, and hits in the margin of a fitted stage.
// Two rounds of playback also cover the loop back to the first frame.
TEST(PreviewHitTest, EachSlideOpensItsOwnAddressAndASlideWithoutOneOpensNothing)
{
    CPreviewFixture fixture;
    const std::vector<ImageItem> slides = {
        fixture.Slide("a.bmp", MakeCard(40, 30, 200, 0, 0), L"http://example.com/a?b=1&c=%20"),
        fixture.Slide("b.bmp", MakeCard(40, 30, 0, 200, 0)),
        fixture.Slide("c.bmp", MakeCard(40, 30, 0, 0, 200), L"page.htm"),
    };
    for (bool fpsMode : {true, false})
    {
        SCOPED_TRACE(fpsMode ? "FPS mode" : "delay mode");
        CSwfPlayback playback, kept;
        std::string error;
        const std::string path = fixture.Build(slides, 64, 48, fpsMode, 1, 2);
        ASSERT_TRUE(playback.Load(path.c_str(), error)) << error;
        ASSERT_TRUE(kept.LoadMemory(ToBytes(WithoutRemovals(ReadWholeFile(fs::u8path(path)))), error)) << error;
        const char *expected[] = {"http://example.com/a?b=1&c=%20", nullptr, "page.htm"};
        const int framesPerSlide = fpsMode ? 1 : 2;
        for (int step = 0; step < 2 * playback.FrameCount(); ++step)
        {
            const int f = playback.CurrentFrame();
            SCOPED_TRACE("frame " + std::to_string(f) + " of round " + std::to_string(step / playback.FrameCount()));
            kept.GotoFrame(f);
            const int slide = f / framesPerSlide;
            const char *address = expected[slide];
            // Only the slide's shape and button are on the stage, and they draw what every slide kept draws.
            std::vector<uint16_t> depths;
            for (const auto &entry : playback.DisplayList().Entries())
                depths.push_back(entry.first);
            EXPECT_EQ(depths, (std::vector<uint16_t>{static_cast<uint16_t>(3 * slide + 2),
                                                     static_cast<uint16_t>(3 * slide + 3)}));
            Raster shown, reference;
            ASSERT_TRUE(playback.Render(shown, 64, 48));
            ASSERT_TRUE(kept.Render(reference, 64, 48));
            EXPECT_TRUE(shown.pixels == reference.pixels);
            // At the stage's own size, and in a wider window where x 10 lies in the margin.
            for (const auto &point : {std::make_pair(0, 0), std::make_pair(63, 47), std::make_pair(32, 20)})
            {
                std::string url = "unchanged", target = "unchanged";
                const bool hit = playback.HitTest(point.first, point.second, 64, 48, url, target);
                EXPECT_EQ(hit, address != nullptr);
                EXPECT_EQ(playback.IsOverActionButton(point.first, point.second, 64, 48), address != nullptr);
                if (address)
                {
                    EXPECT_EQ(url, address);
                    EXPECT_EQ(target, "");
                }
                else
                {
                    EXPECT_EQ(url, "unchanged");
                }
                EXPECT_TRUE(playback.HitTestDetail(point.first, point.second, 64, 48).bButton);
            }
            std::string url, target;
            EXPECT_FALSE(playback.HitTest(10, 24, 200, 48, url, target)) << "a point in the margin";
            EXPECT_EQ(playback.HitTest(100, 24, 200, 48, url, target), address != nullptr);
            playback.Advance();
        }
    }
}

// Catches shapes that swallow the mouse (a button stays clickable under a shape drawn over it), the
// lower of two overlapping buttons winning, and hit areas taken from the wrong state or place.
TEST(PreviewHitTest, TheTopmostButtonWhoseHitAreaHoldsThePointAnswers)
{
    CTestShape left(3, 1, 0, 0, 200, 400), whole(3, 2, 0, 0, 800, 400);
    left.Style(left.Solid(0, 0, 0), 0, 0);
    left.Rectangle(0, 0, 200, 400); // x 0 .. 10 px
    whole.Style(whole.Solid(90, 90, 90), 0, 0);
    whole.Rectangle(0, 0, 800, 400);
    const std::string tags =
        left.Tag() + whole.Tag() + TestButton2(3, {{0x08, 1, 1}, {0x01, 2, 2}}, "left") + // hit area: the left strip
        TestButton2(4, {{0x08, 2, 1}}, "whole") + TestPlace(1, 4) + TestPlace(2, 3) +     // "left" above "whole"
        TestPlace(3, 2) + TestShowFrame();                                                // a shape above both
    CSwfPlayback playback;
    std::string error;
    ASSERT_TRUE(playback.LoadMemory(ToBytes(TestMovie(40, 20, tags)), error)) << error;
    struct Case
    {
        int x, y;
        const char *url;
    } cases[] = {{2, 10, "left"}, {9, 19, "left"}, {10, 10, "whole"}, {39, 0, "whole"}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        std::string url, target;
        EXPECT_TRUE(playback.HitTest(c.x, c.y, 40, 20, url, target));
        EXPECT_EQ(url, c.url);
    }
    // The up state of button 3 shows shape 2 over the stage, and nothing else is drawn over it but shape 2.
    Raster frame;
    ASSERT_TRUE(playback.Render(frame, 40, 20));
    EXPECT_EQ(PixelRgb(frame, 30, 10), Rgb24(90, 90, 90));
}

// Catches a button refused or left without its address because a condition entry before it carries
// no action bytes at all (not even the end flag), which a writer may produce.
TEST(PreviewHitTest, AConditionEntryWithoutActionBytesDoesNotHideTheNextOne)
{
    CTestShape area(3, 1, 0, 0, 400, 400);
    area.Style(area.Solid(0, 0, 0), 0, 0);
    area.Rectangle(0, 0, 400, 400);
    CTestBits body;
    body.U16(2);
    body.U8(0);
    body.U16(2 + 7 + 1); // ActionOffset: one 7-byte record and the end flag
    // Hit state, shape 1, depth 1, identity matrix, colour transform without terms.
    body.Bytes(std::string("\x08\x01\x00\x01\x00\x00\x10", 7));
    body.U8(0);
    body.Bytes(std::string("\x04\x00\x08\x00", 4)); // size 4, OverDownToOverUp, no actions
    const std::string url = "later.htm";
    body.Bytes(std::string("\x00\x00\x04\x01\x83", 5));
    body.U16(static_cast<unsigned>(url.size() + 2));
    body.Bytes(url + std::string("\0\0\0", 3));
    CSwfPlayback playback;
    std::string error;
    ASSERT_TRUE(playback.LoadMemory(
        ToBytes(TestMovie(20, 20, area.Tag() + TestTag(34, body.Data(), true) + TestPlace(1, 2) + TestShowFrame())),
        error))
        << error;
    std::string found, target;
    EXPECT_TRUE(playback.HitTest(10, 10, 20, 20, found, target));
    EXPECT_EQ(found, url);
}
