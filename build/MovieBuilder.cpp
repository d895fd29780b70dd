// The build engine: checks, the parallel picture pipeline, the ordered tag stream, clean-up and copy.
#include "build/MovieBuilder.h"

#include "base/FileIdentity.h"
#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/Idna.h"
#include "base/Utf8.h"
#include "build/SlideMemory.h"
#include "build/SlideRenderer.h"
#include "imaging/JpegCodec.h"
#include "imaging/Raster.h"
#include "swf/SWFMovie.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <thread>

namespace
{
std::string SlideName(const std::vector<ImageItem> &slides, size_t index)
{
    return "slide " + std::to_string(index + 1) + " (" + Utf8FromWide(slides[index].strFileName) + ")";
}

// A white picture of the movie's size, encoded once per run, for slides that cannot be read.
class CBlankPicture
{
  public:
    CBlankPicture(int width, int height) : m_nWidth(width), m_nHeight(height)
    {
    }
    // The picture's JPEG bytes; empty when it cannot be made.
    const std::vector<uint8_t> &Bytes()
    {
        std::call_once(m_once, [this] {
            Raster white;
            white.width = m_nWidth;
            white.height = m_nHeight;
            white.bpp = 24;
            white.stride = static_cast<size_t>(m_nWidth) * 3;
            white.pixels.assign(white.stride * static_cast<size_t>(m_nHeight), 255);
            std::string error;
            if (!EncodeJpeg(white, 90, m_bytes, error))
                m_bytes.clear();
        });
        return m_bytes;
    }

  private:
    int m_nWidth;
    int m_nHeight;
    std::once_flag m_once;
    std::vector<uint8_t> m_bytes;
};

struct SlideWork
{
    bool bDone = false;
    bool bReadable = false;
    bool bOutOfMemory = false;
    std::string strReason;
    std::vector<uint8_t> jpeg; // the slide's picture, or the blank one
};

// Prepares slide pictures on worker threads, at most `window` slides ahead of the writer, so
// memory stays bounded however long the list is.
class CPicturePipeline
{
  public:
    CPicturePipeline(const BuildJob &job, CBlankPicture &blank) : m_job(job), m_blank(blank), m_work(job.slides.size())
    {
        unsigned threads = job.nJobs > 0 ? static_cast<unsigned>(job.nJobs) : std::thread::hardware_concurrency();
        threads = std::max(1u, std::min<unsigned>(threads, 64));
        threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, job.slides.size())));
        m_uWindow = 2 * static_cast<size_t>(threads);
        for (unsigned i = 0; i < threads; ++i)
            m_threads.emplace_back([this] { Work(); });
    }
    ~CPicturePipeline()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_changed.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }
    CPicturePipeline(const CPicturePipeline &) = delete;
    CPicturePipeline &operator=(const CPicturePipeline &) = delete;

    // Waits for slide i's picture and hands its outcome over.
    SlideWork Wait(size_t i)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_work[i].bDone; });
        return std::move(m_work[i]);
    }
    // Slide i's tags are written: the workers may run one slide further ahead.
    void Written(size_t i)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_uWritten = i + 1;
        }
        m_changed.notify_all();
    }

  private:
    void Work()
    {
        SlideBuffers buffers;
        for (;;)
        {
            size_t i;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_changed.wait(lock, [&] {
                    return m_bStop || m_uNext >= m_work.size() || m_uNext < m_uWritten + m_uWindow;
                });
                if (m_bStop || m_uNext >= m_work.size())
                    return;
                i = m_uNext++;
            }
            SlideWork result;
            result.bDone = true;
            const ImageItem &slide = m_job.slides[i];
            try
            {
                result.bReadable = PrepareSlideInBudget(m_budget, slide, m_job.settings.nWidth, m_job.settings.nHeight,
                                                        buffers, result.strReason, result.bOutOfMemory);
                if (result.bReadable)
                    result.jpeg = buffers.jpeg;
            }
            catch (const std::bad_alloc &)
            {
                result.strReason = Utf8FromWide(slide.strFileName) + ": not enough memory to prepare the picture";
            }
            catch (const std::exception &e)
            {
                result.strReason = Utf8FromWide(slide.strFileName) + ": " + e.what();
            }
            if (!result.bReadable)
            {
                try
                {
                    result.jpeg = m_blank.Bytes();
                }
                catch (const std::exception &)
                {
                    // No blank picture: the slide's bitmap stays empty and its frames are still written.
                }
            }
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_work[i] = result;
            }
            m_changed.notify_all();
        }
    }

    const BuildJob &m_job;
    CBlankPicture &m_blank;
    std::vector<SlideWork> m_work;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_uNext = 0;
    size_t m_uWritten = 0;
    size_t m_uWindow = 2;
    bool m_bStop = false;
    CMemoryBudget m_budget{DefaultMemoryBudget()};
    std::vector<std::thread> m_threads;
};

