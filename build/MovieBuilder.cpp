// The build engine: checks, the parallel picture pipeline, the ordered tag stream, clean-up and copy.
#include "build/MovieBuilder.h"

#include "base/FileUtf8.h"
#include "base/Utf8.h"
#include "build/SlideRenderer.h"
#include "imaging/JpegCodec.h"
#include "imaging/Raster.h"
#include "swf/SWFMovie.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cwctype>
#include <exception>
#include <filesystem>
#include <mutex>
#include <new>
#include <random>
#include <set>
#include <thread>

namespace fs = std::filesystem;

namespace
{
std::string SlideName(const std::vector<ImageItem> &slides, size_t index)
{
    return "slide " + std::to_string(index + 1) + " (" + Utf8FromWide(slides[index].strFileName) + ")";
}

// A folder of the run inside the temporary folder, removed with its contents when the run ends.
class CRunFolder
{
  public:
    explicit CRunFolder(const std::string &parent)
    {
        static std::atomic<unsigned> counter{0};
        std::mt19937 random(static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                            (counter++ * 2654435761u));
        for (int attempt = 0; attempt < 50; ++attempt)
        {
            std::string name = "brivelle-" + std::to_string(random() % 100000000u);
            fs::path candidate = fs::u8path(parent + name);
            std::error_code ec;
            if (fs::create_directory(candidate, ec))
            {
                m_path = candidate;
                auto u8 = candidate.u8string();
                m_strPath = std::string(u8.begin(), u8.end());
                m_strPath.push_back(static_cast<char>(fs::path::preferred_separator));
                return;
            }
            if (!fs::exists(candidate, ec))
            {
                m_strError = ec.message();
                return;
            }
        }
        m_strError = "no free name";
    }
    ~CRunFolder()
    {
        if (!m_path.empty())
        {
            std::error_code ec;
            fs::remove_all(m_path, ec);
        }
    }
    CRunFolder(const CRunFolder &) = delete;
    CRunFolder &operator=(const CRunFolder &) = delete;

    bool Ok() const
    {
        return !m_path.empty();
    }
    const std::string &Path() const
    {
        return m_strPath;
    }
    const std::string &Error() const
    {
        return m_strError;
    }

  private:
    fs::path m_path;
    std::string m_strPath;
    std::string m_strError;
};

// One temporary JPEG name per slide inside the run folder; names that would collide (same name,
// or names differing only in letter case or extension) get a number.
std::vector<std::string> TempJpegPaths(const std::vector<ImageItem> &slides, const std::string &folder)
{
    std::vector<std::string> paths;
    paths.reserve(slides.size());
    std::set<std::wstring> used;
    for (const ImageItem &slide : slides)
    {
        std::wstring name = TempJpegName(slide.strFileName);
        std::wstring stem = name.substr(0, name.size() - 3);
        if (!stem.empty() && stem.back() == L'.')
            stem.pop_back();
        for (int k = 2;; ++k)
        {
            std::wstring key = name;
            for (wchar_t &c : key)
                c = static_cast<wchar_t>(std::towlower(c));
            if (used.insert(key).second)
                break;
            name = stem + L"-" + std::to_wstring(k) + L".jpg";
        }
        paths.push_back(folder + Utf8FromWide(name));
    }
    return paths;
}

bool WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes)
{
    FILE *file = OpenFileUtf8(path.c_str(), "wb");
    if (!file)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        RemoveFileUtf8(path.c_str());
    return ok;
}

// A white picture of the movie's size, encoded once per run, for slides that cannot be read.
class CBlankPicture
{
  public:
    CBlankPicture(int width, int height) : m_nWidth(width), m_nHeight(height)
    {
    }
    bool WriteTo(const std::string &path)
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
        return !m_bytes.empty() && WriteBytes(path, m_bytes);
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
    std::string strReason;
};

// Prepares slide pictures on worker threads, at most `window` slides ahead of the writer, so
// memory stays bounded however long the list is.
class CPicturePipeline
{
  public:
    CPicturePipeline(const BuildJob &job, const std::vector<std::string> &jpegPaths, CBlankPicture &blank)
        : m_job(job), m_jpegPaths(jpegPaths), m_blank(blank), m_work(job.slides.size())
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

