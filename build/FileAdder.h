// Files being added to the slide list: animated GIFs split into frame files on a worker thread.
#pragma once

#include "build/ImageItem.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The files of one add command, in the order they were chosen, and the slides they became.
struct AddBatch
{
    std::vector<std::wstring> paths; // files with an accepted extension
    std::wstring tempFolder;         // where frame files go; ends with a separator
    std::vector<ImageItem> slides;
    std::vector<std::wstring> frameFiles; // written, for deletion when the window closes
};

// Makes the batch's slides: a GIF becomes one slide per frame (nothing when it cannot be read), any other
// file one slide.
void ResolveAddBatch(AddBatch &batch);

// Resolves batches on one worker thread, in the order they were given, and keeps them until taken.
// `notify` runs on the worker when a batch is done (it posts a message).
class CFileAdder
{
  public:
    explicit CFileAdder(std::function<void()> notify);
    ~CFileAdder();
    CFileAdder(const CFileAdder &) = delete;
    CFileAdder &operator=(const CFileAdder &) = delete;

    void Add(AddBatch batch);
    // The batches done, oldest first.
    std::vector<AddBatch> TakeDone();
    // Finishes the batch in hand, drops those not begun and hands over the batches done (their frame
    // files exist).
    std::vector<AddBatch> Close();
    // Nothing given that has not been taken.
    bool Idle();

  private:
    void Work();

    std::function<void()> m_notify;
    std::mutex m_mutex;
    std::condition_variable m_added;
    std::deque<AddBatch> m_waiting;
    std::vector<AddBatch> m_done;
    bool m_bBusy = false;
    bool m_bQuit = false;
    std::thread m_thread;
};
