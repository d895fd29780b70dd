// All-or-nothing file writes.
#include "base/FileReplacement.h"

#include "base/FileUtf8.h"
#include "base/InterruptCleanup.h"

#include <atomic>
#include <cerrno>
#include <vector>

void CFileReplacement::FileCloser::operator()(FILE *file) const
{
    std::fclose(file);
}

CFileReplacement::~CFileReplacement()
{
    Discard();
}

void CFileReplacement::Discard()
{
    m_pFile.reset();
    if (!m_strPartial.empty())
        RetireWithInterruptCleanup(m_strPartial, [&] { return RemoveFileUtf8(m_strPartial.c_str()); });
    m_strPartial.clear();
}

bool CFileReplacement::Open(const std::string &target, std::string &error)
{
    Discard();
    m_strTarget = target;
    if (target.empty())
    {
        error = "no file name";
        return false;
    }
    if (PathExistsUtf8(target.c_str()) && !IsWritableUtf8(target.c_str()))
    {
        error = "the file is read-only";
        return false;
    }
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        const std::string partial = target + ".part" + std::to_string(counter++);
        errno = 0;
        FILE *file = nullptr;
        if (CreateWithInterruptCleanup(partial, [&] { return (file = CreateNewFileUtf8(partial.c_str())) != nullptr; }))
        {
            m_pFile.reset(file);
            m_strPartial = partial;
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    error = ErrnoText(errno);
    return false;
}

bool CFileReplacement::Commit(std::string &error)
{
    if (!m_pFile)
    {
        error = "no file is open";
        return false;
    }
    errno = 0;
    bool ok = std::fflush(m_pFile.get()) == 0 && !std::ferror(m_pFile.get());
    int code = errno;
    CopyPermissionsUtf8(m_strTarget.c_str(), m_pFile.get());
    if (std::fclose(m_pFile.release()) != 0 && ok)
    {
        ok = false;
        code = errno;
    }
    if (ok)
    {
        errno = 0;
        ok = RetireWithInterruptCleanup(m_strPartial,
                                        [&] { return RenameFileUtf8(m_strPartial.c_str(), m_strTarget.c_str()); });
        code = errno;
        if (ok)
            m_strPartial.clear();
    }
    if (!ok)
    {
        Discard();
        error = ErrnoText(code);
    }
    return ok;
}

bool WriteFileReplacingUtf8(const char *path, const void *data, size_t size, std::string &error)
{
    CFileReplacement file;
    if (!file.Open(path ? path : "", error))
        return false;
    errno = 0;
    if (size && std::fwrite(data, 1, size, file.File()) != size)
    {
        error = ErrnoText(errno);
        return false;
    }
    return file.Commit(error);
}

bool CopyStreamBytes(FILE *from, FILE *to)
{
    std::vector<char> buffer(1 << 16);
    for (;;)
    {
        if (InterruptStatus())
        {
            errno = EINTR;
            return false;
        }
        errno = 0;
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), from);
        if (n > 0 && std::fwrite(buffer.data(), 1, n, to) != n)
            return false;
        if (n < buffer.size())
            return !std::ferror(from);
    }
}

bool CopyFileReplaceUtf8(const char *from, const char *to, std::string &error)
{
    const std::string target = to ? to : "";
    errno = 0;
    std::unique_ptr<FILE, int (*)(FILE *)> in(OpenFileUtf8(from, "rb"), std::fclose);
    if (!in)
    {
        error = std::string("cannot read ") + (from ? from : "") + ": " + ErrnoText(errno);
        return false;
    }
    CFileReplacement out;
    std::string reason;
    bool ok = out.Open(target, reason);
    if (ok && !CopyStreamBytes(in.get(), out.File()))
    {
        reason = ErrnoText(errno);
        ok = false;
    }
    if (ok)
        ok = out.Commit(reason);
    if (!ok)
        error = "cannot write " + target + ": " + reason;
    return ok;
}
