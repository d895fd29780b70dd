// Where the running program lives, on Windows: the module file name of the executable.
#include "base/ProgramPath.h"

#include "base/Utf8.h"

#include <windows.h>

std::string ProgramPathUtf8()
{
    for (DWORD size = MAX_PATH; size <= 32768 * 2; size *= 2)
    {
        std::wstring buffer(size, L'\0');
        DWORD n = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (n == 0)
            return std::string();
        if (n < size)
        {
            buffer.resize(n);
            return Utf8FromWide(buffer);
        }
    }
    return std::string();
}
