// Files being added to the slide list: animated GIFs split into frame files on a worker thread.
#include "build/FileAdder.h"

#include "base/Path.h"
#include "build/GifSplitter.h"
#include "build/TakeAll.h"

#include <utility>

void ResolveAddBatch(AddBatch &batch)
{
    for (const std::wstring &path : batch.paths)
    {
        const std::wstring folder = FolderOf(path);
        const std::wstring fileName = FileNameOf(path);
        if (LowerExtensionOf(fileName) != L"gif")
        {
            batch.slides.push_back(ImageItem{folder, fileName, std::wstring()});
            continue;
        }
        // An animation becomes one slide per frame; a GIF that cannot be read adds nothing.
        GifSplit split = SplitAnimatedGif(folder, fileName, batch.tempFolder);
        if (!split.bLoaded)
            continue;
        batch.frameFiles.insert(batch.frameFiles.end(), split.frameFiles.begin(), split.frameFiles.end());
        batch.slides.insert(batch.slides.end(), split.slides.begin(), split.slides.end());
    }
}

CFileAdder::CFileAdder(std::function<void()> notify) : m_notify(std::move(notify))
{
}

CFileAdder::~CFileAdder()
{
    Close();
}

std::vector<AddBatch> CFileAdder::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bQuit = true;
        m_waiting.clear();
    }
    m_added.notify_all();
    if (m_thread.joinable())
        m_thread.join();
    return TakeDone();
}

void CFileAdder::Add(AddBatch batch)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.push_back(std::move(batch));
        if (!m_thread.joinable())
            m_thread = std::thread([this] { Work(); });
    }
    m_added.notify_one();
}

std::vector<AddBatch> CFileAdder::TakeDone()
{
    return TakeAll(m_mutex, m_done);
}

bool CFileAdder::Idle()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.empty() && !m_bBusy && m_done.empty();
}

void CFileAdder::Work()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;)
    {
        m_added.wait(lock, [this] { return m_bQuit || !m_waiting.empty(); });
        if (m_bQuit)
            return;
        AddBatch batch = std::move(m_waiting.front());
        m_waiting.pop_front();
        m_bBusy = true;
        lock.unlock();
        ResolveAddBatch(batch);
        lock.lock();
        m_bBusy = false;
        // Kept even when the owner is going: it deletes the frame files written.
        m_done.push_back(std::move(batch));
        if (!m_bQuit)
        {
            lock.unlock();
            m_notify();
            lock.lock();
        }
    }
}
