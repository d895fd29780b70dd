// CBuildWorker: one movie build on a thread of its own, reporting to the window that started it.
#pragma once

#include "build/MovieBuilder.h"

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <thread>

// Runs BuildMovieFile on a worker thread. The worker never touches a window: it calls `notifyProgress`
// when progress changed (once until the owner reads it) and `notifyDone` when the run has ended, both of
// which post a message; the owner's thread then reads Progress() or takes the report with Finish(). Destroying the
// worker stops the run and waits for it.
class CBuildWorker
{
  public:
    CBuildWorker(BuildJob job, std::function<void()> notifyProgress, std::function<void()> notifyDone);
    ~CBuildWorker();
    CBuildWorker(const CBuildWorker &) = delete;
    CBuildWorker &operator=(const CBuildWorker &) = delete;

    // Asks the run to stop after the slide it is writing; the output is left as it was.
    void Stop();
    bool StopRequested() const
    {
        return m_bStop.load();
    }
    // Slides written so far, of all. Also lets the next progress change notify again.
    void Progress(size_t &uDone, size_t &uTotal);
    bool Finished() const
    {
        return m_bFinished.load();
    }
    // Waits for the run to end and hands over its report.
    BuildReport Finish();

  private:
    void Run();

    BuildJob m_job;
    std::function<void()> m_notifyProgress;
    std::function<void()> m_notifyDone;
    BuildReport m_report;
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bFinished{false};
    std::atomic<bool> m_bProgressPending{false};
    std::atomic<size_t> m_uDone{0};
    std::atomic<size_t> m_uTotal{0};
    std::thread m_thread;
};

// Where a build's movie goes, kept by the dialog for the end of the run.
struct BuildTarget
{
    std::wstring chosenPath; // as the Save As dialog gave it: the movie, or a web page beside it
    std::wstring outputPath; // the movie
    std::wstring tempMovie;  // written first; the preview plays it
    std::string playerFolder;
    bool bWebPage = false;
    int nWidth = 0;
    int nHeight = 0;
};

struct ITaskbarList3;

// The build's progress on the taskbar button (Windows 7 and later); does nothing where that is missing.
class CTaskbarProgress
{
  public:
    void Start(HWND hWnd);
    void Set(size_t uDone, size_t uTotal);
    void End();

  private:
    struct Release
    {
        void operator()(ITaskbarList3 *pTaskbar) const;
    };
    HWND m_hWnd = nullptr;
    std::unique_ptr<ITaskbarList3, Release> m_pTaskbar;
};
