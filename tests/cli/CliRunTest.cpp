// brivelle-cli end to end in-process: exit statuses, messages, and an output that is complete or untouched.
#include "cli/Cli.h"
#include "cli/CliOptions.h"

#include "bench/pictures/SamplePictures.h"
#include "support/TempDir.h"
#include "swf/SwfTestReader.h"

#include "base/FileUtf8.h"
#include "base/InterruptCleanup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

// Points the system's temporary folder (TMPDIR, on Windows TMP) somewhere else for one test.
void SetTempFolder(const std::string &folder)
{
#ifdef _WIN32
    _putenv_s("TMP", folder.c_str());
#else
    setenv("TMPDIR", folder.c_str(), 1);
#endif
}

class CliRunTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        fs::create_directory(m_dir.Path() / "tmp");
        m_strSavedTemp = SystemTempFolderUtf8();
        SetTempFolder(P("tmp"));
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
    // Names of what a run left in the temporary folder and beside the output.
    std::string Leftovers() const
    {
        std::string names;
        for (const auto &entry : fs::directory_iterator(m_dir.Path() / "tmp"))
            names += " tmp/" + entry.path().filename().u8string();
        for (const auto &entry : fs::directory_iterator(m_dir.Path()))
            if (entry.path().filename().u8string().find(".part") != std::string::npos)
                names += " " + entry.path().filename().u8string();
        return names;
    }
    void TearDown() override
    {
        SetTempFolder(m_strSavedTemp);
    }
    TempDir m_dir;
    std::string m_strSavedTemp;
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

TEST_F(CliRunTest, FailuresHaveTheirStatusNameTheProblemAndLeaveEveryFileUntouched)
{
    ASSERT_TRUE(WriteWholeFile(fs::u8path(P("slides.txt")), "blue.bmp\nred.bmp\n"));
    ASSERT_TRUE(WriteWholeFile(fs::u8path(P("bad.gif")), "GIF89a but nothing more"));
    const std::string red = ReadWholeFile(fs::u8path(P("red.bmp")));
    const std::string folderName = m_dir.Path().filename().u8string();
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
        {"a GIF that cannot be read", {"-o", Out(), P("bad.gif")}, kExitUnreadable, "bad.gif"},
        {"a missing image in a list",
         {"-o", Out(), "--list", P("slides.txt"), P("nope.jpg")},
         kExitUnreadable,
         "nope.jpg"},
        {"rate beyond a movie", {"-o", Out(), "--fps", "300", P("red.bmp")}, kExitUsage, "300"},
        {"too many frames", {"-o", Out(), "--delay", "40000", P("red.bmp"), P("blue.bmp")}, kExitUsage, "frames"},
        {"a side beyond libjpeg", {"-o", Out(), "--width", "65501", P("red.bmp")}, kExitUsage, "8 to 65500"},
        {"bad usage", {"-o", Out(), "--width"}, kExitUsage, "--width"},
        // The test program has no player files beside it.
        {"web player missing",
         {"--html", "-o", Out(), P("red.bmp")},
         kExitUsage,
         "the web player files (ruffle/) are not installed beside brivelle-cli"},
        {"output is the input", {"-o", P("red.bmp"), P("red.bmp")}, kExitUsage, "is also an input"},
        {"under other names",
         {"-o", P("./red.bmp"), m_dir.File("../" + folderName + "/red.bmp")},
         kExitUsage,
         "is also an input"},
        {"a list entry", {"-o", P("red.bmp"), "--list", P("slides.txt")}, kExitUsage, "slides.txt, line 2"},
        {"the list itself", {"-o", P("slides.txt"), "--list", P("slides.txt")}, kExitUsage, "is also an input"},
        {"a GIF to split", {"-o", P("anim.gif"), P("anim.gif")}, kExitUsage, "is also an input"},
#ifdef _WIN32
        {"another letter case", {"-o", P("RED.BMP"), P("red.bmp")}, kExitUsage, "is also an input"},
        {"a device name", {"-o", P("aux.swf"), P("red.bmp")}, kExitOutput, "device AUX"},
        {"the console", {"-o", "CON", P("red.bmp")}, kExitOutput, "device CON"},
#else
        {"a link to it", {"-o", P("link.bmp"), P("red.bmp")}, kExitUsage, "is also an input"},
#endif
        {"a folder as output", {"-o", P("tmp"), P("red.bmp")}, kExitOutput, "is a folder"},
        {"no folder for the output", {"-o", m_dir.File("no-folder/out.swf"), P("red.bmp")}, kExitOutput, "out.swf"},
    };
