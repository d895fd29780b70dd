// File access by UTF-8 path, portable part.
#include "base/FileUtf8.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>

FILE *OpenFileUtf8(const char *path, const char *mode)
{
    return path && mode ? std::fopen(path, mode) : nullptr;
}

bool RemoveFileUtf8(const char *path)
{
    return path && std::remove(path) == 0;
}

bool RenameFileUtf8(const char *from, const char *to)
{
    return from && to && std::rename(from, to) == 0;
}

bool PathExistsUtf8(const char *path)
{
    struct stat st;
    return path && stat(path, &st) == 0;
}

bool SeekFile64(FILE *file, int64_t offset, int origin)
{
    return fseeko(file, static_cast<off_t>(offset), origin) == 0;
}

int64_t TellFile64(FILE *file)
{
    return static_cast<int64_t>(ftello(file));
}
#endif

int64_t FileSize64(FILE *file)
{
    if (!file || !SeekFile64(file, 0, SEEK_END))
        return -1;
    int64_t size = TellFile64(file);
    if (!SeekFile64(file, 0, SEEK_SET))
        return -1;
    return size;
}

bool CopyFileReplaceUtf8(const char *from, const char *to, std::string &error)
{
    std::string target = to ? to : "";
    FILE *in = OpenFileUtf8(from, "rb");
    if (!in)
    {
        error = std::string("cannot read ") + (from ? from : "") + ": " + std::strerror(errno);
        return false;
    }
    // A sibling name that no other copy uses at the same time.
    static std::atomic<unsigned> counter{0};
    std::string partial;
    FILE *out = nullptr;
    for (int attempt = 0; attempt < 100 && !out; ++attempt)
    {
        partial = target + ".part" + std::to_string(counter++);
        if (!PathExistsUtf8(partial.c_str()))
            out = OpenFileUtf8(partial.c_str(), "wb");
    }
    if (!out)
    {
        error = "cannot write " + target + ": " + std::strerror(errno);
        std::fclose(in);
        return false;
    }
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;)
    {
        size_t n = std::fread(buffer.data(), 1, buffer.size(), in);
        if (n > 0 && std::fwrite(buffer.data(), 1, n, out) != n)
        {
            ok = false;
            break;
        }
        if (n < buffer.size())
        {
            ok = !std::ferror(in);
            break;
        }
    }
    int savedErrno = errno;
    std::fclose(in);
    if (std::fflush(out) != 0)
        ok = false;
    if (std::fclose(out) != 0)
        ok = false;
    if (ok && !RenameFileUtf8(partial.c_str(), target.c_str()))
    {
        savedErrno = errno;
        ok = false;
    }
    if (!ok)
    {
        RemoveFileUtf8(partial.c_str());
        error = "cannot write " + target + ": " + std::strerror(savedErrno ? savedErrno : EIO);
    }
    return ok;
}