void RunBuild(const BuildJob &job, BuildReport &report)
{
    const BuildSettings &settings = job.settings;
    const size_t count = job.slides.size();
    report.nRate = settings.bFpsMode ? settings.nFps : 1;
    const long framesPerSlide = settings.bFpsMode ? 1 : std::max(1, settings.nDelay);
    report.nFrames = static_cast<long>(count) * framesPerSlide;

    std::vector<std::string> addresses;
    addresses.reserve(count);
    for (const ImageItem &slide : job.slides)
        addresses.push_back(EncodeAddress(slide.strUrl));

    bool movieOpened = false;
    try
    {
        CSWFMovie movie;
        errno = 0;
        if (!movie.Open(job.strTempMovie.c_str(), static_cast<float>(settings.nWidth),
                        static_cast<float>(settings.nHeight), static_cast<unsigned char>(report.nRate)))
        {
            report.strWriteError = ErrnoText(errno);
            report.strError = "cannot create the movie file " + job.strTempMovie + ": " + report.strWriteError;
            return;
        }
        movieOpened = true;
        movie.SetBackgroundColor(SWFRGB{255, 255, 255});

        CBlankPicture blank(settings.nWidth, settings.nHeight);
        {
            CPicturePipeline pipeline(job, blank);
            uint16_t id = 1;
            // Only the movie's writes touch errno on this thread from here on: a failed one leaves its reason.
            errno = 0;
            for (size_t i = 0; i < count && !report.bStopped; ++i)
            {
                SlideWork work = pipeline.Wait(i);
                if (!work.bReadable)
                    report.unreadable.push_back(
                        {i, Utf8FromWide(job.slides[i].Origin()), work.strReason, work.bOutOfMemory});
                RenderSlide(movie, work.jpeg, addresses[i], settings.nWidth, settings.nHeight, settings.bFpsMode,
                            settings.nDelay, id);
                pipeline.Written(i);
                if (job.progress)
                    job.progress(i + 1, count);
                report.bStopped = job.stop && job.stop();
            }
        }
        const int writeErrno = errno;
        movie.Close();
        if (report.bStopped)
            report.strError = "the build was stopped";
        else if (movie.HasWriteError())
        {
            report.strWriteError = ErrnoText(writeErrno ? writeErrno : errno);
            report.strError = "cannot write the movie file " + job.strTempMovie + ": " + report.strWriteError;
        }
    }
    catch (const std::bad_alloc &)
    {
        report.strError = "not enough memory to build the movie";
    }
    catch (const std::exception &e)
    {
        report.strError = std::string("the build stopped: ") + e.what();
    }
    if (!report.strError.empty())
    {
        if (movieOpened)
            RemoveFileUtf8(job.strTempMovie.c_str());
        report.unreadable.clear();
        return;
    }

    report.nResult = 1;
    if (!job.strOutput.empty() && !CopyFileReplaceUtf8(job.strTempMovie.c_str(), job.strOutput.c_str(),
                                                      report.strCopyError))
        report.bCopyFailed = true;
}
// Why the job's output or temporary movie would overwrite one of its pictures or each other, or empty.
std::string CheckPaths(const BuildJob &job)
{
    std::vector<std::string> pictures;
    pictures.reserve(job.slides.size());
    for (const ImageItem &slide : job.slides)
        pictures.push_back(Utf8FromWide(slide.FullPath()));
    for (const std::string *file : {&job.strOutput, &job.strTempMovie})
    {
        const long same = file->empty() ? -1 : FindSameFile(*file, pictures);
        if (same >= 0)
            return *file + " is also an input: " + pictures[static_cast<size_t>(same)];
    }
    if (!job.strOutput.empty() && FindSameFile(job.strOutput, {job.strTempMovie}) == 0)
        return job.strOutput + " is the temporary movie, which is made first and then copied";
    return std::string();
}

} // namespace

