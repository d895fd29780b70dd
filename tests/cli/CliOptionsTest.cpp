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
        {{"a.bmp", "-o", "o.swf", "--width", "7"}, "8 to 65536"},
        {{"a.bmp", "-o", "o.swf", "--height", "65537"}, "8 to 65536"},
        {{"a.bmp", "-o", "o.swf", "--fps", "0"}, "1 to 999999"},
        {{"a.bmp", "-o", "o.swf", "--fps", "25fps"}, "whole number"},
        {{"a.bmp", "-o", "o.swf", "--delay", "99999999999999999999"}, "whole number"},
        {{"a.bmp", "-o"}, "needs a value"},
        {{"a.bmp", "-o", "o.swf", "--frobnicate"}, "unknown option"},
        {{"a.bmp", "-o", "o.swf", "--list", "does-not-exist.txt"}, "does-not-exist.txt"},
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

    ASSERT_TRUE(WriteWholeFile(std::filesystem::u8path(dir.File("bad.txt")), "\thttp://no-image\n"));
    CliOptions bad;
    EXPECT_FALSE(ParseCliOptions({"--list", dir.File("bad.txt"), "-o", "o.swf"}, bad, error));
    EXPECT_NE(error.find("line 1"), std::string::npos) << error;
}
