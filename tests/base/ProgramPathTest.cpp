// The running program's path.
#include "base/ProgramPath.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(ProgramPathTest, NamesTheRunningExecutable)
{
#ifdef _WIN32
    const char kName[] = "brivelle_tests.exe";
#else
    const char kName[] = "brivelle_tests";
#endif
    const std::filesystem::path path = std::filesystem::u8path(ProgramPathUtf8());
    EXPECT_EQ(path.filename(), kName);
    EXPECT_TRUE(path.is_absolute());
    EXPECT_TRUE(std::filesystem::is_regular_file(path)) << path;
}
