// A deterministic mutation loop over several movies, through the reader, the renderer and hit testing.
#include "preview/PreviewTestSupport.h"

#include "bench/pictures/SamplePictures.h"
#include "imaging/JpegCodec.h"
#include "preview/SwfPlayback.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#ifndef PREVIEW_FUZZ_INPUTS
#define PREVIEW_FUZZ_INPUTS 20000
#endif

namespace
{

// A hand-made movie using every kind of record the reader understands.
std::string RichMovie()
{
    Raster picture = MakePhoto(12, 8, 9);
    std::vector<uint8_t> jpeg;
    std::string error;
    EXPECT_TRUE(EncodeJpeg(picture, 80, jpeg, error)) << error;
    const std::string jpegData = std::string("\xFF\xD9\xFF\xD8", 4) + std::string(jpeg.begin(), jpeg.end());

    CTestShape curves(1, 3, 0, 0, 400, 400);
    const int green = curves.Solid(0, 160, 0);
    const int thin = curves.Line(0, 0, 0, 0);
    curves.MoveTo(200, 20);
    curves.Style(green, 0, thin);
    curves.CurveBy(180, 0, 0, 180);
    curves.CurveBy(0, 180, -180, 0);
    curves.LineBy(-180, -180);
    curves.LineBy(180, -180);

    CTestShape bitmaps(2, 4, 0, 0, 480, 320);
    const int hard = bitmaps.BitmapFill(1, 0x42, TestMatrix(30, 30, 0, 0, 5, -5));
    const int smooth = bitmaps.BitmapFill(2, 0x41, TestMatrix(15, 10, 40, 40));
    const int wide = bitmaps.Line(90, 200, 100, 0);
    bitmaps.MoveTo(0, 0);
    bitmaps.Style(hard, smooth, wide);
    bitmaps.LineBy(240, 320);
    bitmaps.Style(hard, 0, 0);
    bitmaps.LineBy(-240, 0);
    bitmaps.LineBy(0, -320);
    bitmaps.MoveTo(240, 320);
    bitmaps.Style(0, smooth, 0);
    bitmaps.LineBy(240, 0);
    bitmaps.LineBy(0, -320);
    bitmaps.LineBy(-480, 0);

    CTestShape gradient(3, 5, 0, 0, 300, 300);
    const int ramp = gradient.LinearGradient(TestMatrix(0.01, 0.01, 150, 150, 0.004, 0),
                                             {{0, Rgb24(255, 0, 0)}, {128, Rgb24(0, 255, 0)}, {255, Rgb24(0, 0, 255)}});
    gradient.Style(ramp, 0, gradient.Line(40, 0, 0, 255, 128));
    gradient.Rectangle(20, 20, 260, 260);

    const std::string frames =
        TestBackground(10, 20, 30) + TestTag(8, std::string()) + TestLossless(1, picture) + TestJpeg2(2, jpegData) +
        curves.Tag() + bitmaps.Tag() + gradient.Tag() +
        TestButton2(6, {{0x09, 3, 1}, {0x02, 5, 2}}, "http://x/", "_top") + TestButton2(7, {{0x0F, 6, 1}}, nullptr) +
        TestPlace(1, 4) + TestPlace1(2, 3, TestMatrix(0.5, 0.5, 100, 100)) + TestPlace(3, 7, TestMatrix(1, 1, 20, 20)) +
        TestShowFrame() + TestMove(2, TestMatrix(2, 1.5, -50, 10, 0.3, 0.1)) + TestPlace(4, 5) +
        TestDoGetUrl("a.htm", "") + TestShowFrame() + TestRemove(2, 3) + TestRemove2(1) + TestDoStop() +
        TestShowFrame();
    return TestMovie(24, 16, frames, 12);
}

// Offsets of the tag headers of a whole FWS movie.
std::vector<size_t> TagOffsets(const std::string &file)
{
    std::vector<size_t> offsets;
    if (file.size() < 9)
        return offsets;
    const unsigned rectBits = static_cast<uint8_t>(file[8]) >> 3;
    size_t at = 8 + (5 + 4 * rectBits + 7) / 8 + 4;
    while (at + 2 <= file.size())
    {
        offsets.push_back(at);
        const unsigned word = static_cast<uint8_t>(file[at]) | (static_cast<uint8_t>(file[at + 1]) << 8);
        size_t length = word & 0x3F, header = 2;
        if (length == 0x3F)
        {
            if (at + 6 > file.size())
                break;
            length = static_cast<uint8_t>(file[at + 2]) | (static_cast<uint8_t>(file[at + 3]) << 8) |
                     (static_cast<uint8_t>(file[at + 4]) << 16) |
                     (static_cast<size_t>(static_cast<uint8_t>(file[at + 5])) << 24);
            header = 6;
        }
        at += header + length;
    }
    return offsets;
}

class CMutator
{
  public:
    explicit CMutator(uint32_t seed) : m_random(seed)
    {
    }
    uint32_t Below(uint32_t n)
    {
        return n ? static_cast<uint32_t>(m_random() % n) : 0;
    }

