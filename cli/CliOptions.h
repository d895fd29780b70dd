// Command-line options of brivelle-cli.
#pragma once

#include "build/MovieBuilder.h"

#include <string>
#include <vector>

// Exit statuses, as the help text documents them. An interruption ends the run with 128 + the signal's
// number (130 for SIGINT or Ctrl+C).
enum CliStatus
{
    kExitOk = 0,
    kExitFailure = 1,     // anything else that went wrong
    kExitUsage = 2,       // bad command line, unreadable list file, settings a movie cannot hold, or an
                          // output that is also an input
    kExitUnreadable = 3,  // an image could not be read; no movie written
    kExitOutput = 4,      // the movie could not be written (output or temporary folder)
};

struct CliInput
{
    std::string strPath;  // UTF-8, as given (list entries resolved against the list's folder)
    std::wstring strUrl;  // address; empty: no link
    std::string strList;  // the list file the slide comes from; empty: the command line
    int nLine = 0;        // its line in the list
};

struct CliOptions
{
    std::string strOutput; // "-": standard output
    std::vector<CliInput> inputs;
    std::vector<std::string> lists; // the list files read
    BuildSettings settings;
    int nJobs = 0;
    bool bHtml = false;  // also the web page and the player files beside the movie
    bool bQuiet = false;
    bool bHelp = false;
    bool bVersion = false;
};

// Parses the arguments after the program name. False with a message for bad usage. --help anywhere
// before "--" wins over everything else: nothing more is parsed.
bool ParseCliOptions(const std::vector<std::string> &args, CliOptions &options, std::string &error);

// Reads slides from a list file: UTF-8 (with or without a byte-order mark), one per line, a path
// optionally followed by a tab and an address; blank lines are skipped. Relative paths are taken from the
// list file's folder. False with a message naming the list (and the line) when it cannot be read, is
// UTF-16, holds a NUL byte or has an address without a path.
bool ReadSlideList(const std::string &listPath, std::vector<CliInput> &inputs, std::string &error);

extern const char *const kCliUsage;
