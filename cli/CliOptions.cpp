// Parsing of brivelle-cli's command line and list files.
#include "cli/CliOptions.h"

#include "base/FileUtf8.h"
#include "base/Utf8.h"
#include "build/SlideList.h"
#include "build/WebPage.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

const char *const kCliUsage =
    "Usage: brivelle-cli [options] -o OUT.swf IMAGE [--url ADDRESS] [IMAGE [--url ADDRESS]]...\n"
    "\n"
    "Makes one Flash movie (SWF version 3) with one slide per image, in the order given.\n"
    "Images: BMP, JPEG, GIF, TIFF, PNG; an animated GIF gives one slide per frame.\n"
    "\n"
    "Options (--option=value works as well as --option value):\n"
    "  -o, --output FILE  the movie to write: a file is replaced only once the movie is\n"
    "                     complete and keeps its permissions; a FIFO or a device gets the\n"
    "                     finished movie as a stream; - writes it to standard output\n"
    "  --url ADDRESS      web address opened by a click on the image given just before\n"
    "                     (every frame of an animated GIF takes it)\n"
    "  --list FILE        read slides from a UTF-8 file, one per line: a path, optionally\n"
    "                     followed by a tab and an address; relative paths are taken from\n"
    "                     the list file's folder\n"
    "  --width N          movie width in pixels, 8 to 65500 (default 256)\n"
    "  --height N         movie height in pixels, 8 to 65500 (default 192)\n"
    "  --fps N            frames per second, one frame per slide (default 1)\n"
    "  --delay N          whole seconds per slide, at one frame per second\n"
    "  --html             also write OUT.html, a web page that plays the movie in today's\n"
    "                     browsers, and ruffle/, the player files it needs, beside the movie;\n"
    "                     upload them to a web server (browsers do not play the page from a file)\n"
    "  --jobs N           threads that prepare pictures (default: one per core)\n"
    "  --quiet            print nothing but errors\n"
    "  --help             show this help\n"
    "  --version          show the version\n"
    "\n"
    "Exit status: 0 the movie was written; 2 bad usage, settings a movie cannot hold, or an\n"
    "output that is also an input; 3 an image could not be read (nothing written); 4 the\n"
    "movie could not be written (output or temporary folder); 1 not enough memory to decode\n"
    "an image, or any other failure; 130, 143 or 129 interrupted (SIGINT, SIGTERM, SIGHUP):\n"
    "nothing is left behind.\n";

namespace
{
enum class OptionId
{
    kOutput,
    kUrl,
    kList,
    kWidth,
    kHeight,
    kFps,
    kDelay,
    kJobs,
    kHtml,
    kQuiet,
    kHelp,
    kVersion,
};

struct OptionSpec
{
    const char *name;
    const char *shortName; // or null
    OptionId id;
    bool bValue; // takes a value
    bool bOnce;  // may be given only once
};

const OptionSpec kOptions[] = {
    {"--output", "-o", OptionId::kOutput, true, true},        {"--url", nullptr, OptionId::kUrl, true, false},
    {"--list", nullptr, OptionId::kList, true, false},        {"--width", nullptr, OptionId::kWidth, true, true},
    {"--height", nullptr, OptionId::kHeight, true, true},     {"--fps", nullptr, OptionId::kFps, true, true},
    {"--delay", nullptr, OptionId::kDelay, true, true},       {"--jobs", nullptr, OptionId::kJobs, true, true},
    {"--quiet", "-q", OptionId::kQuiet, false, false},        {"--help", "-h", OptionId::kHelp, false, false},
    {"--version", nullptr, OptionId::kVersion, false, false}, {"--html", nullptr, OptionId::kHtml, false, false},
};

bool IsOption(const std::string &arg)
{
    return arg.size() > 1 && arg[0] == '-';
}

// The option an argument names ("--width=9" names --width); null when none does.
const OptionSpec *FindOption(const std::string &arg, std::string &inlineValue, bool &hasInlineValue)
{
    std::string name = arg;
    hasInlineValue = false;
    const size_t equals = arg.find('=');
    if (arg.compare(0, 2, "--") == 0 && equals != std::string::npos)
    {
        name = arg.substr(0, equals);
        inlineValue = arg.substr(equals + 1);
        hasInlineValue = true;
    }
    for (const OptionSpec &spec : kOptions)
        if (name == spec.name || (spec.shortName && name == spec.shortName))
            return &spec;
    return nullptr;
}

// True when --help (or -h) stands as an option, not as another option's value, before "--".
bool AsksForHelp(const std::vector<std::string> &args)
{
    for (size_t i = 0; i < args.size() && args[i] != "--"; ++i)
    {
        std::string value;
        bool inlineValue = false;
        const OptionSpec *spec = IsOption(args[i]) ? FindOption(args[i], value, inlineValue) : nullptr;
        if (spec && spec->id == OptionId::kHelp)
            return true;
        if (spec && spec->bValue && !inlineValue)
            ++i;
    }
    return false;
}

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
    std::vector<SlideListEntry> entries;
    SlideListProblem problem;
    if (!ReadSlideListFile(listPath, entries, problem))
    {
        error = SlideListProblemText(listPath, problem);
        return false;
    }
    for (const SlideListEntry &entry : entries)
        inputs.push_back(CliInput{entry.strPath, entry.strUrl, listPath, entry.nLine});
    return true;
}

