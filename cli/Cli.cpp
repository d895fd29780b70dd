// brivelle-cli: images and addresses in, one movie out, through the build engine.
#include "cli/Cli.h"

#include "base/FileUtf8.h"
#include "base/Utf8.h"
#include "build/GifSplitter.h"
#include "build/MovieBuilder.h"
#include "cli/CliOptions.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
const char *const kVersion = "brivelle-cli 1.0.0";

std::string U8(const fs::path &path)
{
    auto u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
}

// Splits a UTF-8 path into the slide's folder (with its separator) and file name.
ImageItem SlideFor(const std::string &path, const std::wstring &url)
{
    std::wstring wide = WideFromUtf8(path);
    size_t cut = wide.find_last_of(L"/\\");
    ImageItem item;
    if (cut != std::wstring::npos)
    {
        item.strFolder = wide.substr(0, cut + 1);
        item.strFileName = wide.substr(cut + 1);
    }
    else
        item.strFileName = wide;
    item.strUrl = url;
    return item;
}

// Opens the file and tells whether it starts like a GIF; false with a reason when it cannot be read.
bool ProbeInput(const std::string &path, bool &isGif, std::string &reason)
{
    std::error_code ec;
    if (fs::is_directory(fs::u8path(path), ec))
    {
        reason = "is a folder, not an image";
        return false;
    }
    FILE *file = OpenFileUtf8(path.c_str(), "rb");
    if (!file)
    {
        reason = std::strerror(errno);
        return false;
    }
    char magic[4] = {};
    size_t n = std::fread(magic, 1, 4, file);
    std::fclose(file);
    isGif = n == 4 && std::memcmp(magic, "GIF8", 4) == 0;
    return true;
}

// A folder for the run's temporary movie and GIF frames, removed at the end.
class CCliTempFolder
{
  public:
    CCliTempFolder()
    {
        std::error_code ec;
        fs::path parent = fs::temp_directory_path(ec);
        if (ec)
            return;
        for (unsigned k = 0; k < 1000; ++k)
        {
            fs::path candidate = parent / ("brivelle-cli-" + std::to_string(std::hash<std::string>()(
                                                                  U8(parent) + std::to_string(k) +
                                                                  std::to_string(reinterpret_cast<uintptr_t>(this)))));
            if (fs::create_directory(candidate, ec))
            {
                m_path = candidate;
                return;
            }
        }
    }
    ~CCliTempFolder()
    {
        std::error_code ec;
        if (!m_path.empty())
            fs::remove_all(m_path, ec);
    }
    CCliTempFolder(const CCliTempFolder &) = delete;
    CCliTempFolder &operator=(const CCliTempFolder &) = delete;
    bool Ok() const
    {
        return !m_path.empty();
    }
    std::string Path() const
    {
        return U8(m_path) + static_cast<char>(fs::path::preferred_separator);
    }

  private:
    fs::path m_path;
};

class CProgressBar
{
  public:
    CProgressBar(std::ostream &err, bool enabled) : m_err(err), m_bEnabled(enabled)
    {
    }
    void Show(size_t done, size_t total)
    {
        if (!m_bEnabled || total == 0)
            return;
        const int width = 40;
        int filled = static_cast<int>(done * width / total);
        m_err << "\r[" << std::string(static_cast<size_t>(filled), '#')
              << std::string(static_cast<size_t>(width - filled), ' ') << "] " << done << "/" << total << std::flush;
        m_bShown = true;
    }
    void Finish()
    {
        if (m_bShown)
            m_err << "\r" << std::string(60, ' ') << "\r" << std::flush;
        m_bShown = false;
    }

  private:
    std::ostream &m_err;
    bool m_bEnabled;
    bool m_bShown = false;
};
} // namespace

