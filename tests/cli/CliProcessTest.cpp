// brivelle-cli as a real process: a real signal ends it with nothing left behind, and a full temporary
// folder is an output error.
#ifndef _WIN32
#include "cli/CliOptions.h"

#include "bench/pictures/SamplePictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// Starts brivelle-cli with TMPDIR set and its output in files; a file size limit makes writes fail.
pid_t StartCli(const std::vector<std::string> &args, const TempDir &dir, rlim_t fileSizeLimit = 0)
{
    std::vector<std::string> argv = {BRIVELLE_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char *> pointers;
    for (std::string &arg : argv)
        pointers.push_back(&arg[0]);
    pointers.push_back(nullptr);
    const std::string temp = dir.File("tmp"), log = dir.File("stderr.txt");
    const pid_t pid = fork();
    if (pid == 0)
    {
        setenv("TMPDIR", temp.c_str(), 1);
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(fd, STDERR_FILENO);
        dup2(fd, STDOUT_FILENO);
        if (fileSizeLimit)
        {
            const rlimit limit = {fileSizeLimit, fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
            std::signal(SIGXFSZ, SIG_IGN);
        }
        execv(pointers[0], pointers.data());
        _exit(127);
    }
    return pid;
}

// The exit status as a shell gives it (128 + n for a signal).
int WaitForExit(pid_t pid)
{
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> Names(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Waits (at most 20 s) until the run has made its temporary folder, and `alsoThere` when given.
bool WaitUntilStarted(const TempDir &dir, const std::string &alsoThere)
{
    for (int i = 0; i < 2000; ++i)
    {
        if (!Names(dir.Path() / "tmp").empty() && (alsoThere.empty() || fs::exists(fs::u8path(alsoThere))))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}
} // namespace

TEST(CliProcessTest, ASignalRemovesTheTemporaryFolderAndThePartialOutput)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "tmp");
    ASSERT_TRUE(WriteJpeg(dir.File("photo.jpg"), MakePhoto(640, 480, 3), 90));
    std::string list;
    for (int i = 0; i < 3000; ++i)
        list += "photo.jpg\n";
    ASSERT_TRUE(WriteWholeFile(fs::u8path(dir.File("slides.txt")), list));
    ASSERT_TRUE(WriteWholeFile(fs::u8path(dir.File("out.swf")), "previous movie"));
    ASSERT_EQ(mkfifo(dir.File("movie.fifo").c_str(), 0600), 0);
    const std::vector<std::string> before = Names(dir.Path());

    const struct
    {
        int signal, status;
        const char *output;
    } cases[] = {
        {SIGINT, 130, "out.swf"},
        {SIGTERM, 143, "out.swf"},
        {SIGHUP, 129, "out.swf"},
        // Nobody reads the FIFO: the finished movie waits in the temporary folder.
        {SIGINT, 130, "movie.fifo"},
        {SIGTERM, 143, "movie.fifo"},
        {SIGHUP, 129, "movie.fifo"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(std::string(c.output) + " " + strsignal(c.signal));
        const bool fifo = std::string(c.output) == "movie.fifo";
        const std::vector<std::string> args = {
            "-o",           dir.File(c.output), "--width=640",
            "--height=480", "--jobs=1",         fifo ? dir.File("photo.jpg") : "--list=" + dir.File("slides.txt")};
        const pid_t pid = StartCli(args, dir);
        ASSERT_GT(pid, 0);
        const bool started = WaitUntilStarted(dir, fifo ? "" : dir.File("out.swf.part0"));
        if (fifo)
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        std::vector<std::string> temp = Names(dir.Path() / "tmp");
        const fs::perms access =
            temp.empty() ? fs::perms::none : fs::status(dir.Path() / "tmp" / temp[0]).permissions();
        kill(pid, c.signal);
        const int status = WaitForExit(pid);
        ASSERT_TRUE(started) << ReadWholeFile(dir.File("stderr.txt"));
        EXPECT_EQ(access & fs::perms::all, fs::perms::owner_all) << "the run's folder is open to others";
        EXPECT_EQ(status, c.status) << ReadWholeFile(dir.File("stderr.txt"));
        EXPECT_TRUE(Names(dir.Path() / "tmp").empty());
        fs::remove(dir.Path() / "stderr.txt");
        EXPECT_EQ(Names(dir.Path()), before);
        EXPECT_EQ(ReadWholeFile(fs::u8path(dir.File("out.swf"))), "previous movie");
    }
}

TEST(CliProcessTest, AFullTemporaryFolderIsAnOutputErrorWithItsPathAndReason)
{
    TempDir dir;
    fs::create_directory(dir.Path() / "tmp");
    ASSERT_TRUE(WriteJpeg(dir.File("photo.jpg"), MakePhoto(640, 480, 3), 90));
    const pid_t pid = StartCli({"-o", dir.File("out.swf"), "--width=640", "--height=480", dir.File("photo.jpg"),
                                dir.File("photo.jpg"), dir.File("photo.jpg")},
                               dir, 20000);
    ASSERT_GT(pid, 0);
    EXPECT_EQ(WaitForExit(pid), kExitOutput);
    const std::string message = ReadWholeFile(dir.File("stderr.txt"));
    EXPECT_NE(message.find("temporary folder " + dir.File("tmp")), std::string::npos) << message;
    EXPECT_NE(message.find(std::strerror(EFBIG)), std::string::npos) << message;
    EXPECT_TRUE(Names(dir.Path() / "tmp").empty());
    EXPECT_FALSE(fs::exists(dir.Path() / "out.swf"));
}
#endif
