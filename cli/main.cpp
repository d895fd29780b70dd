// Entry point of brivelle-cli: UTF-8 arguments and console, interruption clean-up, then RunCli.
#include "base/InterruptCleanup.h"
#include "cli/Cli.h"

#include <iostream>

#ifdef _WIN32
#include "base/Utf8.h"
#include <fcntl.h>
#include <io.h>
#include <windows.h>

int wmain(int argc, wchar_t **argv)
{
    InstallInterruptCleanup();
    SetConsoleOutputCP(CP_UTF8);
    // "-o -" writes the movie's bytes to standard output unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(Utf8FromWide(argv[i]));
    return RunCli(args, std::cout, std::cerr, _isatty(_fileno(stderr)) != 0);
}
#else
#include <unistd.h>

int main(int argc, char **argv)
{
    InstallInterruptCleanup();
    std::vector<std::string> args(argv + 1, argv + argc);
    return RunCli(args, std::cout, std::cerr, isatty(STDERR_FILENO) != 0);
}
#endif
