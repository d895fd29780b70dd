// Whole-file reads and all-or-nothing writes over the UTF-8 file calls.
#include "imaging/FileBytes.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "base/FileUtf8.h"

namespace
{
std::string ErrnoText(int code)
{
    return std::strerror(code ? code : EIO);
}
} // namespace

bool ReadFileBytes(const char *pathUtf8, std::vector<uint8_t> &bytes, std::string &error)
{
    errno = 0;
    FILE *file = OpenFileUtf8(pathUtf8, "rb");
    if (!file)
    {
        error = "cannot open the file (" + ErrnoText(errno) + ")";
        bytes.clear();
        return false;
    }
    int64_t size = FileSize64(file);
    bool ok = true;
    if (size < 0)
    {
        error = "cannot read the file (" + ErrnoText(errno) + ")";
        ok = false;
    }
    else if (size > kMaxFileBytes)
    {
        error = "the file is too large (" + std::to_string(size) + " bytes; the limit is " +
                std::to_string(kMaxFileBytes) + ")";
        ok = false;
    }
    if (ok)
    {
        try
        {
            // Bytes already held are overwritten, not zero-filled first.
            bytes.resize(static_cast<size_t>(size));
        }
        catch (const std::bad_alloc &)
        {
            error = "not enough memory to read the file (" + std::to_string(size) + " bytes)";
            ok = false;
        }
    }
    if (ok && size > 0)
    {
        errno = 0;
        size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
        if (got != bytes.size())
        {
            error = "cannot read the file (" + ErrnoText(errno) + ")";
            ok = false;
        }
    }
    std::fclose(file);
    if (!ok)
        bytes.clear();
    return ok;
}

bool WriteFileReplacing(const char *pathUtf8, const uint8_t *data, size_t size, std::string &error)
{
    std::string target = pathUtf8 ? pathUtf8 : "";
    if (target.empty())
    {
        error = "no file name to write to";
        return false;
    }
    // A sibling name that no other write uses at the same time.
    static std::atomic<unsigned> counter{0};
    std::string partial;
    FILE *file = nullptr;
    int openErrno = 0;
    for (int attempt = 0; attempt < 100 && !file; ++attempt)
    {
        partial = target + ".part" + std::to_string(counter++);
        if (PathExistsUtf8(partial.c_str()))
            continue;
        errno = 0;
        file = OpenFileUtf8(partial.c_str(), "wb");
        openErrno = errno;
    }
    if (!file)
    {
        error = "cannot create the file (" + ErrnoText(openErrno) + ")";
        return false;
    }
    errno = 0;
    bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
    int savedErrno = errno;
    if (std::fflush(file) != 0 && ok)
    {
        ok = false;
        savedErrno = errno;
    }
    if (std::fclose(file) != 0 && ok)
    {
        ok = false;
        savedErrno = errno;
    }
    if (ok)
    {
        errno = 0;
        if (!RenameFileUtf8(partial.c_str(), target.c_str()))
        {
            ok = false;
            savedErrno = errno;
        }
    }
    if (!ok)
    {
        RemoveFileUtf8(partial.c_str());
        error = "cannot write the file (" + ErrnoText(savedErrno) + ")";
    }
    return ok;
}
