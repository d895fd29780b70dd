// All-or-nothing writes, private folders and file identity.
#include "base/FileIdentity.h"
#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/PrivateFolder.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(FileReplacementTest, TheTargetIsTheNewFileOrUntouchedAndNoOtherFileIsEverReused)
{
    TempDir dir;
    const std::string target = dir.File("movie.swf");
    // Someone else's file under the first sibling name: it must survive.
    ASSERT_TRUE(WriteWholeFile(fs::u8path(target + ".part0"), "not ours"));
    std::string error;
    ASSERT_TRUE(WriteFileReplacingUtf8(target.c_str(), "new", 3, error)) << error;
    EXPECT_EQ(ReadWholeFile(fs::u8path(target)), "new");
    EXPECT_EQ(ReadWholeFile(fs::u8path(target + ".part0")), "not ours");

    {
        CFileReplacement abandoned;
        ASSERT_TRUE(abandoned.Open(target, error)) << error;
        std::fputs("half", abandoned.File());
    }
    EXPECT_EQ(ReadWholeFile(fs::u8path(target)), "new");

#ifndef _WIN32
    fs::permissions(fs::u8path(target), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_TRUE(WriteFileReplacingUtf8(target.c_str(), "600", 3, error)) << error;
    EXPECT_EQ(fs::status(fs::u8path(target)).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    fs::permissions(fs::u8path(target), fs::perms::owner_read);
    EXPECT_FALSE(WriteFileReplacingUtf8(target.c_str(), "x", 1, error));
    EXPECT_EQ(error, "the file is read-only");
    fs::permissions(fs::u8path(target), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(WriteFileReplacingUtf8(dir.File("no-folder/m.swf").c_str(), "x", 1, error));

    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(dir.Path()))
        names.push_back(entry.path().filename().u8string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"movie.swf", "movie.swf.part0"}));
}

TEST(PrivateFolderTest, APrivateFolderIsNewOwnedAndRemovedWithItsContents)
{
    TempDir dir;
    std::string path, error;
    {
        CPrivateFolder folder;
        ASSERT_TRUE(folder.Create(dir.File(""), "run-", error)) << error;
        path = folder.Path();
        EXPECT_EQ(path.rfind(dir.File("run-"), 0), 0u) << path;
        ASSERT_TRUE(WriteWholeFile(fs::u8path(path + "movie.swf"), "x"));
#ifndef _WIN32
        EXPECT_EQ(fs::status(fs::u8path(path)).permissions() & fs::perms::all, fs::perms::owner_all);
#endif
        CPrivateFolder second;
        ASSERT_TRUE(second.Create(dir.File(""), "run-", error)) << error;
        EXPECT_NE(second.Path(), path);
    }
    EXPECT_TRUE(fs::is_empty(dir.Path()));
    CPrivateFolder missing;
    EXPECT_FALSE(missing.Create(dir.File("no-such-folder"), "run-", error));
    EXPECT_FALSE(error.empty());
}

TEST(FileIdentityTest, IdentityFindsOneFileUnderEveryNameAndNoOther)
{
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(fs::u8path(dir.File("a.jpg")), "a"));
    ASSERT_TRUE(WriteWholeFile(fs::u8path(dir.File("b.jpg")), "a"));
    const std::string folder = dir.Path().filename().u8string();
    FileIdentity a;
    ASSERT_TRUE(GetFileIdentity(dir.File("a.jpg").c_str(), a));
    const struct
    {
        std::string path;
        bool same;
    } cases[] = {
        {dir.File("./a.jpg"), true},
        {dir.File("../" + folder + "/a.jpg"), true},
#ifdef _WIN32
        {dir.File("A.JPG"), true},
#endif
        {dir.File("b.jpg"), false},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.path);
        FileIdentity other;
        ASSERT_TRUE(GetFileIdentity(c.path.c_str(), other));
        EXPECT_EQ(other == a, c.same);
    }
    FileIdentity none;
    EXPECT_FALSE(GetFileIdentity(dir.File("missing.jpg").c_str(), none));
}
