// The movie file: header bytes, movie-level tags, open/close rules, streaming and write errors.
#include "swf/SWFMovie.h"
#include "SwfTestReader.h"
#include "SwfTestUtil.h"
#include "swf/SWFBitmap.h"
#include "swf/SWFButton.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{
std::string ReadMovie(const std::string &path)
{
    return ReadWholeFile(fs::u8path(path));
}

// The header of a 200 x 200 px, 12 fps movie up to the frame count.
const char *const kHeader200 = "46 57 53 03 | 16 00 00 00 | 68 00 1F 40 00 07 D0 00 | 00 0C";
} // namespace

TEST(SWFMovieTest, EmptyMovieIsTheHeaderAndEnd)
{
    TempDir dir;
    const std::string path = dir.File("empty.swf");
    CSWFMovie movie;
    ASSERT_EQ(movie.Open(path.c_str(), 200, 200, 12), 1);
    movie.Close();
    EXPECT_FALSE(movie.HasWriteError());
    const std::string bytes = ReadMovie(path);
    EXPECT_EQ(Hex(bytes), Hex(HexBytes("46 57 53 03 | 16 00 00 00 | 68 00 1F 40 00 07 D0 00 | 00 0C | 00 00 | 00 00")));
}

TEST(SWFMovieTest, HeaderCarriesRateFrameCountAndLength)
{
    struct Row
    {
        unsigned char rate;
        int frames;
        const char *rateHex;
    };
    const Row rows[] = {{1, 0, "00 01"}, {255, 1, "00 FF"}, {12, 3, "00 0C"}, {25, 300, "00 19"}};
    for (const Row &row : rows)
    {
        SCOPED_TRACE(static_cast<int>(row.rate));
        TempDir dir;
        const std::string path = dir.File("rate.swf");
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(path.c_str(), 256, 192, row.rate), 1);
        for (int i = 0; i < row.frames; ++i)
            movie.ShowFrame();
        movie.Close();
        const std::string bytes = ReadMovie(path);
        ASSERT_EQ(bytes.size(), 8u + 8 + 4 + 2 * row.frames + 2);
        EXPECT_EQ(Hex(bytes.substr(16, 2)), Hex(HexBytes(row.rateHex)));
        SwfMovie parsed;
        ASSERT_EQ(ParseSwfMovie(bytes, parsed), "");
        EXPECT_EQ(parsed.frameCount, row.frames);
        EXPECT_EQ(CountSwfTags(parsed, kSwfShowFrame), row.frames);
    }
}

TEST(SWFMovieTest, AddObjectDefinesAndPlacesEveryKindButBitmaps)
{
    TempDir dir;
    const std::string jpeg = WriteTempFile(dir, "a.jpg", HexBytes("FF D8 FF D9"));
    const std::string missing = dir.File("missing.jpg");
    struct Row
    {
        const char *name;
        int kind; // 0 shape, 1 bitmap, 2 missing-file bitmap, 3 button
        bool place;
        const char *tail; // bytes after the definition, before End
    };
    const Row rows[] = {
        {"shape id 2 at depth 2", 0, true, "BF 06 06 00 00 00 | 06 | 02 00 | 02 00 | 00"},
        {"shape without placing", 0, false, ""},
        {"bitmap with place=true is only defined", 1, true, ""},
        {"empty bitmap appends nothing", 2, true, ""},
        {"button id 3 at depth 3", 3, true, "BF 06 06 00 00 00 | 06 | 03 00 | 03 00 | 00"},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        std::unique_ptr<CSWFObject> object;
        uint16_t depth = 2;
        if (row.kind == 0)
            object = MakeSlideShape(2, 256, 192, 1);
        else if (row.kind == 1 || row.kind == 2)
            object = std::make_unique<CSWFBitmap>(1, row.kind == 1 ? jpeg.c_str() : missing.c_str());
        else
        {
            auto button = std::make_unique<CSWFButton>(3, 3, false);
            button->AddButtonRecord(0x08, 2, 2, nullptr);
            object = std::move(button);
            depth = 3;
        }
        const std::string definition = BytesOf(*object);

        const std::string path = dir.File("objects.swf");
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(path.c_str(), 200, 200, 12), 1);
        movie.AddObject(object.get(), depth, row.place);
        movie.AddObject(nullptr, 9, true);
        movie.Close();
        const std::string bytes = ReadMovie(path);
        ASSERT_GE(bytes.size(), 22u);
        EXPECT_EQ(Hex(bytes.substr(20, bytes.size() - 22)), Hex(definition + HexBytes(row.tail)));
        SwfMovie parsed;
        EXPECT_EQ(ParseSwfMovie(bytes, parsed), "");
    }
}

