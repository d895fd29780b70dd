// Whole-file reads and all-or-nothing writes over the UTF-8 file calls.
#include "imaging/FileBytes.h"

#include <cerrno>
#include <cstdio>
#include <new>

#include "base/FileReplacement.h"
#include "base/FileUtf8.h"

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

bool ReadFilePrefix(const char *pathUtf8, size_t count, std::vector<uint8_t> &bytes, std::string &error)
{
    errno = 0;
    FILE *file = OpenFileUtf8(pathUtf8, "rb");
    if (!file)
    {
        error = "cannot open the file (" + ErrnoText(errno) + ")";
        return false;
    }
    bytes.resize(count);
    errno = 0;
    bytes.resize(std::fread(bytes.data(), 1, count, file));
    bool ok = !std::ferror(file);
    if (!ok)
        error = "cannot read the file (" + ErrnoText(errno) + ")";
    std::fclose(file);
    return ok;
}

bool WriteFileReplacing(const char *pathUtf8, const uint8_t *data, size_t size, std::string &error)
{
    std::string reason;
    if (WriteFileReplacingUtf8(pathUtf8, data, size, reason))
        return true;
    error = "cannot write the file (" + reason + ")";
    return false;
}
