// CBuildWorker: one movie build on a thread of its own, reporting to the window that started it.
#include "ui/BuildWorker.h"

#include <exception>
#include <new>
#include <utility>

CBuildWorker::CBuildWorker(BuildJob job, std::function<void()> notifyProgress, std::function<void()> notifyDone)
    : m_job(std::move(job)), m_notifyProgress(std::move(notifyProgress)), m_notifyDone(std::move(notifyDone))
{
    m_uTotal = m_job.slides.size();
    m_job.progress = [this](size_t uDone, size_t uTotal) {
        m_uDone = uDone;
        m_uTotal = uTotal;
        // One message at a time: the owner reads the latest figures when it gets to it.
        if (!m_bProgressPending.exchange(true))
            m_notifyProgress();
    };
    m_job.stop = [this] { return m_bStop.load(); };
    m_thread = std::thread([this] { Run(); });
}

CBuildWorker::~CBuildWorker()
{
    Stop();
    if (m_thread.joinable())
        m_thread.join();
}

void CBuildWorker::Stop()
{
    m_bStop = true;
}

void CBuildWorker::Progress(size_t &uDone, size_t &uTotal)
{
    m_bProgressPending = false;
    uDone = m_uDone;
    uTotal = m_uTotal;
}

BuildReport CBuildWorker::Finish()
{
    if (m_thread.joinable())
        m_thread.join();
    return std::move(m_report);
}

void CBuildWorker::Run()
{
    try
    {
        m_report = BuildMovieFile(m_job);
    }
    catch (const std::bad_alloc &)
    {
        m_report = BuildReport();
        m_report.strError = "not enough memory to build the movie";
    }
    catch (const std::exception &e)
    {
        m_report = BuildReport();
        m_report.strError = e.what();
    }
    m_bFinished = true;
    m_notifyDone();
}
