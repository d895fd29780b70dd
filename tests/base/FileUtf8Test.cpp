// UTF-8 paths reach the file system intact on every platform.
#include "base/FileUtf8.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(FileUtf8Test, NamesOutsideAsciiOpenWriteRenameAndRemove)
{
    TempDir dir;
    // Greek, CJK and an emoji: an ANSI conversion would lose each of them.
    for (const char *name : {"plain.bin", "\xCE\xB1\xCE\xB2\xCE\xB3.bin", "\xE5\x9B\xBE\xE7\x89\x87.jpg",
                             "\xF0\x9F\x98\x80 smile.swf"})
    {
        SCOPED_TRACE(name);
        std::string path = dir.File(name);
        FILE *f = OpenFileUtf8(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite("abc", 1, 3, f), 3u);
        std::fclose(f);
        EXPECT_TRUE(PathExistsUtf8(path.c_str()));

        f = OpenFileUtf8(path.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(FileSize64(f), 3);
        std::fclose(f);

        std::string moved = path + ".moved";
        ASSERT_TRUE(RenameFileUtf8(path.c_str(), moved.c_str()));
        EXPECT_FALSE(PathExistsUtf8(path.c_str()));
        EXPECT_EQ(ReadWholeFile(std::filesystem::u8path(moved)), "abc");
        EXPECT_TRUE(RemoveFileUtf8(moved.c_str()));
        EXPECT_FALSE(PathExistsUtf8(moved.c_str()));
    }
}

TEST(FileUtf8Test, RenameReplacesAnExistingTargetAndMissingFilesFail)
{
    TempDir dir;
    std::string a = dir.File("a.tmp"), b = dir.File("b.swf");
    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(a), "new"));
    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(b), "old contents"));
    ASSERT_TRUE(RenameFileUtf8(a.c_str(), b.c_str()));
    EXPECT_EQ(ReadWholeFile(std::filesystem::u8path(b)), "new");

    std::string missing = dir.File("missing.jpg");
    EXPECT_EQ(OpenFileUtf8(missing.c_str(), "rb"), nullptr);
    EXPECT_FALSE(RemoveFileUtf8(missing.c_str()));
    EXPECT_FALSE(PathExistsUtf8(missing.c_str()));
}
