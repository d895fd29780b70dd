// The player's reader: bit fields, refused files and their reasons, skipped parts, JPEG data forms.
#include "preview/PreviewTestSupport.h"

#include "bench/pictures/SamplePictures.h"
#include "imaging/JpegCodec.h"
#include "preview/SwfBitReader.h"
#include "preview/SwfJpegData.h"
#include "preview/SwfPlayback.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

std::vector<uint8_t> Bytes(std::initializer_list<int> values)
{
    std::vector<uint8_t> out;
    for (int v : values)
        out.push_back(static_cast<uint8_t>(v));
    return out;
}

bool Contains(const std::vector<std::string> &lines, const std::string &part)
{
    for (const std::string &line : lines)
        if (line.find(part) != std::string::npos)
            return true;
    return false;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string all;
    for (const std::string &line : lines)
        all += line + "\n";
    return all;
}

// A small movie with a solid red square (DefineShape3), a button over it with an address, and a frame.
std::string SquareMovie()
{
    CTestShape shape(3, 1, 0, 0, 400, 400);
    const int red = shape.Solid(220, 0, 0);
    shape.Style(red, 0, 0);
    shape.Rectangle(0, 0, 400, 400);
    return TestBackground(255, 255, 255) + shape.Tag() + TestPlace(1, 1) +
           TestButton2(2, {{0x08, 1, 1}}, "http://example.com/") + TestPlace(2, 2) + TestShowFrame();
}

std::string ReadError(const std::string &file)
{
    CSwfPlayback playback;
    std::string error;
    if (playback.LoadMemory(ToBytes(file), error))
        return std::string();
    return error.empty() ? "(refused without a reason)" : error;
}

// Splits a plain JPEG file into a tables block (quantisation and Huffman tables) and an image block,
// each between its own start and end markers, as DefineBits with JPEGTables stores them.
void SplitJpeg(const std::string &file, std::string &tables, std::string &image)
{
    tables = std::string("\xFF\xD8", 2);
    image = std::string("\xFF\xD8", 2);
    size_t pos = 2;
    while (pos + 4 <= file.size())
    {
        const uint8_t marker = static_cast<uint8_t>(file[pos + 1]);
        const size_t length = (static_cast<uint8_t>(file[pos + 2]) << 8) | static_cast<uint8_t>(file[pos + 3]);
        if (marker == 0xDA)
        {
            image += file.substr(pos); // the scan and the end marker
            break;
        }
        (marker == 0xDB || marker == 0xC4 ? tables : image) += file.substr(pos, 2 + length);
        pos += 2 + length;
    }
    tables += std::string("\xFF\xD9", 2);
}

