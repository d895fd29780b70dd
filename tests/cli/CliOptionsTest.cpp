// brivelle-cli's command line and list files.
#include "cli/CliOptions.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(CliOptionsTest, AddressesBindToTheImageBeforeThemAndDefaultsHold)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCliOptions({"a.bmp", "--url", "http://a", "b.png", "-o", "out.swf", "c.gif", "--url", "x"}, o,
                                error))
        << error;
    ASSERT_EQ(o.inputs.size(), 3u);
    EXPECT_EQ(o.inputs[0].strUrl, L"http://a");
    EXPECT_EQ(o.inputs[1].strUrl, L"");
    EXPECT_EQ(o.inputs[2].strUrl, L"x");
    EXPECT_EQ(o.strOutput, "out.swf");
    EXPECT_EQ(o.settings.nWidth, 256);
    EXPECT_EQ(o.settings.nHeight, 192);
    EXPECT_TRUE(o.settings.bFpsMode);
    EXPECT_EQ(o.settings.nFps, 1);

    CliOptions d;
    ASSERT_TRUE(ParseCliOptions({"--delay", "5", "--width", "640", "--height", "480", "-o", "o.swf", "--", "-odd.bmp"},
                                d, error))
        << error;
    EXPECT_FALSE(d.settings.bFpsMode);
    EXPECT_EQ(d.settings.nDelay, 5);
    EXPECT_EQ(d.settings.nWidth, 640);
    ASSERT_EQ(d.inputs.size(), 1u);
    EXPECT_EQ(d.inputs[0].strPath, "-odd.bmp");
}

TEST(CliOptionsTest, ValuesMayFollowAnEqualsSignAndHelpWinsOverEverything)
{
    CliOptions o;
    std::string error;
    ASSERT_TRUE(
        ParseCliOptions({"--output=o.swf", "--width=640", "--delay=3", "a.bmp", "--url=http://a?b=c"}, o, error))
        << error;
    EXPECT_EQ(o.strOutput, "o.swf");
    EXPECT_EQ(o.settings.nWidth, 640);
    EXPECT_EQ(o.settings.nDelay, 3);
    ASSERT_EQ(o.inputs.size(), 1u);
    EXPECT_EQ(o.inputs[0].strUrl, L"http://a?b=c");

    for (const std::vector<std::string> &args :
         std::vector<std::vector<std::string>>{{"--frobnicate", "--help"},
                                               {"--width", "1", "-h"},
                                               {"-o", "a", "-o", "b", "--help", "--list", "none.txt"}})
    {
        SCOPED_TRACE(args.front());
        CliOptions help;
        EXPECT_TRUE(ParseCliOptions(args, help, error)) << error;
        EXPECT_TRUE(help.bHelp);
    }
    CliOptions url;
    EXPECT_TRUE(ParseCliOptions({"a.bmp", "--url", "--help", "-o", "o.swf"}, url, error)) << error;
    EXPECT_FALSE(url.bHelp) << "the value of --url is an address, not an option";
}