int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool progressBar)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error))
    {
        err << "brivelle-cli: " << error << "\n" << "Try 'brivelle-cli --help' for more information.\n";
        return kExitUsage;
    }
    if (options.bHelp)
    {
        out << kCliUsage;
        return kExitOk;
    }
    if (options.bVersion)
    {
        out << kVersion << "\n";
        return kExitOk;
    }

    // Every input must be readable before anything is written.
    std::vector<bool> isGif(options.inputs.size());
    int unreadable = 0;
    for (size_t i = 0; i < options.inputs.size(); ++i)
    {
        bool gif = false;
        if (!ProbeInput(options.inputs[i].strPath, gif, error))
        {
            err << "brivelle-cli: " << options.inputs[i].strPath << ": " << error << "\n";
            ++unreadable;
        }
        isGif[i] = gif;
    }
    if (unreadable)
        return kExitUnreadable;

    CCliTempFolder temp;
    if (!temp.Ok())
    {
        err << "brivelle-cli: cannot make a temporary folder\n";
        return kExitFailure;
    }

    BuildJob job;
    job.settings = options.settings;
    job.nJobs = options.nJobs;
    job.strTempFolder = temp.Path();
    job.strTempMovie = temp.Path() + "movie.swf";
    std::vector<std::wstring> frameFiles;
    struct FrameCleanup
    {
        std::vector<std::wstring> &files;
        ~FrameCleanup()
        {
            DeleteFrameFiles(files);
        }
    } cleanup{frameFiles};

    for (size_t i = 0; i < options.inputs.size(); ++i)
    {
        const CliInput &input = options.inputs[i];
        ImageItem slide = SlideFor(input.strPath, input.strUrl);
        if (!isGif[i])
        {
            job.slides.push_back(slide);
            continue;
        }
        GifSplit split = SplitAnimatedGif(slide.strFolder, slide.strFileName, WideFromUtf8(temp.Path()));
        frameFiles.insert(frameFiles.end(), split.frameFiles.begin(), split.frameFiles.end());
        if (!split.bLoaded)
        {
            err << "brivelle-cli: " << split.strError << "\n";
            ++unreadable;
            continue;
        }
        for (const std::string &problem : split.frameErrors)
        {
            err << "brivelle-cli: " << problem << "\n";
            ++unreadable;
        }
        for (ImageItem &frame : split.slides)
        {
            frame.strUrl = input.strUrl;
            job.slides.push_back(frame);
        }
    }
    if (unreadable)
        return kExitUnreadable;

    error = CheckBuild(job.slides, job.settings);
    if (!error.empty())
    {
        err << "brivelle-cli: " << error << "\n";
        return kExitUsage;
    }

    CProgressBar bar(err, progressBar && !options.bQuiet);
    job.progress = [&bar](size_t done, size_t total) { bar.Show(done, total); };
    BuildReport report = BuildMovieFile(job);
    bar.Finish();
    if (!report.nResult)
    {
        err << "brivelle-cli: " << report.strError << "\n";
        return kExitFailure;
    }
    if (!report.unreadable.empty())
    {
        for (const SlideProblem &problem : report.unreadable)
            err << "brivelle-cli: " << problem.strReason << "\n";
        err << "brivelle-cli: " << report.unreadable.size() << " image(s) could not be read; nothing written\n";
        return kExitUnreadable;
    }
    if (!CopyFileReplaceUtf8(job.strTempMovie.c_str(), options.strOutput.c_str(), error))
    {
        err << "brivelle-cli: " << error << "\n";
        return kExitOutput;
    }
    if (!options.bQuiet)
    {
        std::error_code ec;
        auto bytes = fs::file_size(fs::u8path(options.strOutput), ec);
        out << options.strOutput << ": " << job.slides.size() << " slide" << (job.slides.size() == 1 ? "" : "s")
            << ", " << report.nFrames << " frame" << (report.nFrames == 1 ? "" : "s") << " at " << report.nRate
            << " fps, " << job.settings.nWidth << " x " << job.settings.nHeight << " pixels, " << bytes
            << " bytes\n";
    }
    return kExitOk;
}
