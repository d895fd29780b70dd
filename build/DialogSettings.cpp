// Reading and writing the dialog's settings file.
#include "build/DialogSettings.h"

#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/Path.h"
#include "base/Utf8.h"
#include "build/SlideModel.h"

#include <cerrno>
#include <cstdlib>

namespace
{
constexpr const char *kSection = "[Brivelle]";
// A file larger than this is not ours.
constexpr long long kMaxFileBytes = 1 << 20;
// Longest folder kept: the longest path Windows accepts.
constexpr size_t kMaxFolderChars = 32767;

std::string Trimmed(const std::string &text)
{
    const size_t nFirst = text.find_first_not_of(" \t\r");
    if (nFirst == std::string::npos)
        return std::string();
    const size_t nLast = text.find_last_not_of(" \t\r");
    return text.substr(nFirst, nLast - nFirst + 1);
}

void TakeFolder(const std::string &value, std::wstring &target)
{
    if (value.empty() || value.size() > kMaxFolderChars)
        return;
    for (unsigned char c : value)
    {
        if (c < 0x20)
            return;
    }
    const std::wstring folder = WideFromUtf8(value);
    // Ill-formed UTF-8 is a damaged value, not a folder name.
    if (folder.find(L'\xFFFD') != std::wstring::npos)
        return;
    target = folder;
}
} // namespace

void TakeWholeNumber(const std::string &text, int nLow, int nHigh, int &nTarget)
{
    const std::string value = Trimmed(text);
    if (value.empty() || value.size() > 9 || value.find_first_not_of("0123456789") != std::string::npos)
        return;
    const long n = std::strtol(value.c_str(), nullptr, 10);
    if (n >= nLow && n <= nHigh)
        nTarget = static_cast<int>(n);
}

void ParseDialogSettings(const std::string &text, DialogSettings &settings)
{
    size_t nStart = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    bool bInSection = false;
    while (nStart < text.size())
    {
        size_t nEnd = text.find('\n', nStart);
        if (nEnd == std::string::npos)
            nEnd = text.size();
        const std::string line = Trimmed(text.substr(nStart, nEnd - nStart));
        nStart = nEnd + 1;
        if (!line.empty() && line[0] == '[')
        {
            bInSection = line == kSection;
            continue;
        }
        const size_t nEquals = line.find('=');
        if (!bInSection || nEquals == std::string::npos)
            continue;
        const std::string key = Trimmed(line.substr(0, nEquals));
        const std::string value = Trimmed(line.substr(nEquals + 1));
        if (key == "Width")
            TakeWholeNumber(value, kMinMovieSize, kMaxMovieSize, settings.nWidth);
        else if (key == "Height")
            TakeWholeNumber(value, kMinMovieSize, kMaxMovieSize, settings.nHeight);
        else if (key == "Fps")
            TakeWholeNumber(value, kMinTiming, kMaxTiming, settings.nFps);
        else if (key == "Delay")
            TakeWholeNumber(value, kMinTiming, kMaxTiming, settings.nDelay);
        else if (key == "Timing" && (value == "fps" || value == "delay"))
            settings.bFpsMode = value == "fps";
        else if (key == "PictureFolder")
            TakeFolder(value, settings.strPictureFolder);
        else if (key == "SaveFolder")
            TakeFolder(value, settings.strSaveFolder);
        else if (key == "ListFolder")
            TakeFolder(value, settings.strListFolder);
    }
}

std::string FormatDialogSettings(const DialogSettings &settings)
{
    std::string text = std::string(kSection) + kTextLineEnd;
    const auto line = [&text](const char *key, const std::string &value) {
        text += std::string(key) + "=" + value + kTextLineEnd;
    };
    line("Width", std::to_string(settings.nWidth));
    line("Height", std::to_string(settings.nHeight));
    line("Timing", settings.bFpsMode ? "fps" : "delay");
    line("Fps", std::to_string(settings.nFps));
    line("Delay", std::to_string(settings.nDelay));
    // Folders with a line break could not be read back; they are left out.
    const auto folder = [&line](const char *key, const std::wstring &value) {
        const std::string utf8 = Utf8FromWide(value);
        if (!value.empty() && utf8.find_first_of("\r\n") == std::string::npos)
            line(key, utf8);
    };
    folder("PictureFolder", settings.strPictureFolder);
    folder("SaveFolder", settings.strSaveFolder);
    folder("ListFolder", settings.strListFolder);
    return text;
}

DialogSettings LoadDialogSettings(const std::string &path)
{
    DialogSettings settings;
    FILE *file = OpenFileUtf8(path.c_str(), "rb");
    if (file == nullptr)
        return settings;
    const long long nSize = FileSize64(file);
    std::string text;
    if (nSize > 0 && nSize <= kMaxFileBytes)
    {
        text.resize(static_cast<size_t>(nSize));
        if (std::fread(&text[0], 1, text.size(), file) != text.size())
            text.clear();
    }
    std::fclose(file);
    ParseDialogSettings(text, settings);
    return settings;
}

bool SaveDialogSettings(const std::string &path, const DialogSettings &settings, std::string &error)
{
    std::string folder = FolderOf(path);
    while (folder.size() > 1 && IsPathSeparator(static_cast<wchar_t>(folder.back())))
        folder.pop_back();
    if (!folder.empty() && GetFileKindUtf8(folder.c_str()) == FileKind::kMissing &&
        !MakePrivateFolderUtf8(folder.c_str()) && errno != EEXIST)
    {
        error = folder + ": " + ErrnoText(errno);
        return false;
    }
    const std::string text = FormatDialogSettings(settings);
    return WriteFileReplacingUtf8(path.c_str(), text.data(), text.size(), error);
}
