// Command-line options of brivelle-cli.
#pragma once

#include "build/MovieBuilder.h"

#include <string>
#include <vector>

// Exit statuses, as the help text documents them.
enum CliStatus
{
    kExitOk = 0,
    kExitFailure = 1,     // anything else that went wrong
    kExitUsage = 2,       // bad command line, unreadable list file, or settings a movie cannot hold
    kExitUnreadable = 3,  // an image could not be read; no movie written
    kExitOutput = 4,      // the movie could not be written to the output path
};

struct CliInput
{
    std::string strPath;  // UTF-8, as given (list entries resolved against the list's folder)
    std::wstring strUrl;  // address; empty: no link
};

struct CliOptions
{
    std::string strOutput;
    std::vector<CliInput> inputs;
    BuildSettings settings;
    int nJobs = 0;
    bool bQuiet = false;
    bool bHelp = false;
    bool bVersion = false;
};

// Parses the arguments after the program name. False with a message for bad usage.
bool ParseCliOptions(const std::vector<std::string> &args, CliOptions &options, std::string &error);

// Reads slides from a list file: one per line, a path optionally followed by a tab and an address.
// Relative paths are taken from the list file's folder. False with a message when it cannot be read.
bool ReadSlideList(const std::string &listPath, std::vector<CliInput> &inputs, std::string &error);

extern const char *const kCliUsage;
