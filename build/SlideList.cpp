// Reading and writing slide list files.
#include "build/SlideList.h"

#include "base/FileReplacement.h"
#include "base/FileUtf8.h"
#include "base/Path.h"
#include "base/Utf8.h"

#include <cerrno>
#include <filesystem>

namespace
{
bool HasLineBreakOrTab(const std::string &text)
{
    return text.find_first_of("\t\r\n") != std::string::npos;
}

// Folder names compare as the file system does: without regard to ASCII letter case on Windows.
bool SameFolderText(const std::string &a, const std::string &b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
    {
        char ca = a[i];
        char cb = b[i];
#ifdef _WIN32
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<char>(cb - 'A' + 'a');
        if (ca == '/')
            ca = '\\';
        if (cb == '/')
            cb = '\\';
#endif
        if (ca != cb)
            return false;
    }
    return true;
}

// The path as the list stores it: relative when it lies in the list's folder or below.
std::string StoredPath(const std::string &listFolder, const std::string &path)
{
    if (listFolder.empty() || path.size() <= listFolder.size() ||
        !SameFolderText(path.substr(0, listFolder.size()), listFolder))
        return path;
    return path.substr(listFolder.size());
}
} // namespace

bool ReadSlideListFile(const std::string &listPath, std::vector<SlideListEntry> &entries, SlideListProblem &problem)
{
    problem = SlideListProblem();
    errno = 0;
    FILE *file = OpenFileUtf8(listPath.c_str(), "rb");
    if (!file)
    {
        problem.kind = SlideListProblem::kOpen;
        problem.nErrno = errno;
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, n);
    const bool bReadError = std::ferror(file) != 0;
    std::fclose(file);
    if (bReadError)
    {
        problem.kind = SlideListProblem::kRead;
        return false;
    }
    if (text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0)
    {
        problem.kind = SlideListProblem::kUtf16;
        return false;
    }
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
        text.erase(0, 3);

    namespace fs = std::filesystem;
    const fs::path base = fs::u8path(listPath).parent_path();
    std::vector<SlideListEntry> read;
    size_t start = 0;
    int nLine = 0;
    while (start < text.size())
    {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        ++nLine;
        if (line.find('\0') != std::string::npos)
        {
            problem.kind = SlideListProblem::kNul;
            problem.nLine = nLine;
            return false;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        SlideListEntry entry;
        const size_t nTab = line.find('\t');
        entry.strPath = line.substr(0, nTab);
        if (nTab != std::string::npos)
            entry.strUrl = WideFromUtf8(line.substr(nTab + 1));
        if (entry.strPath.empty())
        {
            problem.kind = SlideListProblem::kNoPath;
            problem.nLine = nLine;
            return false;
        }
        const fs::path path = fs::u8path(entry.strPath);
        if (path.is_relative() && !base.empty())
        {
            const auto u8 = (base / path).u8string();
            entry.strPath.assign(u8.begin(), u8.end());
        }
        entry.nLine = nLine;
        read.push_back(std::move(entry));
    }
    entries.insert(entries.end(), read.begin(), read.end());
    return true;
}

bool FormatSlideList(const std::string &listPath, const std::vector<SlideListEntry> &entries, std::string &text,
                     SlideListProblem &problem)
{
    problem = SlideListProblem();
    const std::string listFolder = FolderOf(listPath);
    std::string out;
    for (size_t i = 0; i < entries.size(); ++i)
    {
        const std::string url = Utf8FromWide(entries[i].strUrl);
        if (entries[i].strPath.empty() || HasLineBreakOrTab(entries[i].strPath) || HasLineBreakOrTab(url))
        {
            problem.kind = SlideListProblem::kUnwritable;
            problem.nLine = static_cast<int>(i) + 1;
            return false;
        }
        out += StoredPath(listFolder, entries[i].strPath);
        if (!url.empty())
            out += "\t" + url;
        out += kTextLineEnd;
    }
    text.swap(out);
    return true;
}

bool WriteSlideListFile(const std::string &listPath, const std::vector<SlideListEntry> &entries,
                        SlideListProblem &problem)
{
    std::string text;
    if (!FormatSlideList(listPath, entries, text, problem))
        return false;
    std::string error;
    if (!WriteFileReplacingUtf8(listPath.c_str(), text.data(), text.size(), error))
    {
        problem.kind = SlideListProblem::kWrite;
        problem.strDetail = error;
        return false;
    }
    return true;
}

std::string SlideListProblemText(const std::string &listPath, const SlideListProblem &problem)
{
    const std::string line = listPath + ", line " + std::to_string(problem.nLine);
    switch (problem.kind)
    {
    case SlideListProblem::kNone:
        break;
    case SlideListProblem::kOpen:
        return listPath + ": " + ErrnoText(problem.nErrno);
    case SlideListProblem::kRead:
        return listPath + ": read error";
    case SlideListProblem::kWrite:
        return listPath + ": " + problem.strDetail;
    case SlideListProblem::kUtf16:
        return listPath + ": the list is UTF-16 text; save it as UTF-8";
    case SlideListProblem::kNul:
        return line + ": a NUL byte (is the list UTF-16? save it as UTF-8)";
    case SlideListProblem::kNoPath:
        return line + ": an address but no image";
    case SlideListProblem::kUnwritable:
        return listPath + ", slide " + std::to_string(problem.nLine) +
               ": a tab or a line break in its path or address cannot be written to a list";
    }
    return std::string();
}
