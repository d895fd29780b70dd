// The bitmap definition: DefineBitsJPEG2 around the file's bytes, and the cases that leave it empty.
#include "swf/SWFBitmap.h"
#include "SwfTestReader.h"
#include "SwfTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

TEST(SWFBitmapTest, WrapsTheFileBytesBetweenJpegMarkers)
{
    TempDir dir;
    std::string thousand(1000, '\0');
    for (size_t i = 0; i < thousand.size(); ++i)
        thousand[i] = static_cast<char>(i * 7 + 3);
    struct Row
    {
        const char *name;
        const char *fileName;
        std::string contents;
        uint16_t id;
        const char *lead; // the first 12 bytes
    };
    const Row rows[] = {
        {"empty file", "empty.jpg", "", 9, "7F 05 | 08 00 00 00 | 09 00 | FF D9 FF D8"},
        {"1000-byte file", "k.jpg", thousand, 1, "7F 05 | F0 03 00 00 | 01 00 | FF D9 FF D8"},
        {"id 4 little-endian", "four.jpg", "\xFF\xD8\xFF\xD9", 4, "7F 05 | 0C 00 00 00 | 04 00 | FF D9 FF D8"},
        {"id 0xABCD", "id.jpg", "x", 0xABCD, "7F 05 | 09 00 00 00 | CD AB | FF D9 FF D8"},
        {"UTF-8 file name", "\xD0\xBA\xD0\xB0\xD1\x80\xD1\x82\xD0\xB8\xD0\xBD\xD0\xBA\xD0\xB0.jpg", "\xFF\xD8", 2,
         "7F 05 | 0A 00 00 00 | 02 00 | FF D9 FF D8"},
    };
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.name);
        const std::string path = WriteTempFile(dir, row.fileName, row.contents);
        CSWFBitmap bitmap(row.id, path.c_str());
        // The file may go once the object exists.
        ASSERT_TRUE(fs::remove(fs::u8path(path)));
        const std::string tag = BytesOf(bitmap);
        ASSERT_EQ(tag.size(), row.contents.size() + 14);
        EXPECT_EQ(Hex(tag.substr(0, 12)), Hex(HexBytes(row.lead)));
        EXPECT_TRUE(tag.substr(12, row.contents.size()) == row.contents);
        EXPECT_EQ(Hex(tag.substr(tag.size() - 2)), "FF D9");
        EXPECT_EQ(bitmap.GetKind(), CSWFObject::kBitmap);
        CSWFBitmap fromBytes(row.id, reinterpret_cast<const uint8_t *>(row.contents.data()), row.contents.size());
        EXPECT_TRUE(BytesOf(fromBytes) == tag) << "the same JPEG given as bytes makes another tag";
    }
}

TEST(SWFBitmapTest, UnreadableFilesGiveAnEmptyDefinition)
{
    TempDir dir;
    {
        SCOPED_TRACE("missing file");
        const std::string missing = dir.File("missing.jpg");
        CSWFBitmap bitmap(1, missing.c_str());
        EXPECT_EQ(bitmap.GetLength(), 0);
    }
    {
        SCOPED_TRACE("null path");
        CSWFBitmap bitmap(1, nullptr);
        EXPECT_EQ(bitmap.GetLength(), 0);
    }
    {
        SCOPED_TRACE("a folder");
        const std::string folder = dir.File("folder.jpg");
        fs::create_directory(fs::u8path(folder));
        CSWFBitmap bitmap(1, folder.c_str());
        EXPECT_EQ(bitmap.GetLength(), 0);
    }
}

TEST(SWFBitmapTest, AFileThatReadsShortIsNotPaddedWithZeros)
{
    // Kernel attribute files report a 4096-byte size but deliver only their short text.
    const char *path = "/sys/devices/system/cpu/online";
    FILE *file = std::fopen(path, "rb");
    if (!file)
        GTEST_SKIP() << "no file here whose reported size exceeds its contents (" << path << ")";
    char buffer[8192];
    const size_t readable = std::fread(buffer, 1, sizeof buffer, file);
    std::fseek(file, 0, SEEK_END);
    const long reported = std::ftell(file);
    std::fclose(file);
    if (reported <= static_cast<long>(readable))
        GTEST_SKIP() << path << " reads as long as its size says";

    CSWFBitmap bitmap(1, path);
    EXPECT_EQ(bitmap.GetLength(), 0);
}
