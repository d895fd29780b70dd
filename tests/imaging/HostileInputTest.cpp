// Damaged and hostile files of every format: a clear error naming the file, never a crash or a huge allocation.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "ImagingFixtures.h"
#include "imaging/Picture.h"
#include "support/TempDir.h"

namespace
{
namespace fs = std::filesystem;

std::string Write(const TempDir &dir, const std::string &name, const std::string &bytes)
{
    std::string path = dir.File(name);
    EXPECT_TRUE(WriteWholeFile(fs::u8path(path), bytes));
    return path;
}

// Loads and expects a refusal whose message starts with the path; returns the message.
std::string ExpectRefused(const std::string &path, int type)
{
    CPicture picture;
    bool loaded = picture.Load(path.c_str(), type);
    EXPECT_FALSE(loaded) << path << " loaded as " << picture.GetWidth() << " x " << picture.GetHeight();
    EXPECT_FALSE(picture.IsValid());
    EXPECT_EQ(0u, picture.GetLastError().find(path + ": ")) << picture.GetLastError();
    EXPECT_GT(picture.GetLastError().size(), path.size() + 8) << "the message says what is wrong";
    return picture.GetLastError();
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}
} // namespace

TEST(HostileInputTest, EmptyFilesAreRefused)
{
    TempDir dir;
    for (const char *name : {"a.bmp", "a.gif", "a.jpg", "a.png", "a.tif", "a.xyz"})
    {
        SCOPED_TRACE(name);
        std::string path = Write(dir, name, "");
        EXPECT_EQ(path + ": the file is empty",
                  ExpectRefused(path, CPicture::GetTypeIdFromName(fs::path(name).extension().string().c_str())));
    }
}

TEST(HostileInputTest, EveryTruncationIsRefused)
{
    TempDir dir;
    for (const SeedFile &seed : SeedFiles())
    {
        SCOPED_TRACE(seed.name);
        std::string path = dir.File(seed.name);
        size_t step = std::max<size_t>(1, seed.bytes.size() / 200);
        for (size_t cut = 1; cut < seed.bytes.size(); cut += step)
        {
            ASSERT_TRUE(WriteFresh(path, seed.bytes.substr(0, cut)));
            CPicture picture;
            bool loaded = picture.Load(path.c_str(), seed.type);
            // The JPEG decoder lets data that ends within the last two rows of blocks pass, and a
            // progressive file cut after a complete scan (a coarser but whole picture); a cut in the
            // first half of a baseline file never passes.
            bool progressive = std::string(seed.name) == "progressive.jpg";
            bool mayLoad = seed.type == 3 && (progressive || cut > seed.bytes.size() / 2);
            if (loaded && mayLoad)
                continue;
            ASSERT_FALSE(loaded) << "cut at " << cut << " of " << seed.bytes.size() << " bytes still loads";
            ASSERT_EQ(0u, picture.GetLastError().find(path + ": ")) << picture.GetLastError();
        }
    }
}

TEST(HostileInputTest, HeadersClaimingHugeSizesAreRefusedBeforeDecoding)
{
    TempDir dir;
    for (const SeedFile &seed : SeedFiles())
    {
        if (seed.type == 6 && std::string(seed.name) != "lzw.tif")
            continue;
        SCOPED_TRACE(seed.name);
        std::string path = Write(dir, seed.name, WithDeclaredSize(seed.bytes, seed.type, 60000, 60000));
        auto start = std::chrono::steady_clock::now();
        std::string message = ExpectRefused(path, seed.type);
        EXPECT_NE(std::string::npos, message.find("60000 x 60000")) << message;
        EXPECT_TRUE(message.find("too large") != std::string::npos || message.find("more memory") != std::string::npos)
            << message;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    }
}

