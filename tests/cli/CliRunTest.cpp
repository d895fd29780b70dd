// brivelle-cli end to end in-process: exit statuses, messages, and an output that is complete or untouched.
#include "cli/Cli.h"
#include "cli/CliOptions.h"

#include "bench/pictures/SamplePictures.h"
#include "support/TempDir.h"
#include "swf/SwfTestReader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;

namespace
{
struct ToolRun
{
    int status;
    std::string out, err;
};

ToolRun RunTool(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    int status = RunCli(args, out, err, false);
    return {status, out.str(), err.str()};
}

class CliRunTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(WriteBmp(m_dir.File("red.bmp"), MakeCard(40, 30, 220, 30, 30)));
        ASSERT_TRUE(WriteBmp(m_dir.File("blue.bmp"), MakeCard(40, 30, 30, 60, 220)));
        ASSERT_TRUE(WriteAnimatedGif(m_dir.File("anim.gif")));
        WriteWholeFile(fs::u8path(m_dir.File("text.png")), "not a picture");
        WriteWholeFile(fs::u8path(Out()), "previous movie");
    }
    std::string P(const char *name) const
    {
        return m_dir.File(name);
    }
    std::string Out() const
    {
        return m_dir.File("out.swf");
    }
    std::string OutBytes() const
    {
        return ReadWholeFile(fs::u8path(Out()));
    }
    TempDir m_dir;
};
} // namespace

TEST_F(CliRunTest, WritesTheMovieAndSaysWhatItHolds)
{
    ToolRun run = RunTool({"-o", Out(), "--delay", "2", P("red.bmp"), "--url", "http://r", P("anim.gif"), "--url",
                       "http://g", P("blue.bmp")});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("5 slides, 10 frames at 1 fps, 256 x 192"), std::string::npos) << run.out;

    SwfMovie movie;
    ASSERT_EQ(ParseSwfMovie(OutBytes(), movie), "");
    EXPECT_EQ(movie.frameCount, 10);
    // Every frame of the GIF takes the GIF's address.
    std::vector<std::string> urls;
    for (const SwfTag &tag : movie.tags)
    {
        SwfButton button;
        if (tag.code == kSwfDefineButton2 && DecodeDefineButton2(tag, button) == "")
            urls.push_back(button.condActions.empty() ? "" : button.condActions[0].urls.at(0).url);
    }
    EXPECT_EQ(urls, (std::vector<std::string>{"http://r", "http://r", "http://g", "http://g", "http://g", "http://g",
                                              "http://g", "http://g", "", ""}));

    ToolRun quiet = RunTool({"--quiet", "-o", Out(), P("red.bmp")});
    EXPECT_EQ(quiet.status, kExitOk);
    EXPECT_EQ(quiet.out + quiet.err, "");
}

TEST_F(CliRunTest, FailuresHaveTheirStatusNameTheProblemAndLeaveTheOutputUntouched)
{
    struct Case
    {
        const char *what;
        std::vector<std::string> args;
        int status;
        const char *mentions;
    } cases[] = {
        {"missing image", {"-o", Out(), P("red.bmp"), P("nope.jpg")}, kExitUnreadable, "nope.jpg"},
        {"undecodable image", {"-o", Out(), P("red.bmp"), P("text.png")}, kExitUnreadable, "text.png"},
        {"a folder", {"-o", Out(), m_dir.File("")}, kExitUnreadable, "folder"},
        {"rate beyond a movie", {"-o", Out(), "--fps", "300", P("red.bmp")}, kExitUsage, "300"},
        {"too many frames", {"-o", Out(), "--delay", "40000", P("red.bmp"), P("blue.bmp")}, kExitUsage, "frames"},
        {"bad usage", {"-o", Out(), "--width"}, kExitUsage, "--width"},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(OutBytes(), "previous movie");
    }

    ToolRun unwritable = RunTool({"-o", m_dir.File("no-folder/out.swf"), P("red.bmp")});
    EXPECT_EQ(unwritable.status, kExitOutput);
    EXPECT_NE(unwritable.err.find("out.swf"), std::string::npos) << unwritable.err;

    ToolRun help = RunTool({"--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}
