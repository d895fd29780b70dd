// brivelle-cli: images and addresses in, one movie out, through the build engine.
#include "cli/Cli.h"

#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/InterruptCleanup.h"
#include "base/Path.h"
#include "base/PrivateFolder.h"
#include "base/ProgramPath.h"
#include "base/Utf8.h"
#include "build/GifSplitter.h"
#include "build/MovieBuilder.h"
#include "build/WebPage.h"
#include "cli/CliOptions.h"
#include "imaging/ImageType.h"

#include "BrivelleVersion.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <memory>

namespace
{
const char *const kVersion = "brivelle-cli " BRIVELLE_VERSION;

struct FileCloser
{
    void operator()(FILE *file) const
    {
        std::fclose(file);
    }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// How the finished movie reaches the output.
enum class Delivery
{
    kReplace, // a regular file, replaced whole
    kStream,  // a FIFO or a device, written as a stream
    kStdout,
};

// The slide's folder (with its separator) and file name.
ImageItem SlideFor(const std::string &path, const std::wstring &url)
{
    const std::wstring wide = WideFromUtf8(path);
    return {FolderOf(wide), FileNameOf(wide), url};
}

// An input as messages name it: its list file and line too when it comes from a list.
std::string InputName(const CliInput &input)
{
    if (input.strList.empty())
        return input.strPath;
    return input.strList + ", line " + std::to_string(input.nLine) + ": " + input.strPath;
}

// Opens the file and tells whether it is a GIF; false with a reason when it cannot be read.
bool ProbeInput(const std::string &path, bool &isGif, std::string &reason)
{
    if (GetFileKindUtf8(path.c_str()) == FileKind::kFolder)
    {
        reason = "is a folder, not an image";
        return false;
    }
    errno = 0;
    FilePtr file(OpenFileUtf8(path.c_str(), "rb"));
    if (!file)
    {
        reason = ErrnoText(errno);
        return false;
    }
    uint8_t signature[8] = {};
    const size_t n = std::fread(signature, 1, sizeof signature, file.get());
    isGif = DetectImageType(signature, n) == kImageTypeGif;
    return true;
}

#ifdef _WIN32
// The device a Windows file name stands for whatever its folder and extension ("aux.swf" is AUX), or
// empty.
std::string WindowsDeviceName(const std::string &path)
{
    std::string stem = FileNameOf(path);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == ':'))
        stem.pop_back();
    for (char &c : stem)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char *device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (stem == device)
            return stem;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
        stem[3] <= '9')
        return stem;
    return std::string();
}
#endif

// How the output is written; false with a message when it cannot be.
bool ChooseDelivery(const std::string &output, Delivery &delivery, std::string &error)
{
    if (output == "-")
    {
        delivery = Delivery::kStdout;
        return true;
    }
#ifdef _WIN32
    const std::string device = WindowsDeviceName(output);
    if (device == "NUL")
    {
        delivery = Delivery::kStream;
        return true;
    }
    if (!device.empty())
    {
        error = output + ": this name stands for the Windows device " + device + ", not a file; choose another name";
        return false;
    }
#endif
    switch (GetFileKindUtf8(output.c_str()))
    {
    case FileKind::kFolder:
        error = output + ": is a folder";
        return false;
    case FileKind::kStream:
        delivery = Delivery::kStream;
        return true;
    case FileKind::kOther:
        error = output + ": is not a file, a FIFO or a character device";
        return false;
    default:
        delivery = Delivery::kReplace;
        return true;
    }
}

// Copies the finished movie to `out`, stopping early when the process is interrupted.
bool CopyToStream(FILE *movie, std::ostream &out)
{
    char buffer[1 << 16];
    size_t n;
    while (!InterruptStatus() && (n = std::fread(buffer, 1, sizeof buffer, movie)) > 0)
        if (!out.write(buffer, static_cast<std::streamsize>(n)))
            return false;
    return !InterruptStatus() && !std::ferror(movie) && out.flush();
}

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

// One run of the tool after its options are parsed.
class CCliRun
{
  public:
    CCliRun(const CliOptions &options, std::ostream &out, std::ostream &err, bool progressBar)
        : m_options(options), m_out(out), m_err(err), m_bProgressBar(progressBar)
    {
    }
    int Run();

  private:
    int Fail(int status, const std::string &message)
    {
        m_err << "brivelle-cli: " << message << "\n";
        return status;
    }
    // Ends a run in which `count` images could not be read.
    int Unreadable(size_t count)
    {
        return Fail(kExitUnreadable, std::to_string(count) + " image(s) could not be read; nothing written");
    }
    int CheckInputs(std::vector<bool> &isGif);
    int AddSlides(const std::vector<bool> &isGif, BuildJob &job);
    int Deliver(const BuildJob &job);