    // Waits for slide i's picture and returns its outcome.
    SlideWork Wait(size_t i)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [&] { return m_work[i].bDone; });
        return m_work[i];
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
                result.bReadable =
                    PrepareSlidePicture(Utf8FromWide(slide.FullPath()), slide.strFileName, m_job.settings.nWidth,
                                        m_job.settings.nHeight, m_jpegPaths[i], buffers, result.strReason);
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
                RemoveFileUtf8(m_jpegPaths[i].c_str());
                try
                {
                    m_blank.WriteTo(m_jpegPaths[i]);
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
    const std::vector<std::string> &m_jpegPaths;
    CBlankPicture &m_blank;
    std::vector<SlideWork> m_work;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    size_t m_uNext = 0;
    size_t m_uWritten = 0;
    size_t m_uWindow = 2;
    bool m_bStop = false;
    std::vector<std::thread> m_threads;
};

void RunBuild(const BuildJob &job, BuildReport &report)
{
    const BuildSettings &settings = job.settings;
    const size_t count = job.slides.size();
    report.nRate = settings.bFpsMode ? settings.nFps : 1;
    const long framesPerSlide = settings.bFpsMode ? 1 : std::max(1, settings.nDelay);
    report.nFrames = static_cast<long>(count) * framesPerSlide;

    CRunFolder folder(job.strTempFolder);
    if (!folder.Ok())
    {
        report.strError = "cannot make a temporary folder in " + job.strTempFolder + ": " + folder.Error();
        return;
    }
    const std::vector<std::string> jpegPaths = TempJpegPaths(job.slides, folder.Path());
    std::vector<std::string> addresses;
    addresses.reserve(count);
    for (const ImageItem &slide : job.slides)
        addresses.push_back(EncodeAddress(slide.strUrl));

    bool movieOpened = false;
    try
    {
        CSWFMovie movie;
        if (!movie.Open(job.strTempMovie.c_str(), static_cast<float>(settings.nWidth),
                        static_cast<float>(settings.nHeight), static_cast<unsigned char>(report.nRate)))
        {
            report.strError = "cannot create the movie file " + job.strTempMovie;
            return;
        }
        movieOpened = true;
        movie.SetBackgroundColor(SWFRGB{255, 255, 255});

        CBlankPicture blank(settings.nWidth, settings.nHeight);
        {
            CPicturePipeline pipeline(job, jpegPaths, blank);
            uint16_t id = 1;
            for (size_t i = 0; i < count; ++i)
            {
                SlideWork work = pipeline.Wait(i);
                if (!work.bReadable)
                    report.unreadable.push_back({i, Utf8FromWide(job.slides[i].FullPath()), work.strReason});
                RenderSlide(movie, jpegPaths[i], addresses[i], settings.nWidth, settings.nHeight, settings.bFpsMode,
                            settings.nDelay, id);
                RemoveFileUtf8(jpegPaths[i].c_str());
                pipeline.Written(i);
                if (job.progress)
                    job.progress(i + 1, count);
            }
        }
        movie.Close();
        if (movie.HasWriteError())
        {
            report.strError = "cannot write the movie file " + job.strTempMovie + " (is the disk full?)";
            RemoveFileUtf8(job.strTempMovie.c_str());
            return;
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
} // namespace

std::string EncodeAddress(const std::wstring &url)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : Utf8FromWide(url))
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
    if (settings.nWidth < 1 || settings.nHeight < 1 || settings.nWidth > kMaxMovieSide ||
        settings.nHeight > kMaxMovieSide)
        return "a movie of " + size + " pixels cannot be made (each side must be 1 to " +
               std::to_string(kMaxMovieSide) + " pixels)";
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

BuildReport BuildMovieFile(const BuildJob &job)
{
    BuildReport report;
    report.strError = CheckBuild(job.slides, job.settings);
    if (report.strError.empty())
        RunBuild(job, report);
    return report;
}
