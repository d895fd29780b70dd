// Where the running program lives, on Linux: the link /proc/self/exe.
#include "base/ProgramPath.h"

#include <unistd.h>

#include <vector>

std::string ProgramPathUtf8()
{
    for (size_t size = 256; size <= (1u << 20); size *= 4)
    {
        std::vector<char> buffer(size);
        ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n <= 0)
            return std::string();
        if (static_cast<size_t>(n) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(n));
    }
    return std::string();
}
