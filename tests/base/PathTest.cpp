// Paths split into folder and name and joined again.
#include "base/Path.h"

#include <gtest/gtest.h>

TEST(PathTest, FolderKeepsItsSeparatorAndJoinAddsOneOnlyWhenMissing)
{
    const struct
    {
        const char *path, *folder, *name;
    } cases[] = {
        {"/tmp/a.jpg", "/tmp/", "a.jpg"},
        {"a.jpg", "", "a.jpg"},
        {"/", "/", ""},
        {"dir/sub/", "dir/sub/", ""},
#ifdef _WIN32
        {"C:\\Pictures\\b.png", "C:\\Pictures\\", "b.png"},
        {"C:\\mixed/x\\c.gif", "C:\\mixed/x\\", "c.gif"},
#else
        {"odd\\name.jpg", "", "odd\\name.jpg"},
#endif
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(FolderOf(std::string(c.path)), c.folder);
        EXPECT_EQ(FileNameOf(std::string(c.path)), c.name);
        EXPECT_EQ(JoinPath(FolderOf(std::string(c.path)), FileNameOf(std::string(c.path))), c.path);
        const std::wstring wide(c.path, c.path + std::char_traits<char>::length(c.path));
        EXPECT_EQ(FolderOf(wide) + FileNameOf(wide), wide);
    }
#ifdef _WIN32
    EXPECT_EQ(JoinPath(std::string("C:\\temp"), "m.swf"), "C:\\temp\\m.swf");
#else
    EXPECT_EQ(JoinPath(std::string("/tmp"), "m.swf"), "/tmp/m.swf");
#endif
    EXPECT_EQ(JoinPath(std::wstring(L"x/"), L"m.swf"), L"x/m.swf");
    EXPECT_EQ(JoinPath(std::string(), "m.swf"), "m.swf");
}

TEST(PathTest, LowerExtensionIsWhatFollowsTheNamesLastDot)
{
    const struct
    {
        const wchar_t *path, *extension;
    } cases[] = {
        {L"/p/A.JPG", L"jpg"}, {L"anim.tar.Gif", L"gif"}, {L"/p.d/noext", L""}, {L"trailing.", L""}, {L".gif", L"gif"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LowerExtensionOf(c.path), c.extension);
}