std::string EncodedJpeg(const Raster &picture)
{
    std::vector<uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(EncodeJpeg(picture, 90, bytes, error)) << error;
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

// Catches sign extension, fields that cross byte boundaries and byte reads that do not realign.
TEST(PreviewReaderTest, BitFieldsReadMostSignificantFirstAndBytesRealign)
{
    const std::vector<uint8_t> data = Bytes({0xB5, 0x3C, 0x80, 0x01, 0xFF, 0x7F, 0x81});
    struct Step
    {
        char kind; // u: unsigned bits, s: signed bits, b: byte, w: u16
        unsigned bits;
        int64_t expected;
    } steps[] = {{'u', 1, 1}, {'u', 3, 3},  {'s', 4, 5},  {'s', 6, 15},    {'u', 5, 4},
                 {'b', 0, 1}, {'s', 3, -1}, {'s', 5, -1}, {'w', 0, 0x817F}};
    CSwfBitReader r(data.data(), data.size(), 100);
    for (const Step &step : steps)
    {
        SCOPED_TRACE(std::string(1, step.kind) + std::to_string(step.bits));
        int64_t value = 0;
        switch (step.kind)
        {
        case 'u':
            value = r.UBits(step.bits);
            break;
        case 's':
            value = r.SBits(step.bits);
            break;
        case 'b':
            value = r.U8();
            break;
        default:
            value = r.U16();
        }
        EXPECT_EQ(value, step.expected);
    }
    EXPECT_FALSE(r.Overrun());
    EXPECT_EQ(r.U16(), 0); // one byte left: too short
    EXPECT_TRUE(r.Overrun());
    EXPECT_EQ(r.OverrunOffset(), 107u);
}

// Catches crashes, hangs and files accepted half read: every prefix of a small movie, and of one made
// by the build engine, is refused with a reason.
TEST(PreviewReaderTest, EveryPrefixOfAMovieIsRefusedWithAReason)
{
    CPreviewFixture fixture;
    const std::string built = ReadWholeFile(std::filesystem::u8path(
        fixture.Build({fixture.Slide("a.bmp", MakePhoto(40, 30, 3), L"http://example.com/")}, 32, 24)));
    for (const std::string &file : {TestMovie(20, 20, SquareMovie()), built})
    {
        ASSERT_TRUE(ReadError(file).empty()) << ReadError(file);
        for (size_t length = 0; length < file.size(); ++length)
        {
            const std::string error = ReadError(file.substr(0, length));
            if (error.empty())
                ADD_FAILURE() << "a prefix of " << length << " of " << file.size() << " bytes was accepted";
        }
    }
}

// Catches lengths and counts that are believed: each lie is refused with a reason that names it.
TEST(PreviewReaderTest, LengthsThatLieAreRefusedWithAReasonNamingThem)
{
    const std::string good = TestMovie(20, 20, SquareMovie());
    auto withLength = [](std::string file, uint32_t length) {
        for (int i = 0; i < 4; ++i)
            file[4 + i] = static_cast<char>(length >> (8 * i));
        return file;
    };
    // The shape tag follows the background tag.
    const size_t shapeTag = good.find(std::string("\x43\x02\xFF\xFF\xFF", 5)) + 5;
    std::string longTag = good;
    longTag[shapeTag + 3] = static_cast<char>(0x10); // its length grows by 4096
    CTestShape bigCount(3, 1, 0, 0, 400, 400);
    bigCount.Solid(1, 2, 3);
    std::string lyingStyles = bigCount.Body();
    const size_t rectBytes = (5 + 4 * TestSignedBits({0, 400}) + 7) / 8;
    lyingStyles[2 + rectBytes] = static_cast<char>(200); // 200 fill styles in a tag holding one
    std::string badOffset = TestButton2(2, {{0x08, 1, 1}}, "x");
    badOffset[6 + 3] = static_cast<char>(0x70); // ActionOffset far past the tag
    std::string compressedWrong = TestCompress(good);
    compressedWrong = withLength(compressedWrong, static_cast<uint32_t>(good.size() + 1));
    struct Case
    {
        const char *name;
        std::string file;
        const char *reason;
    } cases[] = {
        {"FileLength one too many", withLength(good, static_cast<uint32_t>(good.size() + 1)), "FileLength says"},
        {"FileLength one too few", withLength(good, static_cast<uint32_t>(good.size() - 1)), "FileLength says"},
        {"tag length past the end", longTag, "truncated at byte"},
        {"style count past the tag", TestMovie(20, 20, TestTag(32, lyingStyles, true)), "in DefineShape3"},
        {"ActionOffset outside", TestMovie(20, 20, badOffset), "ActionOffset"},
        {"not a SWF file", "GIF89a" + good.substr(6), "not a SWF file"},
        {"compressed, FileLength wrong", compressedWrong, "FileLength"},
        {"empty stage", TestMovie(0, 10, TestShowFrame()), "stage is empty"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string error = ReadError(c.file);
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

// Catches a movie refused (or drawn wrongly) because of parts the player does not use: unknown tags,
// characters of other kinds and undefined ids are skipped with a reason and the frame still plays.
TEST(PreviewReaderTest, UnknownTagsAndUndefinedIdsAreSkippedWithAReason)
{
    const std::string sprite = TestTag(39, std::string("\x09\x00\x01\x00\x00\x00", 6));
    const std::string extras = TestTag(77, "whatever") + sprite + TestPlace(5, 9) + TestPlace(6, 50);
    CTestShape fillsMissing(3, 3, 0, 0, 400, 400);
    const int fill = fillsMissing.BitmapFill(44, 0x41, TestMatrix(20, 20));
    fillsMissing.Style(fill, 0, 0);
    fillsMissing.Rectangle(0, 0, 200, 200);
    CSwfPlayback plain, extended;
    std::string error;
    ASSERT_TRUE(plain.LoadMemory(ToBytes(TestMovie(20, 20, SquareMovie())), error)) << error;
    ASSERT_TRUE(extended.LoadMemory(
        ToBytes(TestMovie(20, 20, extras + fillsMissing.Tag() + SquareMovie() + TestPlace(7, 3))), error))
        << error;
    const std::vector<std::string> &warnings = extended.Warnings();
    EXPECT_TRUE(Contains(warnings, "tag 77")) << Joined(warnings);
    EXPECT_TRUE(Contains(warnings, "DefineSprite")) << Joined(warnings);
    EXPECT_TRUE(Contains(warnings, "character 9, a kind the player does not draw")) << Joined(warnings);
    EXPECT_TRUE(Contains(warnings, "character 50, which is not defined")) << Joined(warnings);
    EXPECT_TRUE(Contains(warnings, "bitmap 44")) << Joined(warnings);
    EXPECT_TRUE(plain.Warnings().empty()) << Joined(plain.Warnings());
    Raster a, b;
    ASSERT_TRUE(plain.Render(a, 20, 20));
    ASSERT_TRUE(extended.Render(b, 20, 20));
    EXPECT_EQ(a.pixels, b.pixels);
    std::string url, target;
    EXPECT_TRUE(extended.HitTest(5, 5, 20, 20, url, target));
}

// Catches a compressed movie read differently from the same movie uncompressed, and damage inside the
// compressed data taken for content.
TEST(PreviewReaderTest, ACompressedMovieReadsLikeTheUncompressedOne)
{
    const std::string plain = TestMovie(20, 20, SquareMovie());
    std::string compressed = TestCompress(plain);
    CSwfPlayback a, b;
    std::string error;
    ASSERT_TRUE(a.LoadMemory(ToBytes(plain), error)) << error;
    ASSERT_TRUE(b.LoadMemory(ToBytes(compressed), error)) << error;
    Raster ra, rb;
    ASSERT_TRUE(a.Render(ra, 30, 30));
    ASSERT_TRUE(b.Render(rb, 30, 30));
    EXPECT_EQ(ra.pixels, rb.pixels);
    compressed[compressed.size() / 2] = static_cast<char>(compressed[compressed.size() / 2] ^ 0x55);
    EXPECT_FALSE(ReadError(compressed).empty());
    EXPECT_FALSE(ReadError(compressed.substr(0, compressed.size() - 6)).empty());
}

// Catches JPEG data handed to the decoder as stored: the FF D9 FF D8 the writer puts first, a tables
// block before the image block, and JPEGTables shared by DefineBits all give the picture; a segment
// that runs past the data is refused.
TEST(PreviewReaderTest, JpegDataInAllItsStoredFormsGivesThePicture)
{
    const Raster picture = MakePhoto(24, 16, 5);
    const std::string jpeg = EncodedJpeg(picture);
    std::string tables, image;
    SplitJpeg(jpeg, tables, image);
    Raster reference;
    std::string error;
    ASSERT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t *>(jpeg.data()), jpeg.size(), 0, 0, reference, error));
    const std::string eoiSoi("\xFF\xD9\xFF\xD8", 4), eoi("\xFF\xD9", 2);
    struct Case
    {
        const char *name;
        std::string tables;
        std::string data;
    } cases[] = {
        {"plain file", "", jpeg},
        {"writer's form", "", eoiSoi + jpeg + eoi},
        {"tables block, then image block", "", tables + image},
        {"JPEGTables and DefineBits", tables, image},
        {"trailing bytes after the picture", "", jpeg + std::string("\0\0\0junk", 7)},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> stream;
        SwfJpegInfo info;
        ASSERT_TRUE(RebuildJpegStream(reinterpret_cast<const uint8_t *>(c.tables.data()), c.tables.size(),
                                      reinterpret_cast<const uint8_t *>(c.data.data()), c.data.size(), &stream, info,
                                      error))
            << error;
        EXPECT_EQ(info.width, 24);
        EXPECT_EQ(info.height, 16);
        Raster decoded;
        ASSERT_TRUE(DecodeJpeg(stream.data(), stream.size(), 0, 0, decoded, error)) << error;
        EXPECT_EQ(decoded.pixels, reference.pixels);
    }
    std::string cut = jpeg;
    cut[4] = static_cast<char>(0x7F); // the first segment's length now runs past the data
    SwfJpegInfo info;
    EXPECT_FALSE(
        RebuildJpegStream(nullptr, 0, reinterpret_cast<const uint8_t *>(cut.data()), cut.size(), nullptr, info, error));
    EXPECT_NE(error.find("remain"), std::string::npos) << error;

    // In a movie: DefineBits with JPEGTables draws what DefineBitsJPEG2 draws.
    auto movieWith = [&](const std::string &bitmapTags) {
        CTestShape shape(3, 2, 0, 0, 480, 320);
        const int fill = shape.BitmapFill(1, 0x41, TestMatrix(20, 20));
        shape.Style(fill, 0, 0);
        shape.Rectangle(0, 0, 480, 320);
        return TestMovie(24, 16, bitmapTags + shape.Tag() + TestPlace(1, 2) + TestShowFrame());
    };
    CSwfPlayback two, one;
    ASSERT_TRUE(two.LoadMemory(ToBytes(movieWith(TestJpeg2(1, eoiSoi + jpeg + eoi))), error)) << error;
    ASSERT_TRUE(one.LoadMemory(
        ToBytes(movieWith(TestTag(8, tables, true) + TestTag(6, std::string("\x01\x00", 2) + image, true))), error))
        << error;
    Raster a, b;
    ASSERT_TRUE(two.Render(a, 24, 16));
    ASSERT_TRUE(one.Render(b, 24, 16));
    EXPECT_EQ(a.pixels, reference.pixels);
    EXPECT_EQ(b.pixels, reference.pixels);
    EXPECT_TRUE(two.Warnings().empty()) << Joined(two.Warnings());
}

// Catches a redefinition that replaces the first definition, and noise for the identical button the
// build writes again in every frame of a slide in delay mode.
TEST(PreviewReaderTest, RedefinitionsKeepTheFirstAndOnlyDifferentOnesAreNoted)
{
    CTestShape red(3, 1, 0, 0, 400, 400), blue(3, 1, 0, 0, 400, 400);
    red.Style(red.Solid(255, 0, 0), 0, 0);
    red.Rectangle(0, 0, 400, 400);
    blue.Style(blue.Solid(0, 0, 255), 0, 0);
    blue.Rectangle(0, 0, 400, 400);
    CSwfPlayback same, other;
    std::string error;
    ASSERT_TRUE(
        same.LoadMemory(ToBytes(TestMovie(20, 20, red.Tag() + red.Tag() + TestPlace(1, 1) + TestShowFrame())), error));
    ASSERT_TRUE(other.LoadMemory(ToBytes(TestMovie(20, 20, red.Tag() + blue.Tag() + TestPlace(1, 1) + TestShowFrame())),
                                 error));
    EXPECT_TRUE(same.Warnings().empty()) << Joined(same.Warnings());
    EXPECT_TRUE(Contains(other.Warnings(), "defines character 1 again")) << Joined(other.Warnings());
    Raster frame;
    ASSERT_TRUE(other.Render(frame, 20, 20));
    EXPECT_EQ(PixelRgb(frame, 10, 10), Rgb24(255, 0, 0));
}