    void Mutate(std::string &file)
    {
        if (file.empty())
        {
            file.push_back(static_cast<char>(Below(256)));
            return;
        }
        switch (Below(6))
        {
        case 0: // bit flips
            for (uint32_t i = 0, n = 1 + Below(8); i < n; ++i)
                file[Below(static_cast<uint32_t>(file.size()))] ^= static_cast<char>(1 << Below(8));
            break;
        case 1: { // insertion
            std::string bytes;
            for (uint32_t i = 0, n = 1 + Below(16); i < n; ++i)
                bytes.push_back(static_cast<char>(Below(256)));
            file.insert(Below(static_cast<uint32_t>(file.size() + 1)), bytes);
            break;
        }
        case 2: { // deletion
            const uint32_t at = Below(static_cast<uint32_t>(file.size()));
            file.erase(at, 1 + Below(16));
            break;
        }
        case 3: // truncation
            file.resize(Below(static_cast<uint32_t>(file.size())));
            break;
        case 4: // a length or count that lies
            LieAboutALength(file);
            break;
        default: // edge values
            for (uint32_t i = 0, n = 1 + Below(4); i < n; ++i)
            {
                const char values[] = {'\x00', '\xFF', '\x7F', '\x80', '\x01', '\x3F'};
                file[Below(static_cast<uint32_t>(file.size()))] = values[Below(6)];
            }
        }
    }

  private:
    void LieAboutALength(std::string &file)
    {
        const std::vector<size_t> tags = TagOffsets(file);
        const uint32_t choice = Below(static_cast<uint32_t>(tags.size() + 1));
        if (choice == tags.size() || file.size() < 8)
        {
            // FileLength.
            if (file.size() >= 8)
                file[4 + Below(4)] = static_cast<char>(Below(256));
            return;
        }
        const size_t at = tags[choice];
        const unsigned word = static_cast<uint8_t>(file[at]) | (static_cast<uint8_t>(file[at + 1]) << 8);
        if ((word & 0x3F) == 0x3F && at + 6 <= file.size())
        {
            // A long length: a byte of it, or a small step either way.
            if (Below(2))
                file[at + 2 + Below(4)] = static_cast<char>(Below(256));
            else
                file[at + 2] = static_cast<char>(static_cast<uint8_t>(file[at + 2]) + (Below(2) ? 1 : -1));
            return;
        }
        if (Below(2) && at + 8 < file.size())
        {
            // A count or length inside the body.
            file[at + 2 + Below(6)] = static_cast<char>(Below(2) ? 0xFF : Below(256));
            return;
        }
        const unsigned length = Below(64);
        file[at] = static_cast<char>((word & ~0x3Fu) | length);
    }

    std::mt19937 m_random;
};

} // namespace

// Catches crashes, hangs, huge allocations and undefined behaviour on hostile input (run under the
// sanitizers): mutated movies are refused with a reason or read, drawn at a few sizes, stepped through
// and hit tested.
TEST(PreviewFuzzTest, MutatedMoviesAreRefusedOrPlayedNeverCrash)
{
    CPreviewFixture fixture;
    const std::string fps = ReadWholeFile(
        std::filesystem::u8path(fixture.Build({fixture.Slide("a.bmp", MakePhoto(30, 20, 1), L"http://example.com/"),
                                               fixture.Slide("b.bmp", MakeCard(8, 8, 9, 99, 199))},
                                              24, 16)));
    const std::string delay = ReadWholeFile(std::filesystem::u8path(
        fixture.Build({fixture.Slide("c.bmp", MakePhoto(20, 20, 2), L"x.htm")}, 16, 16, false, 1, 3)));
    const std::string rich = RichMovie();
    const std::vector<std::string> seeds = {fps, delay, rich, TestCompress(rich)};
    for (const std::string &seed : seeds)
    {
        CSwfPlayback playback;
        std::string error;
        ASSERT_TRUE(playback.LoadMemory(ToBytes(seed), error)) << error;
    }

    SwfLimits limits;
    limits.uMaxBitmapPixels = 1 << 16;
    limits.uMaxBitmapCacheBytes = 1 << 20;
    limits.uMaxFileBytes = 1 << 20;
    CMutator mutator(20240611);
    int accepted = 0, refused = 0;
    const int inputs = PREVIEW_FUZZ_INPUTS;
    for (int i = 0; i < inputs; ++i)
    {
        const size_t which = mutator.Below(static_cast<uint32_t>(seeds.size()));
        const bool compressAfter = which == 3;
        std::string file = compressAfter ? rich : seeds[which];
        for (uint32_t m = 0, n = 1 + mutator.Below(3); m < n; ++m)
            mutator.Mutate(file);
        if (compressAfter && file.size() >= 8)
            file = TestCompress(file);
        CSwfPlayback playback;
        playback.SetLimits(limits);
        std::string error;
        if (!playback.LoadMemory(ToBytes(file), error))
        {
            ++refused;
            if (error.empty())
                ADD_FAILURE() << "input " << i << " was refused without a reason";
            continue;
        }
        ++accepted;
        Raster frame;
        playback.Render(frame, 24, 16);
        playback.Advance();
        playback.Render(frame, 13, 29);
        std::string url, target;
        playback.HitTest(6, 6, 24, 16, url, target);
        playback.IsOverActionButton(20, 3, 24, 16);
        playback.GotoFrame(playback.FrameCount() - 1);
        playback.Render(frame, 7, 5);
        playback.Advance();
    }
    std::printf("[ preview  ] fuzz: %d inputs, %d read and played, %d refused\n", inputs, accepted, refused);
    EXPECT_GT(accepted, inputs / 20) << "too few mutations got past the reader to exercise the renderer";
    EXPECT_GT(refused, inputs / 20);
}
