// Whole movies built slide by slide like a build, read back with the test reader.
#include "SwfTestReader.h"
#include "SwfTestUtil.h"
#include "TestJpegs.h"
#include "swf/SWFAction.h"
#include "swf/SWFBitmap.h"
#include "swf/SWFButton.h"
#include "swf/SWFMovie.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{
struct MovieCase
{
    int slides;
    int width, height;
    unsigned char rate;
    int framesPerSlide;
};

std::string JpegFor(int slide)
{
    return slide % 2 ? std::string(reinterpret_cast<const char *>(kTestJpegGrey8), sizeof kTestJpegGrey8)
                     : std::string(reinterpret_cast<const char *>(kTestJpegRgb16x12), sizeof kTestJpegRgb16x12);
}

std::string UrlFor(int slide)
{
    return slide % 3 == 1 ? std::string() : "http://example.com/slide" + std::to_string(slide) + ".htm?a=1&b=%C3%A9";
}

// Writes the movie as a build does: per slide a bitmap, a placed rectangle filled with it, and a button
// with the slide's address, placed again in every frame of the slide.
void BuildMovie(const TempDir &dir, const std::string &path, const MovieCase &c)
{
    CSWFMovie movie;
    ASSERT_EQ(movie.Open(path.c_str(), static_cast<float>(c.width), static_cast<float>(c.height), c.rate), 1);
    movie.SetBackgroundColor(SWFRGB{255, 255, 255});
    uint16_t id = 1;
    for (int n = 1; n <= c.slides; ++n)
    {
        const std::string jpeg = WriteTempFile(dir, "slide" + std::to_string(n) + ".jpg", JpegFor(n));
        CSWFBitmap bitmap(id, jpeg.c_str());
        movie.AddObject(&bitmap, id, true);
        ++id;
        auto shape =
            MakeSlideShape(id, static_cast<float>(c.width), static_cast<float>(c.height), bitmap.GetCharacterId());
        movie.AddObject(shape.get(), shape->GetDepth(), true);
        ++id;
        CSWFButton button(id, id, false);
        button.AddButtonRecord(0x08, shape->GetCharacterId(), shape->GetDepth(), nullptr);
        const std::string url = UrlFor(n);
        if (!url.empty())
        {
            CSWFAction action(true);
            ASSERT_TRUE(action.AddGetURL(url.c_str(), ""));
            ASSERT_TRUE(button.AddCondAction(0x04, 0x01, &action));
        }
        for (int f = 0; f < c.framesPerSlide; ++f)
        {
            movie.AddObject(&button, button.GetDepth(), true);
            movie.ShowFrame();
        }
        ++id;
    }
    movie.Close();
    ASSERT_FALSE(movie.HasWriteError());
}

// Checks one slide's tags from index i on and moves i past them.
void CheckSlide(const SwfMovie &movie, size_t &i, int n, const MovieCase &c)
{
    SCOPED_TRACE(testing::Message() << "slide " << n);
    const uint16_t bitmapId = static_cast<uint16_t>(3 * n - 2), shapeId = bitmapId + 1, buttonId = bitmapId + 2;
    ASSERT_LE(i + 3 + 3 * c.framesPerSlide, movie.tags.size());

    SwfBitsJpeg2 bits;
    ASSERT_EQ(DecodeDefineBitsJpeg2(movie.tags[i++], bits), "");
    EXPECT_EQ(bits.characterId, bitmapId);
    EXPECT_TRUE(bits.imageData == "\xFF\xD9\xFF\xD8" + JpegFor(n) + "\xFF\xD9");

    SwfShape shape;
    ASSERT_EQ(DecodeDefineShape3(movie.tags[i++], shape), "");
    EXPECT_EQ(shape.shapeId, shapeId);
    EXPECT_EQ(shape.bounds.xmax, c.width * 20);
    EXPECT_EQ(shape.bounds.ymax, c.height * 20);
    ASSERT_EQ(shape.fills.size(), 1u);
    EXPECT_EQ(shape.fills[0].type, 0x40);
    EXPECT_EQ(shape.fills[0].bitmapId, bitmapId);
    EXPECT_EQ(shape.fills[0].matrix.scaleX, 20 << 16);
    EXPECT_EQ(shape.fills[0].matrix.scaleY, 20 << 16);
    ASSERT_EQ(shape.lines.size(), 1u);
    EXPECT_EQ(shape.lines[0].width, 20);
    EXPECT_EQ(shape.lines[0].rgba[3], 0);
    ASSERT_GE(shape.records.size(), 5u);
    EXPECT_FALSE(shape.records[0].edge);
    EXPECT_TRUE(shape.records[0].hasMoveTo);
    EXPECT_EQ(shape.records[0].fill0, 1u);
    EXPECT_EQ(shape.records[0].fill1, 0u);
    EXPECT_EQ(shape.records[0].line, 1u);
    // The pen goes round the stage and comes back to the origin.
    int64_t x = 0, y = 0, maxX = 0, maxY = 0;
    for (size_t r = 1; r < shape.records.size(); ++r)
    {
        ASSERT_TRUE(shape.records[r].edge);
        x += shape.records[r].dx;
        y += shape.records[r].dy;
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
        EXPECT_TRUE(x >= 0 && y >= 0);
    }
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(maxX, c.width * 20);
    EXPECT_EQ(maxY, c.height * 20);

    SwfPlaceObject2 place;
    ASSERT_EQ(DecodePlaceObject2(movie.tags[i++], place), "");
    EXPECT_EQ(place.flags, 0x06);
    EXPECT_EQ(place.depth, shapeId);
    EXPECT_EQ(place.characterId, shapeId);

    for (int f = 0; f < c.framesPerSlide; ++f)
    {
        SwfButton button;
        ASSERT_EQ(DecodeDefineButton2(movie.tags[i++], button), "");
        EXPECT_EQ(button.buttonId, buttonId);
        ASSERT_EQ(button.records.size(), 1u);
        EXPECT_EQ(button.records[0].states, 0x08);
        EXPECT_EQ(button.records[0].characterId, shapeId);
        EXPECT_EQ(button.records[0].depth, shapeId);
        const std::string url = UrlFor(n);
        ASSERT_EQ(button.condActions.size(), url.empty() ? 0u : 1u);
        if (!url.empty())
        {
            EXPECT_EQ(button.condActions[0].condition1, 0x04);
            EXPECT_EQ(button.condActions[0].condition2, 0x01);
            ASSERT_EQ(button.condActions[0].urls.size(), 1u);
            EXPECT_EQ(button.condActions[0].urls[0].url, url);
            EXPECT_EQ(button.condActions[0].urls[0].target, "");
        }
        ASSERT_EQ(DecodePlaceObject2(movie.tags[i++], place), "");
        EXPECT_EQ(place.depth, buttonId);
        EXPECT_EQ(place.characterId, buttonId);
        EXPECT_EQ(movie.tags[i++].code, kSwfShowFrame);
    }
}
} // namespace