bool ParseCliOptions(const std::vector<std::string> &args, CliOptions &options, std::string &error)
{
    if (AsksForHelp(args))
    {
        options.bHelp = true;
        return true;
    }
    bool fpsGiven = false, delayGiven = false;
    bool lastWasImage = false;
    bool endOfOptions = false;
    std::vector<OptionId> given;
    for (size_t i = 0; i < args.size(); ++i)
    {
        const std::string &arg = args[i];
        if (endOfOptions || !IsOption(arg))
        {
            options.inputs.push_back({arg, std::wstring(), std::string(), 0});
            lastWasImage = true;
            continue;
        }
        if (arg == "--")
        {
            endOfOptions = true;
            continue;
        }
        std::string text;
        bool inlineValue = false;
        const OptionSpec *spec = FindOption(arg, text, inlineValue);
        if (!spec)
        {
            error = "unknown option " + arg;
            return false;
        }
        const std::string name = inlineValue ? arg.substr(0, arg.find('=')) : arg;
        if (!spec->bValue && inlineValue)
        {
            error = "option " + name + " takes no value";
            return false;
        }
        if (spec->bValue && !inlineValue)
        {
            if (i + 1 >= args.size())
            {
                error = "option " + name + " needs a value";
                return false;
            }
            text = args[++i];
        }
        if (spec->bOnce)
        {
            for (OptionId seen : given)
                if (seen == spec->id)
                {
                    error = std::string(spec->name) + " is given more than once";
                    return false;
                }
            given.push_back(spec->id);
        }
        if (spec->id == OptionId::kUrl)
        {
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
        bool ok = true;
        switch (spec->id)
        {
        case OptionId::kOutput:
            options.strOutput = text;
            if (text.empty())
            {
                error = "the output file name is empty";
                ok = false;
            }
            break;
        case OptionId::kList:
            options.lists.push_back(text);
            ok = ReadSlideList(text, options.inputs, error);
            break;
        case OptionId::kWidth:
            ok = ParseNumber(text, kMinMovieSize, kMaxMovieSize, "--width", options.settings.nWidth, error);
            break;
        case OptionId::kHeight:
            ok = ParseNumber(text, kMinMovieSize, kMaxMovieSize, "--height", options.settings.nHeight, error);
            break;
        case OptionId::kFps:
            ok = ParseNumber(text, 1, 999999, "--fps", options.settings.nFps, error);
            fpsGiven = true;
            break;
        case OptionId::kDelay:
            ok = ParseNumber(text, 1, 999999, "--delay", options.settings.nDelay, error);
            delayGiven = true;
            break;
        case OptionId::kJobs:
            ok = ParseNumber(text, 1, 64, "--jobs", options.nJobs, error);
            break;
        case OptionId::kHtml:
            options.bHtml = true;
            break;
        case OptionId::kQuiet:
            options.bQuiet = true;
            break;
        case OptionId::kVersion:
            options.bVersion = true;
            break;
        case OptionId::kUrl:
        case OptionId::kHelp:
            break;
        }
        if (!ok)
            return false;
    }
    if (options.bVersion)
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
    if (options.bHtml && (options.strOutput == "-" || IsWebPagePath(options.strOutput)))
    {
        error = "--html writes OUT.html beside the movie: name the movie OUT.swf, not " + options.strOutput;
        return false;
    }
    if (options.inputs.empty())
    {
        error = "no images given";
        return false;
    }
    return true;
}
