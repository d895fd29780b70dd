// Parsing of brivelle-cli's command line and list files.
#include "cli/CliOptions.h"

#include "base/FileUtf8.h"
#include "base/Utf8.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

const char *const kCliUsage =
    "Usage: brivelle-cli [options] -o OUT.swf IMAGE [--url ADDRESS] [IMAGE [--url ADDRESS]]...\n"
    "\n"
    "Makes one Flash movie (SWF version 3) with one slide per image, in the order given.\n"
    "Images: BMP, JPEG, GIF, TIFF, PNG; an animated GIF gives one slide per frame.\n"
    "\n"
    "Options:\n"
    "  -o, --output FILE  the movie to write (replaced only once it is complete)\n"
    "  --url ADDRESS      web address opened by a click on the image given just before\n"
    "                     (every frame of an animated GIF takes it)\n"
    "  --list FILE        read slides from a UTF-8 file, one per line: a path, optionally\n"
    "                     followed by a tab and an address; relative paths are taken from\n"
    "                     the list file's folder\n"
    "  --width N          movie width in pixels, 8 to 65536 (default 256)\n"
    "  --height N         movie height in pixels, 8 to 65536 (default 192)\n"
    "  --fps N            frames per second, one frame per slide (default 1)\n"
    "  --delay N          whole seconds per slide, at one frame per second\n"
    "  --jobs N           threads that prepare pictures (default: one per core)\n"
    "  --quiet            print nothing but errors\n"
    "  --help             show this help\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 the movie was written; 2 bad usage or settings a movie cannot hold;\n"
    "3 an image could not be read (nothing written); 4 the movie could not be written;\n"
    "1 any other failure.\n";

namespace
{
bool ParseNumber(const std::string &text, long low, long high, const char *what, int &value, std::string &error)
{
    errno = 0;
    char *end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE)
    {
        error = std::string(what) + " must be a whole number, not '" + text + "'";
        return false;
    }
    if (n < low || n > high)
    {
        error = std::string(what) + " must be " + std::to_string(low) + " to " + std::to_string(high) + ", not " +
                text;
        return false;
    }
    value = static_cast<int>(n);
    return true;
}
} // namespace

bool ReadSlideList(const std::string &listPath, std::vector<CliInput> &inputs, std::string &error)
{
    FILE *file = OpenFileUtf8(listPath.c_str(), "rb");
    if (!file)
    {
        error = listPath + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError)
    {
        error = listPath + ": read error";
        return false;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);

    namespace fs = std::filesystem;
    const fs::path base = fs::u8path(listPath).parent_path();
    size_t start = 0;
    int lineNumber = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        CliInput input;
        size_t tab = line.find('\t');
        input.strPath = line.substr(0, tab);
        if (tab != std::string::npos)
            input.strUrl = WideFromUtf8(line.substr(tab + 1));
        if (input.strPath.empty())
        {
            error = listPath + ": line " + std::to_string(lineNumber) + " has an address but no image";
            return false;
        }
        fs::path path = fs::u8path(input.strPath);
        if (path.is_relative() && !base.empty())
        {
            auto u8 = (base / path).u8string();
            input.strPath.assign(u8.begin(), u8.end());
        }
        inputs.push_back(input);
    }
    return true;
}

bool ParseCliOptions(const std::vector<std::string> &args, CliOptions &options, std::string &error)
{
    bool fpsGiven = false, delayGiven = false;
    bool lastWasImage = false;
    bool endOfOptions = false;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string &arg = args[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= args.size())
            {
                error = "option " + arg + " needs a value";
                return false;
            }
            out = args[++i];
            return true;
        };
        std::string text;
        if (endOfOptions || arg.empty() || arg[0] != '-' || arg == "-")
        {
            options.inputs.push_back({arg, std::wstring()});
            lastWasImage = true;
            continue;
        }
        if (arg == "--")
        {
            endOfOptions = true;
            continue;
        }
        if (arg == "--url")
        {
            if (!value(text))
                return false;
            if (!lastWasImage)
            {
                error = "--url must follow the image it belongs to";
                return false;
            }
            options.inputs.back().strUrl = WideFromUtf8(text);
            lastWasImage = false;
            continue;
        }
        lastWasImage = false;
        if (arg == "-o" || arg == "--output")
        {
            if (!value(options.strOutput))
                return false;
        }
        else if (arg == "--list")
        {
            if (!value(text) || !ReadSlideList(text, options.inputs, error))
                return false;
        }
        else if (arg == "--width" || arg == "--height")
        {
            int &target = arg == "--width" ? options.settings.nWidth : options.settings.nHeight;
            if (!value(text) || !ParseNumber(text, 8, 65536, arg.c_str(), target, error))
                return false;
        }
        else if (arg == "--fps")
        {
            if (!value(text) || !ParseNumber(text, 1, 999999, "--fps", options.settings.nFps, error))
                return false;
            fpsGiven = true;
        }
        else if (arg == "--delay")
        {
            if (!value(text) || !ParseNumber(text, 1, 999999, "--delay", options.settings.nDelay, error))
                return false;
            delayGiven = true;
        }
        else if (arg == "--jobs")
        {
            if (!value(text) || !ParseNumber(text, 1, 64, "--jobs", options.nJobs, error))
                return false;
        }
        else if (arg == "--quiet" || arg == "-q")
            options.bQuiet = true;
        else if (arg == "--help" || arg == "-h")
            options.bHelp = true;
        else if (arg == "--version")
            options.bVersion = true;
        else
        {
            error = "unknown option " + arg;
            return false;
        }
    }
    if (options.bHelp || options.bVersion)
        return true;
    if (fpsGiven && delayGiven)
    {
        error = "--fps and --delay cannot be used together";
        return false;
    }
    options.settings.bFpsMode = !delayGiven;
    if (options.strOutput.empty())
    {
        error = "no output file given (-o OUT.swf)";
        return false;
    }
    if (options.inputs.empty())
    {
        error = "no images given";
        return false;
    }
    return true;
}