TEST(SWFMovieTest, PlaceAndRemoveObjectWriteTheirForms)
{
    TempDir dir;
    auto shape = MakeSlideShape(7, 10, 10, 1);
    const float neutral[8] = {1, 1, 1, 1, 0, 0, 0, 0};
    struct Row
    {
        const char *name;
        bool newCharacter;
        const float *cxform;
        const char *hex;
        bool remove = false;
    };
    const Row rows[] = {
        {"new character", true, nullptr, "BF 06 06 00 00 00 | 06 | 05 00 | 07 00 | 00"},
        {"move without a character", false, nullptr, "BF 06 04 00 00 00 | 05 | 05 00 | 00"},
        {"with a colour transform", true, neutral,
         "BF 06 11 00 00 00 | 0E | 05 00 | 07 00 | 00 | E9 00 40 10 04 00 00 00 00 00 00"},
        {"RemoveObject2, short header", false, nullptr, "02 07 | 05 00", true},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string path = dir.File("place.swf");
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(path.c_str(), 200, 200, 12), 1);
        if (row.remove)
            movie.RemoveObject(5);
        else
            movie.PlaceObject(shape.get(), 5, row.newCharacter, row.cxform);
        movie.PlaceObject(nullptr, 5, true, nullptr);
        movie.Close();
        const std::string bytes = ReadMovie(path);
        ASSERT_GE(bytes.size(), 22u);
        EXPECT_EQ(Hex(bytes.substr(20, bytes.size() - 22)), Hex(HexBytes(row.hex)));
        SwfMovie parsed;
        ASSERT_EQ(ParseSwfMovie(bytes, parsed), "");
        if (row.remove)
            continue;
        SwfPlaceObject2 place;
        ASSERT_EQ(DecodePlaceObject2(parsed.tags[0], place), "");
        EXPECT_EQ(place.depth, 5);
        EXPECT_EQ(place.hasColorTransform, row.cxform != nullptr);
    }
}

TEST(SWFMovieTest, OpenAndCloseFollowTheFileRules)
{
    TempDir dir;
    const std::string first = dir.File("first.swf"), second = dir.File("second.swf");
    {
        SCOPED_TRACE("Close without Open creates no file");
        CSWFMovie movie;
        movie.ShowFrame();
        movie.Close();
        EXPECT_FALSE(fs::exists(fs::u8path(first)));
    }
    {
        SCOPED_TRACE("a second Open fails and the first file stays the target");
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(first.c_str(), 200, 200, 12), 1);
        EXPECT_EQ(movie.Open(second.c_str(), 100, 100, 1), 0);
        movie.Close();
        EXPECT_FALSE(fs::exists(fs::u8path(second)));
        EXPECT_EQ(Hex(ReadMovie(first)), Hex(HexBytes(kHeader200) + HexBytes("00 00 00 00")));
        SCOPED_TRACE("a second Close changes nothing");
        fs::remove(fs::u8path(first));
        movie.Close();
        EXPECT_FALSE(fs::exists(fs::u8path(first)));
    }
    {
        SCOPED_TRACE("a file that cannot be created");
        CSWFMovie movie;
        const std::string inMissingFolder = dir.File("no-such-folder/x.swf");
        EXPECT_EQ(movie.Open(inMissingFolder.c_str(), 200, 200, 12), 0);
        EXPECT_EQ(movie.Open(nullptr, 200, 200, 12), 0);
        EXPECT_FALSE(movie.IsOpen());
    }
    {
        SCOPED_TRACE("a UTF-8 path");
        const std::string utf8 = dir.File("\xE5\xB9\xBB\xE7\x81\xAF\xE7\x89\x87 \xC3\xB1.swf");
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(utf8.c_str(), 200, 200, 12), 1);
        movie.Close();
        EXPECT_EQ(ReadMovie(utf8).size(), 22u);
    }
}

