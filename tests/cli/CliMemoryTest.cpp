// brivelle-cli short of memory (an address-space limit in a child process): pictures wait for room, and
// one that cannot be decoded at all is reported as such, with exit status 1.
#include "cli/Cli.h"
#include "cli/CliOptions.h"

#include "bench/pictures/SamplePictures.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <cstdio>
#include <iostream>

namespace
{
// Runs the tool with only `spareBytes` of address space beyond what the process maps now, then exits
// with its status. One malloc arena keeps the threads' arenas from using up the space on their own.
[[noreturn]] void RunWithSpareMemory(uint64_t spareBytes, const std::vector<std::string> &args)
{
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 1);
#endif
    unsigned long long pages = 0;
    if (FILE *statm = std::fopen("/proc/self/statm", "r"))
    {
        if (std::fscanf(statm, "%llu", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    struct rlimit limit = {};
    limit.rlim_cur = limit.rlim_max =
        static_cast<rlim_t>(pages * static_cast<unsigned long long>(sysconf(_SC_PAGESIZE)) + spareBytes);
    setrlimit(RLIMIT_AS, &limit);
    std::exit(RunCli(args, std::cout, std::cerr, false));
}
} // namespace

TEST(CliMemoryTest, PicturesWaitForMemoryAndOneThatNeverFitsIsSaidSo)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer does not run under an address-space limit";
#endif
    // Each child starts afresh, so what it maps is not memory it could reuse from earlier tests.
    const std::string style = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir dir;
    ASSERT_TRUE(WriteBandsPng(dir.File("big1.png"), 4000, 4000));
    std::vector<std::string> four = {"--jobs", "4", "-o", dir.File("out.swf")};
    for (int i = 1; i <= 4; ++i)
    {
        if (i > 1)
            std::filesystem::copy_file(dir.File("big1.png"), dir.File("big" + std::to_string(i) + ".png"));
        four.push_back(dir.File("big" + std::to_string(i) + ".png"));
    }
    // Each picture (48 MB of pixels) takes about 100 MB while it is decoded.
    const struct
    {
        const char *name;
        uint64_t spareBytes;
        std::vector<std::string> args;
        int status;
        const char *message;
    } cases[] = {
        {"four pictures on four threads, room for one at a time", uint64_t(300) << 20, four, kExitOk, ""},
        {"a picture there is never room for", uint64_t(60) << 20, {"-o", dir.File("one.swf"), dir.File("big1.png")},
         kExitFailure, "not enough memory to decode [^ ]*big1\\.png \\(4000×4000\\)"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EXIT(RunWithSpareMemory(c.spareBytes, c.args), ::testing::ExitedWithCode(c.status), c.message);
    }
    GTEST_FLAG_SET(death_test_style, style);
}
#endif