TEST(CliOptionsTest, BadUsageIsRefusedWithAMessage)
{
    struct Case
    {
        std::vector<std::string> args;
        const char *mentions;
    } cases[] = {
        {{"a.bmp"}, "output"},
        {{"-o", "o.swf"}, "no images"},
        {{"--url", "http://a", "a.bmp", "-o", "o.swf"}, "--url"},
        {{"a.bmp", "--url", "x", "--url", "y", "-o", "o.swf"}, "--url"},
        {{"a.bmp", "-o", "o.swf", "--fps", "2", "--delay", "3"}, "together"},
        {{"a.bmp", "-o", "o.swf", "--width", "7"}, "8 to 65500"},
        {{"a.bmp", "-o", "o.swf", "--height=65501"}, "8 to 65500"},
        {{"a.bmp", "-o", "o.swf", "-o", "p.swf"}, "--output is given more than once"},
        {{"a.bmp", "-o", "o.swf", "--width", "9", "--width=10"}, "--width is given more than once"},
        {{"a.bmp", "-o", "o.swf", "--fps=2", "--fps", "3"}, "--fps is given more than once"},
        {{"a.bmp", "-o", "o.swf", "--quiet=yes"}, "--quiet takes no value"},
        {{"a.bmp", "--output="}, "output file name is empty"},
        {{"a.bmp", "-o", "o.swf", "--fps", "0"}, "1 to 999999"},
        {{"a.bmp", "-o", "o.swf", "--fps", "25fps"}, "whole number"},
        {{"a.bmp", "-o", "o.swf", "--delay", "99999999999999999999"}, "whole number"},
        {{"a.bmp", "-o"}, "needs a value"},
        {{"a.bmp", "-o", "o.swf", "--frobnicate"}, "unknown option"},
        {{"a.bmp", "-o", "o.swf", "--list", "does-not-exist.txt"}, "does-not-exist.txt"},
        {{"a.bmp", "--html", "-o", "show.HTML"}, "name the movie OUT.swf"},
        {{"a.bmp", "--html", "-o", "-"}, "name the movie OUT.swf"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.mentions);
        CliOptions o;
        std::string error;
        EXPECT_FALSE(ParseCliOptions(c.args, o, error));
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}

TEST(CliOptionsTest, ListFilesGiveSlidesInPlaceWithAddressesRelativeToTheList)
{
    TempDir dir;
    // A BOM, CRLF line ends, a blank line, a tab-separated address, an absolute path and UTF-8 text.
    std::string absolute = dir.File("abs.png");
    std::string list = "\xEF\xBB\xBF"
                       "one.bmp\r\n"
                       "\r\n"
                       "sub/two.jpg\thttp://example.com/two\r\n" +
                       absolute + "\thttp://caf\xC3\xA9.fr\n";
    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(dir.File("slides.txt")), list));

    CliOptions o;
    std::string error;
    ASSERT_TRUE(ParseCliOptions({"first.gif", "--list", dir.File("slides.txt"), "last.tif", "-o", "o.swf"}, o, error))
        << error;
    ASSERT_EQ(o.inputs.size(), 5u);
    EXPECT_EQ(o.inputs[0].strPath, "first.gif");
    EXPECT_EQ(std::filesystem::u8path(o.inputs[1].strPath), dir.Path() / "one.bmp");
    EXPECT_EQ(o.inputs[1].strUrl, L"");
    EXPECT_EQ(std::filesystem::u8path(o.inputs[2].strPath), dir.Path() / "sub/two.jpg");
    EXPECT_EQ(o.inputs[2].strUrl, L"http://example.com/two");
    EXPECT_EQ(o.inputs[3].strPath, absolute);
    EXPECT_EQ(o.inputs[3].strUrl, L"http://caf\u00e9.fr");
    EXPECT_EQ(o.inputs[4].strPath, "last.tif");

    EXPECT_EQ(o.inputs[2].strList, dir.File("slides.txt"));
    EXPECT_EQ(o.inputs[2].nLine, 3);

    const struct
    {
        const char *what;
        std::string text;
        const char *mentions;
    } bad[] = {
        {"address without an image", "a.bmp\n\thttp://no-image\n", "line 2: an address but no image"},
        {"UTF-16 with its byte-order mark",
         std::string("\xFF\xFE"
                     "a\0.\0b\0",
                     8),
         "UTF-16"},
        {"UTF-16 without one", std::string("a\0.\0b\0\n\0", 8), "line 1: a NUL byte"},
        {"a NUL byte further down", std::string("a.bmp\nb.bmp\nc\0.bmp\n", 19), "line 3: a NUL byte"},
    };
    for (const auto &c : bad)
    {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(dir.File("bad.txt")), c.text));
        CliOptions o2;
        EXPECT_FALSE(ParseCliOptions({"--list", dir.File("bad.txt"), "-o", "o.swf"}, o2, error));
        EXPECT_NE(error.find("bad.txt"), std::string::npos) << error;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << error;
    }
}