    const CliOptions &m_options;
    std::ostream &m_out;
    std::ostream &m_err;
    bool m_bProgressBar;
    Delivery m_delivery = Delivery::kReplace;
    CFileReplacement m_replacement;
    CPrivateFolder m_temp;
    const std::string m_strPlayerFolder = WebPlayerFolderBeside(ProgramPathUtf8());
    std::vector<std::wstring> m_frameFiles;
    int64_t m_nBytes = 0;
};

// The output may not be any input or list file; every input must be readable.
int CCliRun::CheckInputs(std::vector<bool> &isGif)
{
    std::vector<std::string> sources;
    for (const CliInput &input : m_options.inputs)
        sources.push_back(input.strPath);
    sources.insert(sources.end(), m_options.lists.begin(), m_options.lists.end());
    const long same = m_options.strOutput == "-" ? -1 : FindSameFile(m_options.strOutput, sources);
    if (same >= 0)
    {
        const size_t index = static_cast<size_t>(same);
        const std::string name = index < m_options.inputs.size() ? InputName(m_options.inputs[index]) : sources[index];
        return Fail(kExitUsage, m_options.strOutput + " is also an input: " + name);
    }

    isGif.assign(m_options.inputs.size(), false);
    size_t unreadable = 0;
    for (size_t i = 0; i < m_options.inputs.size(); ++i)
    {
        bool gif = false;
        std::string reason;
        if (!ProbeInput(m_options.inputs[i].strPath, gif, reason))
        {
            Fail(kExitUnreadable, InputName(m_options.inputs[i]) + ": " + reason);
            ++unreadable;
        }
        isGif[i] = gif;
    }
    return unreadable ? Unreadable(unreadable) : kExitOk;
}

// The slides of every input, an animated GIF's frames split into files of the temporary folder.
int CCliRun::AddSlides(const std::vector<bool> &isGif, BuildJob &job)
{
    size_t unreadable = 0;
    for (size_t i = 0; i < m_options.inputs.size() && !InterruptStatus(); ++i)
    {
        const CliInput &input = m_options.inputs[i];
        ImageItem slide = SlideFor(input.strPath, input.strUrl);
        if (!isGif[i])
        {
            job.slides.push_back(slide);
            continue;
        }
        GifSplit split = SplitAnimatedGif(slide.strFolder, slide.strFileName, WideFromUtf8(m_temp.Path()));
        m_frameFiles.insert(m_frameFiles.end(), split.frameFiles.begin(), split.frameFiles.end());
        const std::string where = input.strList.empty() ? std::string() : InputName(input) + ": ";
        if (!split.bLoaded)
        {
            Fail(kExitUnreadable, where + split.strError);
            ++unreadable;
            continue;
        }
        for (const std::string &problem : split.frameErrors)
        {
            Fail(kExitUnreadable, where + problem);
            ++unreadable;
        }
        for (ImageItem &frame : split.slides)
        {
            frame.strUrl = input.strUrl;
            job.slides.push_back(frame);
        }
    }
    return unreadable ? Unreadable(unreadable) : kExitOk;
}

// Puts the finished movie in the output's place.
int CCliRun::Deliver(const BuildJob &job)
{
    errno = 0;
    FilePtr movie(OpenFileUtf8(job.strTempMovie.c_str(), "rb"));
    if (!movie)
        return Fail(kExitFailure, "cannot read the finished movie: " + ErrnoText(errno));
    m_nBytes = FileSize64(movie.get());
    const std::string &output = m_options.strOutput;
    std::string reason;
    bool ok = true;
    errno = 0;
    if (m_delivery == Delivery::kStdout)
        ok = CopyToStream(movie.get(), m_out);
    else if (m_delivery == Delivery::kStream)
    {
        // A FIFO's open waits for its reader.
        FilePtr stream(OpenFileUtf8(output.c_str(), "wb"));
        ok = stream && CopyStreamBytes(movie.get(), stream.get()) && std::fflush(stream.get()) == 0;
    }
    else
        ok = CopyStreamBytes(movie.get(), m_replacement.File()) && m_replacement.Commit(reason);
    if (InterruptStatus())
        return InterruptStatus();
    if (!ok)
        return Fail(kExitOutput, "cannot write " + (output == "-" ? std::string("to standard output") : output) + ": " +
                                     (reason.empty() ? ErrnoText(errno) : reason));
    return kExitOk;
}

