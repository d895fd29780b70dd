// TakeAll: handing a worker's finished results to the thread that asks for them.
#pragma once

#include <mutex>
#include <vector>

// Everything in `done`, taken under `mutex`; `done` is left empty.
template <class T> std::vector<T> TakeAll(std::mutex &mutex, std::vector<T> &done)
{
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<T> taken;
    taken.swap(done);
    return taken;
}
