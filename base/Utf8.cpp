// UTF-8 and wide strings, without the platform's code pages.
#include "base/Utf8.h"

#include <cstdint>

namespace
{
const char32_t kReplacement = 0xFFFD;

void AppendWide(std::wstring &out, char32_t cp)
{
    if (sizeof(wchar_t) == 2 && cp >= 0x10000)
    {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    }
    else
        out.push_back(static_cast<wchar_t>(cp));
}

void AppendUtf8(std::string &out, char32_t cp)
{
    if (cp < 0x80)
        out.push_back(static_cast<char>(cp));
    else if (cp < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else if (cp < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}
} // namespace

std::wstring WideFromUtf8(const std::string &text)
{
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0, n = text.size();
    while (i < n)
    {
        uint8_t lead = static_cast<uint8_t>(text[i]);
        int extra = lead < 0x80 ? 0 : (lead & 0xE0) == 0xC0 ? 1 : (lead & 0xF0) == 0xE0 ? 2 : (lead & 0xF8) == 0xF0 ? 3 : -1;
        // A stray continuation byte, an invalid lead byte or a sequence cut off by the end.
        if (extra < 0 || i + static_cast<size_t>(extra) >= n)
        {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        char32_t cp = extra == 0 ? lead : extra == 1 ? (lead & 0x1F) : extra == 2 ? (lead & 0x0F) : (lead & 0x07);
        bool ok = true;
        for (int k = 1; k <= extra; ++k)
        {
            uint8_t c = static_cast<uint8_t>(text[i + k]);
            if ((c & 0xC0) != 0x80)
            {
                ok = false;
                break;
            }
            cp = (cp << 6) | (c & 0x3F);
        }
        static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < minimum[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        AppendWide(out, cp);
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

std::string Utf8FromWide(const std::wstring &text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        char32_t cp = static_cast<char32_t>(text[i]);
        if (sizeof(wchar_t) == 2)
        {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size())
            {
                char32_t low = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF)
                {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
            cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}
