// Host names to IDNA with the system's IdnToAscii.
#include "base/Idna.h"

#include "base/Utf8.h"

#include <windows.h>

bool HostToAscii(const std::string &host, std::string &ascii)
{
    const std::wstring wide = WideFromUtf8(host);
    if (wide.empty())
        return false;
    const int length = IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0);
    if (length <= 0)
        return false;
    std::wstring result(static_cast<size_t>(length), L'\0');
    if (IdnToAscii(0, wide.c_str(), static_cast<int>(wide.size()), &result[0], length) != length)
        return false;
    ascii = Utf8FromWide(result);
    return true;
}