std::string EncodeAddress(const std::wstring &url)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string text = Utf8FromWide(url);
    // The host of "scheme://[user@]host[:port]/...": an IPv6 literal in brackets stays as it is.
    const size_t schemeEnd = text.find("://");
    const size_t schemeLength =
        text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+-.");
    if (schemeEnd != std::string::npos && schemeEnd > 0 && schemeLength == schemeEnd &&
        std::isalpha(static_cast<unsigned char>(text[0])))
    {
        const size_t authority = schemeEnd + 3;
        const size_t authorityEnd = std::min(text.find_first_of("/?#", authority), text.size());
        const size_t at = text.rfind('@', authorityEnd - 1);
        const size_t host = at != std::string::npos && at >= authority ? at + 1 : authority;
        size_t hostEnd = text.rfind(':', authorityEnd - 1);
        if (hostEnd == std::string::npos || hostEnd < host)
            hostEnd = authorityEnd;
        const std::string name = text.substr(host, hostEnd - host);
        std::string ascii;
        const bool international =
            std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        if (international && HostToAscii(name, ascii))
            text.replace(host, hostEnd - host, ascii);
    }
    std::string out;
    for (unsigned char c : text)
    {
        if (c < 0x80)
            out.push_back(static_cast<char>(c));
        else
        {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return out;
}

std::string CheckBuild(const std::vector<ImageItem> &slides, const BuildSettings &settings)
{
    if (slides.empty())
        return "there are no slides to make a movie of";
    if (slides.size() > kMaxSlides)
        return "too many slides: " + std::to_string(slides.size()) + " (a movie holds at most " +
               std::to_string(kMaxSlides) + ")";
    const std::string size = std::to_string(settings.nWidth) + " x " + std::to_string(settings.nHeight);
    if (settings.nWidth < kMinMovieSize || settings.nHeight < kMinMovieSize || settings.nWidth > kMaxMovieSize ||
        settings.nHeight > kMaxMovieSize)
        return "a movie of " + size + " pixels cannot be made (each side must be " + std::to_string(kMinMovieSize) +
               " to " + std::to_string(kMaxMovieSize) + " pixels)";
    if (static_cast<uint64_t>(settings.nWidth) * static_cast<uint64_t>(settings.nHeight) > kMaxImagePixels)
        return "a movie of " + size + " pixels cannot be made (at most 100 million pixels)";
    if (settings.bFpsMode && (settings.nFps < 1 || settings.nFps > kMaxFrameRate))
        return "a frame rate of " + std::to_string(settings.nFps) + " cannot be written (a movie holds 1 to " +
               std::to_string(kMaxFrameRate) + " frames per second)";
    if (!settings.bFpsMode && settings.nDelay < 1)
        return "a delay of " + std::to_string(settings.nDelay) + " seconds cannot be made (at least 1)";
    const long long frames =
        static_cast<long long>(slides.size()) * (settings.bFpsMode ? 1 : std::max(1, settings.nDelay));
    if (frames > kMaxFrames)
        return "the movie would have " + std::to_string(frames) + " frames (a movie holds at most " +
               std::to_string(kMaxFrames) + ")";
    for (size_t i = 0; i < slides.size(); ++i)
    {
        size_t bytes = EncodeAddress(slides[i].strUrl).size();
        if (bytes > kMaxAddressBytes)
            return "the address of " + SlideName(slides, i) + " is too long (" + std::to_string(bytes) +
                   " bytes; at most " + std::to_string(kMaxAddressBytes) + ")";
    }
    return std::string();
}

long FindSameFile(const std::string &output, const std::vector<std::string> &inputs)
{
    FileIdentity target;
    if (!GetFileIdentity(output.c_str(), target))
        return -1;
    for (size_t i = 0; i < inputs.size(); ++i)
    {
        FileIdentity input;
        if (GetFileIdentity(inputs[i].c_str(), input) && input == target)
            return static_cast<long>(i);
    }
    return -1;
}

BuildReport BuildMovieFile(const BuildJob &job)
{
    BuildReport report;
    report.strError = CheckBuild(job.slides, job.settings);
    if (report.strError.empty())
        report.strError = CheckPaths(job);
    if (report.strError.empty())
        RunBuild(job, report);
    return report;
}
