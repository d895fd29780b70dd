// The display list frame by frame: depths, placements, moves, removals, looping and frame actions.
#include "preview/PreviewTestSupport.h"

#include "preview/SwfPlayback.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

const uint32_t kWhite = Rgb24(255, 255, 255), kRed = Rgb24(255, 0, 0), kBlue = Rgb24(0, 0, 255);

// Shape `id`: a 10 x 10 px square of one colour at the origin.
std::string Square(uint16_t id, uint8_t r, uint8_t g, uint8_t b)
{
    CTestShape shape(3, id, 0, 0, 200, 200);
    shape.Style(shape.Solid(r, g, b), 0, 0);
    shape.Rectangle(0, 0, 200, 200);
    return shape.Tag();
}

// Red square 1 and blue square 2 on a 40 x 20 px stage, then the tags given.
std::unique_ptr<CSwfPlayback> Play(const std::string &tags)
{
    auto playback = std::make_unique<CSwfPlayback>();
    std::string error;
    EXPECT_TRUE(
        playback->LoadMemory(ToBytes(TestMovie(40, 20, Square(1, 255, 0, 0) + Square(2, 0, 0, 255) + tags)), error))
        << error;
    return playback;
}

uint32_t ColourAt(const CSwfPlayback &playback, int x, int y)
{
    Raster frame;
    EXPECT_TRUE(playback.Render(frame, 40, 20));
    return frame.Empty() ? 0 : PixelRgb(frame, x, y);
}

} // namespace

// Catches drawing in placement order instead of depth order: whichever was placed first, the higher
// depth is on top.
TEST(PreviewDisplayListTest, HigherDepthsAreDrawnOverLowerOnes)
{
    EXPECT_EQ(ColourAt(*Play(TestPlace(1, 1) + TestPlace(2, 2) + TestShowFrame()), 5, 5), kBlue);
    EXPECT_EQ(ColourAt(*Play(TestPlace(2, 1) + TestPlace(1, 2) + TestShowFrame()), 5, 5), kRed);
    EXPECT_EQ(ColourAt(*Play(TestPlace(9, 1) + TestShowFrame() + TestPlace(3, 2) + TestShowFrame()), 5, 5), kRed);
}

// Catches placements that overwrite an occupied depth, moves that lose the character or ignore the
// matrix, and removals that leave the depth taken.
TEST(PreviewDisplayListTest, PlacementsMovesAndRemovalsChangeTheirDepthAsPlayersDo)
{
    const std::string right = TestMatrix(1, 1, 400, 0); // 20 px to the right
    struct Case
    {
        const char *name;
        std::string tags;
        uint32_t left, rightSide; // colours at (5, 5) and (25, 5)
        size_t entries;
    } cases[] = {
        {"place on an occupied depth without move is ignored", TestPlace(1, 1) + TestPlace(1, 2), kRed, kWhite, 1},
        {"move changes the matrix and keeps the character", TestPlace(1, 1) + TestMove(1, right), kWhite, kRed, 1},
        {"move with a character replaces it", TestPlace(1, 1) + TestMove(1, right, 2), kWhite, kBlue, 1},
        {"move of an empty depth with a character places it", TestMove(4, right, 2), kWhite, kBlue, 1},
        {"move of an empty depth without one does nothing", TestMove(4, right), kWhite, kWhite, 0},
        {"RemoveObject2 frees the depth", TestPlace(1, 1) + TestRemove2(1) + TestPlace(1, 2), kBlue, kWhite, 1},
        {"RemoveObject frees the depth", TestPlace(1, 1) + TestRemove(1, 1) + TestPlace(1, 2), kBlue, kWhite, 1},
        {"PlaceObject places with its matrix", TestPlace1(3, 2, right), kWhite, kBlue, 1},
        {"removing an empty depth is harmless", TestRemove2(8) + TestPlace(1, 1), kRed, kWhite, 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        auto playback = Play(c.tags + TestShowFrame());
        EXPECT_EQ(ColourAt(*playback, 5, 5), c.left);
        EXPECT_EQ(ColourAt(*playback, 25, 5), c.rightSide);
        EXPECT_EQ(playback->DisplayList().Entries().size(), c.entries);
    }
}

// Catches a replay that forgets removals or repeats placements, a loop that keeps the last frame's
// objects, and a backward jump that does not rebuild the list.
TEST(PreviewDisplayListTest, FramesReplayForwardBackwardAndLoopAfterTheLast)
{
    auto playback = Play(TestPlace(1, 1) + TestShowFrame() +                           // frame 0: red left
                         TestPlace(2, 2, TestMatrix(1, 1, 400, 0)) + TestShowFrame() + // frame 1: blue right too
                         TestRemove2(1) + TestShowFrame());                            // frame 2: only blue
    ASSERT_EQ(playback->FrameCount(), 3);
    const uint32_t expected[3][2] = {{kRed, kWhite}, {kRed, kBlue}, {kWhite, kBlue}};
    const int order[] = {0, 1, 2, 0, 1, 2, 0};
    for (int step = 0; step < 7; ++step)
    {
        SCOPED_TRACE("step " + std::to_string(step));
        ASSERT_EQ(playback->CurrentFrame(), order[step]);
        EXPECT_EQ(ColourAt(*playback, 5, 5), expected[order[step]][0]);
        EXPECT_EQ(ColourAt(*playback, 25, 5), expected[order[step]][1]);
        playback->Advance();
    }
    for (int frame : {2, 1, 0, 2, 5, -3})
    {
        SCOPED_TRACE("goto " + std::to_string(frame));
        playback->GotoFrame(frame);
        const int held = std::min(std::max(frame, 0), 2);
        EXPECT_EQ(playback->CurrentFrame(), held);
        EXPECT_EQ(ColourAt(*playback, 5, 5), expected[held][0]);
        EXPECT_EQ(ColourAt(*playback, 25, 5), expected[held][1]);
    }
}

// Catches frame actions that never run, run on GotoFrame, or lose their address: Stop halts the
// playback and a GetURL is queued for the window once.
TEST(PreviewDisplayListTest, FrameActionsStopAndQueueAddressesWhenTheFrameIsEntered)
{
    auto playback = Play(TestPlace(1, 1) + TestShowFrame() + TestDoStop() +
                         TestDoGetUrl("http://example.com/next", "_blank") + TestShowFrame() + TestShowFrame());
    EXPECT_TRUE(playback->IsPlaying());
    playback->GotoFrame(1);
    EXPECT_TRUE(playback->IsPlaying());
    EXPECT_TRUE(playback->TakeFrameUrls().empty());
    playback->GotoFrame(0);
    playback->Advance();
    EXPECT_FALSE(playback->IsPlaying());
    const std::vector<SwfActionRecord> urls = playback->TakeFrameUrls();
    ASSERT_EQ(urls.size(), 1u);
    EXPECT_EQ(urls[0].strUrl, "http://example.com/next");
    EXPECT_EQ(urls[0].strTarget, "_blank");
    EXPECT_TRUE(playback->TakeFrameUrls().empty());
    playback->Play();
    EXPECT_TRUE(playback->IsPlaying());
}
