// The web page: names escaped wherever they appear, and publishing beside the movie with the player files.
#include "build/WebPage.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
// The page with each given text replaced by its marker, so that pages for different names compare equal
// when the names appear in the same places and nowhere else.
std::string Masked(std::string page, const std::vector<std::pair<std::string, std::string>> &marks)
{
    for (const auto &[text, marker] : marks)
    {
        for (size_t at = page.find(text); at != std::string::npos; at = page.find(text, at + marker.size()))
            page.replace(at, text.size(), marker);
    }
    return page;
}
} // namespace

TEST(WebPageTest, EveryNameIsEscapedWhereverItAppears)
{
    // The reference page, from a name that needs no escaping: its link, title and text.
    const std::string plain = Masked(MakeWebPage("plain.swf", 320, 240), {{"plain.swf", "NAME"}, {"plain", "TITLE"}});
    ASSERT_NE(plain.find("<title>TITLE</title>"), std::string::npos) << plain;
    ASSERT_NE(plain.find("width: 320px; height: 240px"), std::string::npos) << plain;

    struct Case
    {
        std::string name;
        std::string href, text, title;
    } cases[] = {
        {"<b>\"&'.swf", "%3Cb%3E%22%26%27.swf", "&lt;b&gt;&quot;&amp;&#39;.swf", "&lt;b&gt;&quot;&amp;&#39;"},
        {"a b#?%.swf", "a%20b%23%3F%25.swf", "a b#?%.swf", "a b#?%"},
        {"\xC3\xA9t\xC3\xA9.swf", "%C3%A9t%C3%A9.swf", "\xC3\xA9t\xC3\xA9.swf", "\xC3\xA9t\xC3\xA9"},
        {"<script>.swf", "%3Cscript%3E.swf", "&lt;script&gt;.swf", "&lt;script&gt;"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::string page = MakeWebPage(c.name, 320, 240);
        EXPECT_EQ(Masked(page, {{c.text, "NAME"}, {c.href, "NAME"}, {c.title, "TITLE"}}), plain);
    }
}

TEST(WebPageTest, PublishingCopiesThePlayerOnceAndWritesThePageBesideTheMovie)
{
    TempDir dir;
    const fs::path player = dir.Path() / "installed" / kWebPlayerFolder;
    const fs::path site = dir.Path() / "site";
    fs::create_directories(player);
    fs::create_directories(site / kWebPlayerFolder);
    ASSERT_TRUE(WriteWholeFile(player / "ruffle.js", "loader"));
    ASSERT_TRUE(WriteWholeFile(player / "core.wasm", "module"));
    ASSERT_TRUE(WriteWholeFile(player / "LICENSE_MIT", "licence"));
    // Already there: one file as installed, one out of date.
    ASSERT_TRUE(WriteWholeFile(site / kWebPlayerFolder / "ruffle.js", "loader"));
    ASSERT_TRUE(WriteWholeFile(site / kWebPlayerFolder / "core.wasm", "old module"));
    const auto old = fs::last_write_time(site / kWebPlayerFolder / "ruffle.js") - std::chrono::hours(24);
    fs::last_write_time(site / kWebPlayerFolder / "ruffle.js", old);
    ASSERT_TRUE(WriteWholeFile(site / "show.swf", "movie"));

    std::string error;
    ASSERT_TRUE(PublishWebPage(dir.File("installed/ruffle"), dir.File("site/show.swf"), dir.File("site/show.html"), 400,
                               300, error))
        << error;
    EXPECT_EQ(ReadWholeFile(site / kWebPlayerFolder / "core.wasm"), "module");
    EXPECT_EQ(ReadWholeFile(site / kWebPlayerFolder / "LICENSE_MIT"), "licence");
    EXPECT_EQ(fs::last_write_time(site / kWebPlayerFolder / "ruffle.js"), old) << "an identical file was rewritten";
    EXPECT_EQ(ReadWholeFile(site / "show.html"), MakeWebPage("show.swf", 400, 300));
    EXPECT_EQ(ReadWholeFile(site / "show.swf"), "movie");
    size_t files = 0;
    for ([[maybe_unused]] const auto &entry : fs::directory_iterator(site))
        ++files;
    EXPECT_EQ(files, 3u) << "a temporary file was left behind";
}

TEST(WebPageTest, PublishingThatCannotCompleteWritesNoPage)
{
    TempDir dir;
    const fs::path player = dir.Path() / kWebPlayerFolder;
    fs::create_directories(player);
    ASSERT_TRUE(WriteWholeFile(player / "ruffle.js", "loader"));
    ASSERT_TRUE(WriteWholeFile(player / "core.wasm", "module"));
    fs::create_directories(dir.Path() / "blocked");
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "blocked" / kWebPlayerFolder, "a file where the folder goes"));
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "blocked" / "show.html", "previous page"));

    struct Case
    {
        const char *what;
        std::string playerFolder, movie, page;
        const char *mentions;
    } cases[] = {
        {"player not installed", dir.File("nowhere"), dir.File("show.swf"), dir.File("show.html"), "nowhere"},
        {"player without its modules", dir.File("blocked"), dir.File("show.swf"), dir.File("show.html"), "missing"},
        {"a file in the player's place", dir.File("ruffle"), dir.File("blocked/show.swf"),
         dir.File("blocked/show.html"), "ruffle"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        std::string error;
        EXPECT_FALSE(PublishWebPage(c.playerFolder, c.movie, c.page, 256, 192, error));
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
    EXPECT_FALSE(fs::exists(dir.Path() / "show.html"));
    EXPECT_EQ(ReadWholeFile(dir.Path() / "blocked" / "show.html"), "previous page");
    EXPECT_FALSE(HasWebPlayerFiles(""));
}
