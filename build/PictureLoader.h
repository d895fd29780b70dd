// Pictures decoded at a given size on worker threads, the most urgent first, for a window to show.
#pragma once

#include "imaging/Raster.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct PictureRequest
{
    uint64_t uKey = 0;   // the owner's name for the request; its result carries it back
    std::string strPath; // UTF-8
    int nWidth = 0;      // the picture is stretched to exactly nWidth x nHeight
    int nHeight = 0;
    int nPriority = 0; // higher first; equal ones in the order they were asked for
};

struct PictureResult
{
    uint64_t uKey = 0;
    bool bReadable = false;
    Raster raster; // decoded as the movie's slides are: 24-bit, composed over white, exactly the size asked for
    std::string strReason;
};

// A queue of picture requests served by worker threads. Results wait until the owner takes them; the
// workers tell the owner through `notify` (called on a worker thread, once per batch of waiting results).
class CPictureLoader
{
  public:
    CPictureLoader(unsigned nThreads, std::function<void()> notify);
    // Drops what is queued and waits for the pictures being decoded.
    ~CPictureLoader();
    CPictureLoader(const CPictureLoader &) = delete;
    CPictureLoader &operator=(const CPictureLoader &) = delete;

    void Request(PictureRequest request);
    void Request(std::vector<PictureRequest> requests);
    // Gives a queued request another priority; false when it is not queued (being decoded, or done).
    bool Reprioritise(uint64_t uKey, int nPriority);
    // Drops the queued requests whose key `select` picks; one being decoded still delivers its result.
    void Cancel(const std::function<bool(uint64_t)> &select);
    std::vector<PictureResult> TakeResults();
    // Nothing queued, being decoded or waiting to be taken.
    bool Idle();

  private:
    struct Queued
    {
        PictureRequest request;
        uint64_t uOrder = 0;
    };
    void Work();

    const unsigned m_nThreads;
    std::function<void()> m_notify;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::vector<Queued> m_queue;
    std::vector<PictureResult> m_results;
    uint64_t m_uNextOrder = 0;
    unsigned m_nBusy = 0;
    bool m_bQuit = false;
    std::vector<std::thread> m_threads;
};
