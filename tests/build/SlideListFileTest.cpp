// Slide list files: what the writer stores, read back by the reader, and written back byte for byte.
#include "build/SlideList.h"

#include "base/Path.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
#ifdef _WIN32
const std::string kEnd = "\r\n";
const std::string kSep = "\\";
const std::string kRoot = "C:\\";
#else
const std::string kEnd = "\n";
const std::string kSep = "/";
const std::string kRoot = "/";
#endif
} // namespace

TEST(SlideListFileTest, WrittenListsReadBackAndWriteBackTheSameBytes)
{
    TempDir dir;
    const std::string list = dir.File("holiday.txt");
    const std::string folder = FolderOf(list);
    const std::string outside = kRoot + "elsewhere" + kSep + "b.png";
    const std::vector<SlideListEntry> entries = {
        {folder + "a.jpg", L"http://example.com/a", 0},
        {folder + "sub" + kSep + "c d.gif", L"", 0},
        {outside, L"https://例子.测试/路径", 0},
    };
    std::string text;
    SlideListProblem problem;
    ASSERT_TRUE(FormatSlideList(list, entries, text, problem));
    // Inside the list's folder relative, elsewhere as given; no tab without an address.
    EXPECT_EQ("a.jpg\thttp://example.com/a" + kEnd + "sub" + kSep + "c d.gif" + kEnd + outside +
                  "\thttps://\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95/\xE8\xB7\xAF\xE5\xBE\x84" + kEnd,
              text);
    ASSERT_TRUE(WriteSlideListFile(list, entries, problem));

    std::vector<SlideListEntry> read;
    ASSERT_TRUE(ReadSlideListFile(list, read, problem));
    ASSERT_EQ(entries.size(), read.size());
    for (size_t i = 0; i < read.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].strPath, read[i].strPath);
        EXPECT_EQ(entries[i].strUrl, read[i].strUrl);
        EXPECT_EQ(static_cast<int>(i) + 1, read[i].nLine);
    }
    ASSERT_TRUE(WriteSlideListFile(list, read, problem));
    EXPECT_EQ(text, ReadWholeFile(std::filesystem::u8path(list)));

    // A hand-written list: byte-order mark, CRLF, a blank line, relative and absolute paths.
    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(list),
                               "\xEF\xBB\xBF"
                               "a.jpg\thttp://example.com/a\r\n\r\nsub" +
                                   kSep + "c d.gif\r\n" + outside +
                                   "\thttps://\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95/" +
                                   "\xE8\xB7\xAF\xE5\xBE\x84\r\n"));
    read.clear();
    ASSERT_TRUE(ReadSlideListFile(list, read, problem));
    ASSERT_EQ(3u, read.size());
    EXPECT_EQ(3, read[1].nLine);
    std::string again;
    ASSERT_TRUE(FormatSlideList(list, read, again, problem));
    EXPECT_EQ(text, again);
}

TEST(SlideListFileTest, EntriesThatAreNotOneLineAreRefusedAndTheOldFileStays)
{
    TempDir dir;
    const std::string list = dir.File("l.txt");
    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(list), "old" + kEnd));
    const struct
    {
        SlideListEntry entry;
    } kCases[] = {{{"a\tb.jpg", L"", 0}}, {{"a.jpg", L"http://x/\ny", 0}}, {{"a\r.jpg", L"", 0}}, {{"", L"u", 0}}};
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.entry.strPath);
        SlideListProblem problem;
        EXPECT_FALSE(WriteSlideListFile(list, {{"fine.jpg", L"", 0}, c.entry}, problem));
        EXPECT_EQ(SlideListProblem::kUnwritable, problem.kind);
        EXPECT_EQ(2, problem.nLine);
        EXPECT_EQ("old" + kEnd, ReadWholeFile(std::filesystem::u8path(list)));
    }
}
