// Pictures decoded at a given size on worker threads, the most urgent first, for a window to show.
#include "build/PictureLoader.h"

#include "build/SlideRenderer.h"
#include "build/TakeAll.h"
#include "imaging/Picture.h"

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

CPictureLoader::CPictureLoader(unsigned nThreads, std::function<void()> notify)
    : m_nThreads(std::max(1u, nThreads)), m_notify(std::move(notify))
{
}

CPictureLoader::~CPictureLoader()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
        m_queue.clear();
    }
    m_queued.notify_all();
    for (std::thread &thread : m_threads)
        thread.join();
}

void CPictureLoader::Request(PictureRequest request)
{
    std::vector<PictureRequest> requests;
    requests.push_back(std::move(request));
    Request(std::move(requests));
}

void CPictureLoader::Request(std::vector<PictureRequest> requests)
{
    {
        // One lock for the lot: the workers do not wake for each one while the owner is still asking.
        std::lock_guard<std::mutex> lock(m_mutex);
        for (PictureRequest &request : requests)
            m_queue.push_back(Queued{std::move(request), m_uNextOrder++});
        // Threads start when there is work for them, up to the number asked for.
        while (m_threads.size() < m_nThreads && m_nBusy + m_queue.size() > m_threads.size())
            m_threads.emplace_back([this] { Work(); });
    }
    m_queued.notify_all();
}

bool CPictureLoader::Reprioritise(uint64_t uKey, int nPriority)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (Queued &queued : m_queue)
    {
        if (queued.request.uKey == uKey)
        {
            queued.request.nPriority = nPriority;
            return true;
        }
    }
    return false;
}

void CPictureLoader::Cancel(const std::function<bool(uint64_t)> &select)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(),
                                 [&select](const Queued &queued) { return select(queued.request.uKey); }),
                  m_queue.end());
}

std::vector<PictureResult> CPictureLoader::TakeResults()
{
    return TakeAll(m_mutex, m_results);
}

bool CPictureLoader::Idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_queue.empty() && m_nBusy == 0 && m_results.empty();
}

void CPictureLoader::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_queued.wait(lock, [this] { return m_bQuit || !m_queue.empty(); });
        if (m_bQuit)
            return;
        // The most urgent request, the oldest among equals.
        const auto next = std::min_element(m_queue.begin(), m_queue.end(), [](const Queued &a, const Queued &b) {
            return a.request.nPriority != b.request.nPriority ? a.request.nPriority > b.request.nPriority
                                                              : a.uOrder < b.uOrder;
        });
        const PictureRequest request = std::move(next->request);
        m_queue.erase(next);
        ++m_nBusy;
        lock.unlock();

        PictureResult result;
        result.uKey = request.uKey;
        try
        {
            result.bReadable =
                DecodePictureAtSize(request.strPath, CPicture::GetTypeIdFromName(request.strPath.c_str()),
                                    request.nWidth, request.nHeight, result.raster, result.strReason);
        }
        catch (const std::bad_alloc &)
        {
            result.strReason = request.strPath + ": not enough memory to decode the picture";
        }
        catch (const std::exception &e)
        {
            result.strReason = request.strPath + ": " + e.what();
        }

        lock.lock();
        --m_nBusy;
        const bool bFirstWaiting = m_results.empty();
        m_results.push_back(std::move(result));
        if (bFirstWaiting && m_notify && !m_bQuit)
        {
            lock.unlock();
            m_notify();
            lock.lock();
        }
    }
}
