// Path splitting and joining.
#include "base/Path.h"

#include <cwctype>

namespace
{
#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

template <typename Text> size_t NameStart(const Text &path)
{
    for (size_t i = path.size(); i > 0; --i)
        if (IsPathSeparator(static_cast<wchar_t>(path[i - 1])))
            return i;
    return 0;
}

template <typename Text> Text Join(const Text &folder, const Text &name)
{
    if (folder.empty() || IsPathSeparator(static_cast<wchar_t>(folder.back())))
        return folder + name;
    return folder + static_cast<typename Text::value_type>(kSeparator) + name;
}
} // namespace

bool IsPathSeparator(wchar_t c)
{
#ifdef _WIN32
    return c == L'/' || c == L'\\';
#else
    return c == L'/';
#endif
}

std::string FolderOf(const std::string &path)
{
    return path.substr(0, NameStart(path));
}

std::wstring FolderOf(const std::wstring &path)
{
    return path.substr(0, NameStart(path));
}

std::string FileNameOf(const std::string &path)
{
    return path.substr(NameStart(path));
}

std::wstring FileNameOf(const std::wstring &path)
{
    return path.substr(NameStart(path));
}

std::wstring LowerExtensionOf(const std::wstring &path)
{
    const std::wstring name = FileNameOf(path);
    const size_t nDot = name.find_last_of(L'.');
    std::wstring extension = nDot == std::wstring::npos ? std::wstring() : name.substr(nDot + 1);
    for (wchar_t &c : extension)
        c = static_cast<wchar_t>(std::towlower(c));
    return extension;
}

std::string JoinPath(const std::string &folder, const std::string &name)
{
    return Join(folder, name);
}

std::wstring JoinPath(const std::wstring &folder, const std::wstring &name)
{
    return Join(folder, name);
}
