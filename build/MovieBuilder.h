// The build engine: slide list and settings in, one SWF movie out.
#pragma once

#include "build/ImageItem.h"
#include "build/SlideModel.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Limits of a version-3 movie that the settings' ranges do not keep.
constexpr int kMaxFrameRate = 255;          // whole frames per second in the 8.8 header field
constexpr long kMaxFrames = 65535;          // 16-bit frame count
constexpr size_t kMaxSlides = 21845;        // three 16-bit character ids per slide
constexpr size_t kMaxAddressBytes = 65525;  // a GetURL payload and its button entry stay 16-bit

struct BuildSettings
{
    int nWidth = 256;
    int nHeight = 192;
    bool bFpsMode = true;
    int nFps = 1;
    int nDelay = 1;
};

// One build. Paths are UTF-8; folders end with a path separator.
struct BuildJob
{
    std::vector<ImageItem> slides;
    BuildSettings settings;
    std::string strTempMovie;    // the movie is written here first
    std::string strOutput;       // then copied here; empty: no copy
    int nJobs = 0;               // worker threads for the pictures; 0: one per core
    std::function<void(size_t done, size_t total)> progress; // after each slide's tags
    std::function<bool()> stop; // asked after each slide's tags: true ends the run, writing nothing
};

struct SlideProblem
{
    size_t uIndex = 0;
    std::string strPath;   // UTF-8, as messages name the image (a GIF frame: the GIF and the frame)
    std::string strReason;
    bool bOutOfMemory = false; // the picture could not be decoded for want of memory
};

struct BuildReport
{
    int nResult = 0;                     // 1: the movie was written; 0: the run stopped early
    std::string strError;                // why the run stopped, when nResult is 0
    std::string strWriteError;           // it stopped because the temporary movie could not be written: why
    bool bStopped = false;               // it stopped because `stop` said so
    std::vector<SlideProblem> unreadable; // slides shown blank (white), with their frames and links
    bool bCopyFailed = false;            // the movie exists at strTempMovie but not at strOutput
    std::string strCopyError;
    long nFrames = 0;
    int nRate = 0;
};

// Why a movie cannot be made from these settings and this many slides, or empty when it can.
// Checked before anything is written.
std::string CheckBuild(const std::vector<ImageItem> &slides, const BuildSettings &settings);

// The first of `inputs` (UTF-8 paths) that is the same file as `output`, found by file identity
// whatever the names; -1 when none is (or when `output` does not exist).
long FindSameFile(const std::string &output, const std::vector<std::string> &inputs);

// Writes the movie: white background, every slide in order (pictures prepared in parallel, tags
// written in slide order), then the copy to the output path. Each slide's JPEG stays in memory. The
// output and the temporary movie are first checked against every slide's file: a run that would
// overwrite a picture writes nothing.
BuildReport BuildMovieFile(const BuildJob &job);

// An address as the movie stores it: the host name of a "scheme://" address with characters outside
// ASCII in its IDNA form, the rest ASCII byte for byte and anything else as percent-encoded UTF-8.
std::string EncodeAddress(const std::wstring &url);