TEST(SwfRoundTripTest, SlideMoviesReadBackTagByTag)
{
    const MovieCase cases[] = {
        {1, 256, 192, 12, 1},
        {3, 200, 150, 1, 3},
        {500, 320, 240, 25, 1},
        // Edges longer than one record can hold, and a frame size beyond 16-bit twips.
        {2, 4000, 3000, 1, 2},
    };
    for (const MovieCase &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.slides << " slides of " << c.width << " x " << c.height);
        TempDir dir;
        const std::string path = dir.File("movie.swf");
        BuildMovie(dir, path, c);
        if (HasFatalFailure())
            return;

        const std::string bytes = ReadWholeFile(std::filesystem::u8path(path));
        SwfMovie movie;
        // Also checks FileLength against the size, every tag length against the bytes, End last.
        ASSERT_EQ(ParseSwfMovie(bytes, movie), "");
        EXPECT_EQ(movie.version, 3);
        EXPECT_EQ(movie.frameSize.xmin, 0);
        EXPECT_EQ(movie.frameSize.xmax, c.width * 20);
        EXPECT_EQ(movie.frameSize.ymax, c.height * 20);
        EXPECT_EQ(movie.frameRate, c.rate << 8);
        EXPECT_EQ(movie.frameCount, c.slides * c.framesPerSlide);
        EXPECT_EQ(CountSwfTags(movie, kSwfShowFrame), c.slides * c.framesPerSlide);

        ASSERT_FALSE(movie.tags.empty());
        EXPECT_EQ(Hex(movie.tags[0].body), "FF FF FF");
        size_t i = 1;
        for (int n = 1; n <= c.slides; ++n)
        {
            CheckSlide(movie, i, n, c);
            if (HasFatalFailure())
                return;
        }
        ASSERT_EQ(i + 1, movie.tags.size());
        EXPECT_EQ(movie.tags[i].code, kSwfEnd);
    }
}

TEST(SwfRoundTripTest, ReaderRejectsMoviesThatDoNotAddUp)
{
    const std::string good = HexBytes("46 57 53 03 18 00 00 00 68 00 1F 40 00 07 D0 00 00 0C 01 00 | 40 00 | 00 00");
    SwfMovie movie;
    ASSERT_EQ(ParseSwfMovie(good, movie), "");
    struct Row
    {
        const char *name;
        std::string bytes;
    };
    const Row rows[] = {
        {"FileLength off by one", good.substr(0, 4) + HexBytes("19 00 00 00") + good.substr(8)},
        {"no End tag", good.substr(0, 4) + HexBytes("16 00 00 00") + good.substr(8, 14)},
        {"tag longer than the file", good.substr(0, 20) + HexBytes("41 00") + good.substr(22)},
        {"bytes after End", good.substr(0, 4) + HexBytes("1A 00 00 00") + good.substr(8) + HexBytes("00 00")},
        {"compressed signature", "C" + good.substr(1)},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        EXPECT_NE(ParseSwfMovie(row.bytes, movie), "");
    }
}