TEST(SWFMovieTest, AppendsBeforeOpenAreWrittenAtOpenAndAReopenedMovieStartsAfresh)
{
    TempDir dir;
    const std::string first = dir.File("first.swf"), second = dir.File("second.swf");
    CSWFMovie movie;
    movie.SetBackgroundColor(SWFRGB{0xFF, 0x80, 0x01});
    movie.ShowFrame();
    ASSERT_EQ(movie.Open(first.c_str(), 200, 200, 12), 1);
    movie.ShowFrame();
    movie.Close();
    SwfMovie parsed;
    ASSERT_EQ(ParseSwfMovie(ReadMovie(first), parsed), "");
    EXPECT_EQ(parsed.frameCount, 2);
    EXPECT_EQ(Hex(ReadMovie(first).substr(20)), Hex(HexBytes("43 02 FF 80 01 | 40 00 | 40 00 | 00 00")));

    // The first file holds everything so far; the second holds only what came after.
    movie.ShowFrame();
    ASSERT_EQ(movie.Open(second.c_str(), 200, 200, 12), 1);
    movie.Close();
    ASSERT_EQ(ParseSwfMovie(ReadMovie(second), parsed), "");
    EXPECT_EQ(parsed.frameCount, 1);
    EXPECT_EQ(parsed.tags.size(), 2u);
}

TEST(SWFMovieTest, TagsStreamToTheFileAndTheDestructorClosesIt)
{
    TempDir dir;
    const std::string jpegPath = WriteTempFile(dir, "big.jpg", std::string(300000, '\x5A'));
    const std::string path = dir.File("stream.swf");
    {
        CSWFMovie movie;
        ASSERT_EQ(movie.Open(path.c_str(), 200, 200, 12), 1);
        CSWFBitmap bitmap(1, jpegPath.c_str());
        movie.AddObject(&bitmap, 1, true);
        // The tag is on disk before Close (up to what the stream still buffers).
        EXPECT_GE(fs::file_size(fs::u8path(path)), 250000u);
        movie.ShowFrame();
    }
    // Closed without the header or End: the reserved zero header and the tags, nothing held open.
    const std::string bytes = ReadMovie(path);
    ASSERT_EQ(bytes.size(), 20u + 300014 + 2);
    EXPECT_EQ(bytes.substr(0, 20), std::string(20, '\0'));
    EXPECT_EQ(Hex(bytes.substr(bytes.size() - 2)), "40 00");
    EXPECT_TRUE(fs::remove(fs::u8path(path)));
}

TEST(SWFMovieTest, WriteFailuresAreReported)
{
    TempDir dir;
    const std::string good = dir.File("good.swf");
    CSWFMovie movie;
    ASSERT_EQ(movie.Open(good.c_str(), 200, 200, 12), 1);
    movie.ShowFrame();
    movie.Close();
    EXPECT_FALSE(movie.HasWriteError());

#ifdef __linux__
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full on this machine";
    CSWFMovie full;
    ASSERT_EQ(full.Open("/dev/full", 200, 200, 12), 1);
    full.SetBackgroundColor(SWFRGB{255, 255, 255});
    full.ShowFrame();
    full.Close();
    EXPECT_TRUE(full.HasWriteError());
#else
    GTEST_SKIP() << "a device that fails every write exists only on Linux (/dev/full)";
#endif
}