TEST(HostileInputTest, SmallFilesClaimingLargeSizesAreRefused)
{
    // 9000 x 9000 is within the pixel budget, but a file of a few hundred bytes cannot hold it: the
    // decoder must not allocate hundreds of megabytes on the header's word.
    TempDir dir;
    for (const SeedFile &seed : SeedFiles())
    {
        if (seed.type == 3 || std::string(seed.name) == "palette.bmp" || std::string(seed.name) == "alpha.bmp")
            continue; // uncompressed BMP fails on its exact size; JPEG is its codec's concern
        SCOPED_TRACE(seed.name);
        std::string path = Write(dir, seed.name, WithDeclaredSize(seed.bytes, seed.type, 9000, 9000));
        std::string message = ExpectRefused(path, seed.type);
        EXPECT_NE(std::string::npos, message.find("too small for a 9000 x 9000 picture")) << message;
    }
}

TEST(HostileInputTest, CorruptFilesAreRefusedWithTheReason)
{
    TempDir dir;
    std::vector<SeedFile> seeds = SeedFiles();
    auto seed = [&](const std::string &name) {
        for (const SeedFile &s : seeds)
            if (name == s.name)
                return s.bytes;
        return std::string();
    };
    auto patched = [](std::string bytes, size_t at, const std::string &with) {
        return bytes.replace(at, with.size(), with);
    };
    std::string png = seed("colour.png");
    std::string badCrc = png;
    badCrc[40] = static_cast<char>(badCrc[40] ^ 0x10); // inside IDAT, CRC not fixed
    std::string badZlib = badCrc;
    FixPngCrcs(badZlib);
    std::string gif = seed("anim.gif");
    std::string badLzw = gif;
    size_t firstData = gif.find('\x2C') + 10 + 1; // after the first descriptor and the LZW code size
    for (size_t i = firstData; i < firstData + 8; ++i)
        badLzw[i] = '\xFF';
    const struct
    {
        const char *name;
        std::string bytes;
        int type;
        const char *reason;
    } cases[] = {
        {"crc.png", badCrc, 4, "crc"},
        {"zlib.png", badZlib, 4, "png"},
        {"no-ihdr.png", patched(png, 12, "IHDX"), 4, "png"},
        {"planes.bmp", patched(seed("palette.bmp"), 26, HexBytes("05 00")), 1, "bmp"},
        {"bits.bmp", patched(seed("palette.bmp"), 28, HexBytes("07 00")), 1, "unsupported"},
        {"offset.bmp", patched(seed("palette.bmp"), 10, HexBytes("FF FF FF 7F")), 1, "bmp"},
        {"palette.bmp", patched(seed("palette.bmp"), 10, HexBytes("36 00 00 00")), 1, "palette"},
        {"lzw.gif", badLzw, 2, "gif"},
        {"record.gif", patched(gif, gif.size() - 1, "\x99"), 2, "gif"},
        {"tiff-ifd.tif", patched(seed("lzw.tif"), 4, HexBytes("FF FF FF 0F")), 6, "tiff"},
        {"garbage.tif", "II*\0" + std::string(200, '\x41'), 6, "tiff"},
        {"text.jpg", "This is not a picture at all.", 3, "not a picture in a known format"},
        {"bm-text.bmp", "BM but then words", 1, "bmp"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        std::string path = Write(dir, c.name, c.bytes);
        std::string message = ExpectRefused(path, c.type);
        EXPECT_NE(std::string::npos, Lower(message).find(c.reason)) << message;
    }
}

TEST(HostileInputTest, ExtensionsNeverOverrideTheContent)
{
    // Every seed under every other format's extension: it loads as what it is, or fails cleanly.
    TempDir dir;
    for (const SeedFile &seed : SeedFiles())
        for (const char *extension : {"bmp", "gif", "jpg", "png", "tif"})
        {
            std::string path = Write(dir, std::string("x.") + extension, seed.bytes);
            CPicture expected;
            ASSERT_TRUE(expected.Load(dir.File(std::string("x.") + extension).c_str(), 0)) << seed.name;
            CPicture picture;
            ASSERT_TRUE(picture.Load(path.c_str(), CPicture::GetTypeIdFromName(extension)))
                << seed.name << " as ." << extension << ": " << picture.GetLastError();
            EXPECT_EQ(seed.type, picture.GetType()) << seed.name;
            EXPECT_EQ(expected.GetRaster().pixels, picture.GetRaster().pixels) << seed.name;
        }
}
