// Damaged movies and the player's run through each.
#include "preview/MovieFuzz.h"

#include "bench/pictures/SamplePictures.h"
#include "imaging/JpegCodec.h"

#include <filesystem>

namespace
{

// A hand-made movie using every kind of record the reader understands.
std::string RichMovie()
{
    Raster picture = MakePhoto(12, 8, 9);
    std::vector<uint8_t> jpeg;
    std::string error;
    EncodeJpeg(picture, 80, jpeg, error);
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

void LieAboutALength(std::string &file, CFuzzRandom &random)
{
    const std::vector<size_t> tags = TagOffsets(file);
    const uint32_t choice = random.Below(tags.size() + 1);
    if (choice == tags.size() || file.size() < 8)
    {
        // FileLength.
        if (file.size() >= 8)
            file[4 + random.Below(4)] = static_cast<char>(random.Below(256));
        return;
    }
    const size_t at = tags[choice];
    const unsigned word = static_cast<uint8_t>(file[at]) | (static_cast<uint8_t>(file[at + 1]) << 8);
    if ((word & 0x3F) == 0x3F && at + 6 <= file.size())
    {
        // A long length: a byte of it, or a small step either way.
        if (random.Below(2))
            file[at + 2 + random.Below(4)] = static_cast<char>(random.Below(256));
        else
            file[at + 2] = static_cast<char>(static_cast<uint8_t>(file[at + 2]) + (random.Below(2) ? 1 : -1));
        return;
    }
    if (random.Below(2) && at + 8 < file.size())
    {
        // A count or length inside the body.
        file[at + 2 + random.Below(6)] = static_cast<char>(random.Below(2) ? 0xFF : random.Below(256));
        return;
    }
    const unsigned length = random.Below(64);
    file[at] = static_cast<char>((word & ~0x3Fu) | length);
}

void Mutate(std::string &file, CFuzzRandom &random)
{
    if (file.empty())
    {
        file.push_back(static_cast<char>(random.Below(256)));
        return;
    }
    switch (random.Below(6))
    {
    case 0: // bit flips
        for (uint32_t i = 0, n = 1 + random.Below(8); i < n; ++i)
            file[random.Below(file.size())] ^= static_cast<char>(1 << random.Below(8));
        break;
    case 1: { // insertion
        std::string bytes;
        for (uint32_t i = 0, n = 1 + random.Below(16); i < n; ++i)
            bytes.push_back(static_cast<char>(random.Below(256)));
        file.insert(random.Below(file.size() + 1), bytes);
        break;
    }
    case 2: // deletion
        file.erase(random.Below(file.size()), 1 + random.Below(16));
        break;
    case 3: // truncation
        file.resize(random.Below(file.size()));
        break;
    case 4: // a length or count that lies
        LieAboutALength(file, random);
        break;
    default: // edge values
        for (uint32_t i = 0, n = 1 + random.Below(4); i < n; ++i)
        {
            const char values[] = {'\x00', '\xFF', '\x7F', '\x80', '\x01', '\x3F'};
            file[random.Below(file.size())] = values[random.Below(6)];
        }
    }
}

} // namespace

std::vector<std::string> MovieFuzzSeeds(CPreviewFixture &fixture)
{
    const std::string fps = ReadWholeFile(
        std::filesystem::u8path(fixture.Build({fixture.Slide("a.bmp", MakePhoto(30, 20, 1), L"http://example.com/"),
                                               fixture.Slide("b.bmp", MakeCard(8, 8, 9, 99, 199))},
                                              24, 16)));
    const std::string delay = ReadWholeFile(std::filesystem::u8path(
        fixture.Build({fixture.Slide("c.bmp", MakePhoto(20, 20, 2), L"x.htm")}, 16, 16, false, 1, 3)));
    const std::string rich = RichMovie();
    return {fps, delay, rich, TestCompress(rich)};
}

std::string MutatedMovie(const std::vector<std::string> &seeds, CFuzzRandom &random)
{
    // The compressed seed is damaged before compression, so the damage reaches the reader.
    const size_t which = random.Below(seeds.size());
    const bool compressAfter = which == 3;
    std::string file = compressAfter ? seeds[2] : seeds[which];
    for (uint32_t m = 0, n = 1 + random.Below(3); m < n; ++m)
        Mutate(file, random);
    if (compressAfter && file.size() >= 8)
        file = TestCompress(file);
    return file;
}
