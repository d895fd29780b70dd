// Private temporary folders.
#include "base/PrivateFolder.h"

#include "base/FileUtf8.h"
#include "base/InterruptCleanup.h"
#include "base/Path.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <random>

namespace
{
std::string CandidateName(const std::string &parent, const std::string &prefix)
{
    static std::atomic<unsigned> counter{0};
    static thread_local std::mt19937 random(
        static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^ (counter++ * 2654435761u));
    return JoinPath(parent, prefix + std::to_string(random() % 100000000u));
}

bool MakeFolder(const std::string &parent, const std::string &prefix, std::string &path, std::string &error,
                bool cleanUpOnInterrupt)
{
    if (parent.empty())
    {
        error = "no folder given";
        return false;
    }
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const std::string candidate = CandidateName(parent, prefix);
        auto make = [&] { return MakePrivateFolderUtf8(candidate.c_str()); };
        errno = 0;
        if (cleanUpOnInterrupt ? CreateWithInterruptCleanup(candidate, make) : make())
        {
            path = JoinPath(candidate, std::string());
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = ErrnoText(errno);
    return false;
}
} // namespace

bool MakePrivateFolder(const std::string &parent, const std::string &prefix, std::string &path, std::string &error)
{
    return MakeFolder(parent, prefix, path, error, false);
}

bool CPrivateFolder::Create(const std::string &parent, const std::string &prefix, std::string &error)
{
    return m_strPath.empty() && MakeFolder(parent, prefix, m_strPath, error, true);
}

CPrivateFolder::~CPrivateFolder()
{
    if (m_strPath.empty())
        return;
    const std::string folder = m_strPath.substr(0, m_strPath.size() - 1);
    RetireWithInterruptCleanup(folder, [&] { return RemoveTreeUtf8(folder.c_str()); });
}