int CCliRun::Run()
{
    // The page needs the player files beside this program; without them nothing is written.
    if (m_options.bHtml && !HasWebPlayerFiles(m_strPlayerFolder))
        return Fail(kExitUsage, "the web player files (ruffle/) are not installed beside brivelle-cli");
    std::vector<bool> isGif;
    if (int status = CheckInputs(isGif))
        return status;

    std::string error;
    if (!ChooseDelivery(m_options.strOutput, m_delivery, error))
        return Fail(kExitOutput, error);
    if (m_options.bHtml && m_delivery != Delivery::kReplace)
        return Fail(kExitUsage, "--html needs the movie in a file beside its page, not " + m_options.strOutput);
    if (m_delivery == Delivery::kReplace && !m_replacement.Open(m_options.strOutput, error))
        return Fail(kExitOutput, "cannot write " + m_options.strOutput + ": " + error);

    const std::string tempParent = SystemTempFolderUtf8();
    if (!m_temp.Create(tempParent, "brivelle-cli-", error))
        return Fail(kExitOutput, "cannot make a folder in the temporary folder " + tempParent + ": " + error);
    struct FrameCleanup
    {
        std::vector<std::wstring> &files;
        ~FrameCleanup()
        {
            DeleteFrameFiles(files);
        }
    } cleanup{m_frameFiles};

    BuildJob job;
    job.settings = m_options.settings;
    job.nJobs = m_options.nJobs;
    job.strTempMovie = JoinPath(m_temp.Path(), "movie.swf");
    if (int status = AddSlides(isGif, job))
        return status;
    if (InterruptStatus())
        return InterruptStatus();

    error = CheckBuild(job.slides, job.settings);
    if (!error.empty())
        return Fail(kExitUsage, error);

    CProgressBar bar(m_err, m_bProgressBar && !m_options.bQuiet);
    job.progress = [&bar](size_t done, size_t total) { bar.Show(done, total); };
    job.stop = [] { return InterruptStatus() != 0; };
    BuildReport report = BuildMovieFile(job);
    bar.Finish();
    if (report.bStopped)
        return InterruptStatus();
    if (!report.strWriteError.empty())
        return Fail(kExitOutput,
                    "cannot write the movie in the temporary folder " + tempParent + ": " + report.strWriteError);
    if (!report.nResult)
        return Fail(kExitFailure, report.strError);
    if (!report.unreadable.empty())
    {
        for (const SlideProblem &problem : report.unreadable)
            Fail(kExitUnreadable, problem.strReason);
        const int status = Unreadable(report.unreadable.size());
        // Pictures there was not memory enough for are sound: the run failed, not the picture.
        const bool memory = std::any_of(report.unreadable.begin(), report.unreadable.end(),
                                        [](const SlideProblem &problem) { return problem.bOutOfMemory; });
        return memory ? kExitFailure : status;
    }
    if (int status = Deliver(job))
        return status;
    const std::string pagePath = ReplaceExtension(m_options.strOutput, ".html");
    if (m_options.bHtml && !PublishWebPage(m_strPlayerFolder, m_options.strOutput, pagePath, job.settings.nWidth,
                                           job.settings.nHeight, error))
        return InterruptStatus() ? InterruptStatus() : Fail(kExitOutput, error);

    if (!m_options.bQuiet)
    {
        // Standard output carries the movie itself when it is the output.
        std::ostream &summary = m_delivery == Delivery::kStdout ? m_err : m_out;
        summary << m_options.strOutput << ": " << job.slides.size() << " slide" << (job.slides.size() == 1 ? "" : "s")
                << ", " << report.nFrames << " frame" << (report.nFrames == 1 ? "" : "s") << " at " << report.nRate
                << " fps, " << job.settings.nWidth << " x " << job.settings.nHeight << " pixels, " << m_nBytes
                << " bytes\n";
        if (m_options.bHtml)
            summary << pagePath << ": web page, with the player files in " << kWebPlayerFolder << "/ beside it\n";
    }
    return kExitOk;
}
} // namespace

int RunCli(const std::vector<std::string> &args, std::ostream &out, std::ostream &err, bool progressBar)
{
    CliOptions options;
    std::string error;
    if (!ParseCliOptions(args, options, error))
    {
        err << "brivelle-cli: " << error << "\n"
            << "Try 'brivelle-cli --help' for more information.\n";
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
    return CCliRun(options, out, err, progressBar).Run();
}