#ifndef _WIN32
    fs::create_symlink("red.bmp", m_dir.Path() / "link.bmp");
#endif
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.what);
        ToolRun run = RunTool(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        if (c.status == kExitUnreadable)
        {
            EXPECT_NE(run.err.find("image(s) could not be read; nothing written\n"), std::string::npos) << run.err;
        }
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(OutBytes(), "previous movie");
        EXPECT_TRUE(ReadWholeFile(fs::u8path(P("red.bmp"))) == red);
        EXPECT_EQ(Leftovers(), "");
    }

    ToolRun help = RunTool({"--frobnicate", "--help"});
    EXPECT_EQ(help.status, kExitOk);
    EXPECT_NE(help.out.find("Exit status"), std::string::npos);
}

TEST_F(CliRunTest, TheTemporaryFolderIsRemovedAndItsTroublesAreOutputErrors)
{
    // Missing: exit 4 with the path and the reason.
    SetTempFolder(P("no-such-temp"));
    ToolRun missing = RunTool({"-o", Out(), P("red.bmp")});
    EXPECT_EQ(missing.status, kExitOutput);
    EXPECT_NE(missing.err.find("no-such-temp"), std::string::npos) << missing.err;
    EXPECT_EQ(Leftovers(), "");
    SetTempFolder(P("tmp"));

    // An interruption noticed by the run itself (Windows console events) ends it with nothing left.
    SetInterruptStatus(130);
    ToolRun stopped = RunTool({"-o", Out(), P("red.bmp"), P("anim.gif")});
    SetInterruptStatus(0);
    EXPECT_EQ(stopped.status, 130);
    EXPECT_EQ(OutBytes(), "previous movie");
    EXPECT_EQ(Leftovers(), "");

    ASSERT_EQ(RunTool({"-o", Out(), P("red.bmp"), P("anim.gif")}).status, kExitOk);
    EXPECT_EQ(Leftovers(), "");
}

TEST_F(CliRunTest, StreamsGetTheFinishedMovieAndFilesKeepTheirPermissions)
{
    ASSERT_EQ(RunTool({"-q", "-o", Out(), P("red.bmp"), P("blue.bmp")}).status, kExitOk);
    const std::string movie = OutBytes();

    ToolRun toStdout = RunTool({"-o", "-", P("red.bmp"), P("blue.bmp")});
    EXPECT_EQ(toStdout.status, kExitOk) << toStdout.err;
    EXPECT_TRUE(toStdout.out == movie) << "standard output does not carry the movie";
    EXPECT_NE(toStdout.err.find("-: 2 slides"), std::string::npos) << toStdout.err;

#ifdef _WIN32
    ToolRun nul = RunTool({"-o", "NUL", P("red.bmp")});
    EXPECT_EQ(nul.status, kExitOk) << nul.err;
#else
    const std::string fifo = P("movie.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::string streamed;
    std::thread reader([&] { streamed = ReadWholeFile(fs::u8path(fifo)); });
    ToolRun toFifo = RunTool({"-q", "-o", fifo, P("red.bmp"), P("blue.bmp")});
    reader.join();
    EXPECT_EQ(toFifo.status, kExitOk) << toFifo.err;
    EXPECT_TRUE(streamed == movie);
    EXPECT_TRUE(fs::is_fifo(fs::u8path(fifo))) << "the FIFO was replaced";

    fs::permissions(fs::u8path(Out()), fs::perms::owner_read | fs::perms::owner_write);
    ASSERT_EQ(RunTool({"-q", "-o", Out(), P("red.bmp")}).status, kExitOk);
    EXPECT_EQ(fs::status(fs::u8path(Out())).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
#endif
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(fs::u8path(Out()), readOnly);
    const std::string before = OutBytes();
    ToolRun refused = RunTool({"-q", "-o", Out(), P("blue.bmp")});
    EXPECT_EQ(refused.status, kExitOutput);
    EXPECT_NE(refused.err.find("read-only"), std::string::npos) << refused.err;
    EXPECT_TRUE(OutBytes() == before);
    EXPECT_EQ(Leftovers(), "");
    fs::permissions(fs::u8path(Out()), readOnly | fs::perms::owner_write);
}
