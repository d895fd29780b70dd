// The interruption clean-up list, and its signal thread on POSIX systems.
#include "base/InterruptCleanup.h"

#include "base/FileUtf8.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <pthread.h>
#include <thread>
#include <unistd.h>
#endif

namespace
{
struct CleanupList
{
    std::mutex mutex;
    std::vector<std::string> paths;
};

CleanupList &List()
{
    // Never destroyed: an interruption may come while the process is already ending.
    static CleanupList *const list = new CleanupList;
    return *list;
}

std::atomic<int> g_status{0};
} // namespace

bool CreateWithInterruptCleanup(const std::string &path, const std::function<bool()> &create)
{
    CleanupList &list = List();
    std::lock_guard<std::mutex> lock(list.mutex);
    if (!create())
        return false;
    list.paths.push_back(path);
    return true;
}

bool RetireWithInterruptCleanup(const std::string &path, const std::function<bool()> &retire)
{
    CleanupList &list = List();
    std::lock_guard<std::mutex> lock(list.mutex);
    auto found = std::find(list.paths.rbegin(), list.paths.rend(), path);
    if (found != list.paths.rend())
        list.paths.erase(std::next(found).base());
    return retire();
}

void RemoveInterruptCleanupPaths()
{
    CleanupList &list = List();
    std::lock_guard<std::mutex> lock(list.mutex);
    // Work still running may add a file to a folder while it is removed: try again a few times.
    for (const std::string &path : list.paths)
        for (int attempt = 0; attempt < 20 && !RemoveTreeUtf8(path.c_str()); ++attempt)
        {
        }
    list.paths.clear();
}

int InterruptStatus()
{
    return g_status.load();
}

void SetInterruptStatus(int status)
{
    g_status.store(status);
}

#ifndef _WIN32
namespace
{
sigset_t InterruptSignals()
{
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    return signals;
}
} // namespace

void InstallInterruptCleanup()
{
    // A reader that goes away gives a write error (EPIPE) to report, not a silent end that leaves files.
    std::signal(SIGPIPE, SIG_IGN);
    const sigset_t signals = InterruptSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        int signal = 0;
        while (sigwait(&signals, &signal) != 0)
        {
        }
        SetInterruptStatus(128 + signal);
        RemoveInterruptCleanupPaths();
        _exit(128 + signal);
    }).detach();
}
#endif
