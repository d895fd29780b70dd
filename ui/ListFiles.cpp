// CBrivelleDlg: slide list files, the title, remembered settings, drops and the command line's files.
#include "ui/BrivelleDlg.h"

#include "base/Path.h"
#include "base/Utf8.h"
#include "build/DialogSettings.h"
#include "build/GifSplitter.h"
#include "build/SlideList.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <algorithm>

namespace
{
constexpr DWORD kListOpenOptions = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
constexpr DWORD kListSaveOptions = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
// Missing pictures named in one message; the rest are counted.
constexpr size_t kMaxNamedFiles = 20;

bool IsListFile(const std::wstring &path)
{
    return LowerExtensionOf(path) == L"txt";
}

bool IsFolder(const std::wstring &path)
{
    const DWORD dwAttributes = ::GetFileAttributesW(path.c_str());
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The files directly in a folder (subfolders are not entered), in natural name order: img2 before img10.
std::vector<std::wstring> FilesInFolder(const std::wstring &folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE hFind = ::FindFirstFileW(JoinPath(folder, L"*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
    {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
            names.push_back(data.cFileName);
    } while (::FindNextFileW(hFind, &data));
    ::FindClose(hFind);
    std::sort(names.begin(), names.end(),
              [](const std::wstring &a, const std::wstring &b) { return ::StrCmpLogicalW(a.c_str(), b.c_str()) < 0; });
    for (std::wstring &name : names)
        name = JoinPath(folder, name);
    return names;
}

// A frame slide's GIF and frame number, from the name messages give it ("C:\a\anim.gif, frame 2").
bool FrameOf(const ImageItem &slide, std::wstring &gifPath, int &nFrame)
{
    static const std::wstring kMark = L", frame ";
    const size_t nMark = slide.strOrigin.rfind(kMark);
    if (slide.strOrigin.empty() || nMark == std::wstring::npos)
        return false;
    const std::wstring number = slide.strOrigin.substr(nMark + kMark.size());
    if (number.empty() || number.size() > 6 || number.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    gifPath = slide.strOrigin.substr(0, nMark);
    nFrame = std::stoi(number);
    return true;
}

// The list's entries. The frames of an animated GIF live in temporary files, so a run of them (frame 0
// on, in order, with one address) is written as the GIF itself; a frame outside such a run cannot be.
// False with the 0-based index of that slide.
bool EntriesOf(const std::vector<ImageItem> &images, std::vector<SlideListEntry> &entries, size_t &nBadSlide)
{
    for (size_t i = 0; i < images.size();)
    {
        std::wstring gifPath;
        int nFrame = 0;
        if (!FrameOf(images[i], gifPath, nFrame))
        {
            entries.push_back(SlideListEntry{Utf8FromWide(images[i].FullPath()), images[i].strUrl, 0});
            ++i;
            continue;
        }
        if (nFrame != 0)
        {
            nBadSlide = i;
            return false;
        }
        size_t nEnd = i + 1;
        std::wstring nextGif;
        int nNext = 0;
        while (nEnd < images.size() && FrameOf(images[nEnd], nextGif, nNext) && nextGif == gifPath &&
               nNext == static_cast<int>(nEnd - i))
        {
            if (images[nEnd].strUrl != images[i].strUrl)
            {
                nBadSlide = nEnd;
                return false;
            }
            ++nEnd;
        }
        entries.push_back(SlideListEntry{Utf8FromWide(gifPath), images[i].strUrl, 0});
        i = nEnd;
    }
    return true;
}
} // namespace

bool CBrivelleDlg::ListCommandsEnabled()
{
    return ::IsWindowEnabled(GetDlgItem(IDC_BTN_ADD)) != FALSE;
}

bool CBrivelleDlg::HasUnsavedChanges() const
{
    return m_model.m_images != m_savedImages;
}

void CBrivelleDlg::UpdateTitle()
{
    if (m_strListPath.empty() && !HasUnsavedChanges())
    {
        ::SetWindowTextW(m_hWnd, m_strDialogCaption.c_str());
        return;
    }
    std::wstring title = m_strListPath.empty() ? UiString(UiText::Untitled, m_bEnglish) : FileNameOf(m_strListPath);
    if (HasUnsavedChanges())
        title += L"*";
    title += L" \x2014 " + m_strDialogCaption;
    ::SetWindowTextW(m_hWnd, title.c_str());
}

void CBrivelleDlg::OnOpenList()
{
    if (!ListCommandsEnabled() || (ListWouldBeLost() && !AskToSaveChanges()))
        return;
    std::vector<std::wstring> paths;
    if (!m_services.ShowOpenFileDialog(m_hWnd, UiString(UiText::ListFilter, m_bEnglish), kListOpenOptions, MAX_PATH,
                                       m_strListFolder, paths) ||
        paths.empty())
        return;
    m_strListFolder = FolderOf(paths[0]);
    OpenList(paths[0]);
}

void CBrivelleDlg::OnSaveList()
{
    if (m_strListPath.empty())
        OnSaveListAs();
    else
        SaveList(m_strListPath);
}

void CBrivelleDlg::OnSaveListAs()
{
    std::wstring path = m_strListPath.empty() ? m_strListFolder : m_strListPath;
    if (!m_services.ShowSaveFileDialog(m_hWnd, UiString(UiText::ListFilter, m_bEnglish), L"txt", kListSaveOptions,
                                       path))
        return;
    m_strListFolder = FolderOf(path);
    SaveList(path);
}

bool CBrivelleDlg::AskToSaveChanges()
{
    const std::wstring name =
        m_strListPath.empty() ? UiString(UiText::Untitled, m_bEnglish) : FileNameOf(m_strListPath);
    const int nAnswer =
        ShowMessageBox(FormatUiText(UiText::SaveChangesQuestion, m_bEnglish, {name}), MB_YESNOCANCEL | MB_ICONQUESTION);
    if (nAnswer == IDNO)
        return true;
    if (nAnswer != IDYES)
        return false;
    OnSaveList();
    return !HasUnsavedChanges();
}

bool CBrivelleDlg::OpenList(const std::wstring &path)
{
    std::vector<SlideListEntry> entries;
    SlideListProblem problem;
    if (!ReadSlideListFile(Utf8FromWide(path), entries, problem))
    {
        std::wstring reason;
        switch (problem.kind)
        {
        case SlideListProblem::kUtf16:
            reason = UiString(UiText::ListUtf16, m_bEnglish);
            break;
        case SlideListProblem::kNul:
            reason = FormatUiText(UiText::ListNulByte, m_bEnglish, {std::to_wstring(problem.nLine)});
            break;
        case SlideListProblem::kNoPath:
            reason = FormatUiText(UiText::ListAddressWithoutPicture, m_bEnglish, {std::to_wstring(problem.nLine)});
            break;
        default:
            reason = UiString(UiText::ListUnreadable, m_bEnglish);
            break;
        }
        ShowMessageBox(FormatUiText(UiText::ListNotOpened, m_bEnglish, {path, reason}), MB_OK | MB_ICONWARNING);
        return false;
    }

    const std::wstring tempFolder = FolderOf(m_services.TempFolder());
    std::vector<std::wstring> missing;
    m_bOpeningList = true;
    ChangeSlides([&] {
        std::vector<ImageItem> images;
        for (const SlideListEntry &entry : entries)
        {
            const std::wstring picture = WideFromUtf8(entry.strPath);
            const std::wstring folder = FolderOf(picture);
            const std::wstring name = FileNameOf(picture);
            // A missing picture stays in its place: the list is kept as written.
            if (!FileExists(picture))
                missing.push_back(picture);
            else if (LowerExtensionOf(name) == L"gif")
            {
                GifSplit split = SplitAnimatedGif(folder, name, tempFolder);
                if (split.bLoaded && split.slides.size() > 1)
                {
                    m_tempFrameFiles.insert(m_tempFrameFiles.end(), split.frameFiles.begin(), split.frameFiles.end());
                    for (ImageItem &frame : split.slides)
                    {
                        frame.strUrl = entry.strUrl;
                        images.push_back(frame);
                    }
                    continue;
                }
            }
            images.push_back(ImageItem{folder, name, entry.strUrl});
        }
        m_model.m_images.swap(images);
        m_model.m_nCurSel = 0;
        RebuildList();
        return true;
    });
    m_bOpeningList = false;
    m_strListPath = path;
    m_savedImages = m_model.m_images;
    UpdateTitle();

    if (!missing.empty())
    {
        std::wstring text = UiString(UiText::MissingListFiles, m_bEnglish);
        for (size_t i = 0; i < missing.size() && i < kMaxNamedFiles; ++i)
            text += (i > 0 ? L"\n" : L"") + missing[i];
        if (missing.size() > kMaxNamedFiles)
            text += FormatUiText(UiText::AndMore, m_bEnglish, {std::to_wstring(missing.size() - kMaxNamedFiles)});
        ShowMessageBox(text, MB_OK | MB_ICONWARNING);
    }
    return true;
}

bool CBrivelleDlg::SaveList(const std::wstring &path)
{
    // An address typed into the box belongs to the list being saved.
    CommitUrlEdit();
    std::vector<SlideListEntry> entries;
    size_t nBadSlide = 0;
    std::wstring reason;
    SlideListProblem problem;
    if (!EntriesOf(m_model.m_images, entries, nBadSlide))
        reason = FormatUiText(UiText::ListFramesApart, m_bEnglish, {std::to_wstring(nBadSlide + 1)});
    else if (!WriteSlideListFile(Utf8FromWide(path), entries, problem))
        reason = problem.kind == SlideListProblem::kUnwritable
                     ? FormatUiText(UiText::ListEntryUnwritable, m_bEnglish, {std::to_wstring(problem.nLine)})
                     : WideFromUtf8(problem.strDetail);
    if (!reason.empty())
    {
        ShowMessageBox(FormatUiText(UiText::ListNotSaved, m_bEnglish, {path, reason}), MB_OK | MB_ICONWARNING);
        return false;
    }
    m_strListPath = path;
    m_savedImages = m_model.m_images;
    UpdateTitle();
    return true;
}

void CBrivelleDlg::OnDropFiles(HDROP hDrop)
{
    std::vector<std::wstring> paths;
    const UINT nFiles = ::DragQueryFileW(hDrop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < nFiles; ++i)
    {
        const UINT nChars = ::DragQueryFileW(hDrop, i, nullptr, 0);
        std::wstring path(nChars + 1, L'\0');
        path.resize(::DragQueryFileW(hDrop, i, &path[0], nChars + 1));
        if (!path.empty())
            paths.push_back(path);
    }
    ::DragFinish(hDrop);
    OpenOrAddFiles(paths);
}

void CBrivelleDlg::SetStartupFiles(const std::vector<std::wstring> &files)
{
    m_startupFiles = files;
}

LRESULT CBrivelleDlg::OnOpenStartupFiles()
{
    std::vector<std::wstring> paths;
    for (const std::wstring &file : m_startupFiles)
    {
        wchar_t full[MAX_PATH * 4] = {};
        const DWORD nLength = ::GetFullPathNameW(file.c_str(), MAX_PATH * 4, full, nullptr);
        paths.push_back(nLength > 0 && nLength < MAX_PATH * 4 ? std::wstring(full, nLength) : file);
    }
    m_startupFiles.clear();
    OpenOrAddFiles(paths);
    return 0;
}

void CBrivelleDlg::OpenOrAddFiles(const std::vector<std::wstring> &paths)
{
    if (!ListCommandsEnabled() || paths.empty())
        return;
    if (paths.size() == 1 && IsListFile(paths[0]) && !IsFolder(paths[0]))
    {
        if (ListWouldBeLost() && !AskToSaveChanges())
            return;
        m_strListFolder = FolderOf(paths[0]);
        OpenList(paths[0]);
        return;
    }
    std::vector<std::wstring> files;
    for (const std::wstring &path : paths)
    {
        if (IsFolder(path))
        {
            const std::vector<std::wstring> inFolder = FilesInFolder(path);
            files.insert(files.end(), inFolder.begin(), inFolder.end());
        }
        else
        {
            files.push_back(path);
        }
    }
    ChangeSlides([this, &files] { return AddFiles(files); });
}

std::wstring CBrivelleDlg::SettingsPath()
{
    const std::wstring appData = m_services.AppDataFolder();
    return appData.empty() ? std::wstring() : JoinPath(JoinPath(appData, L"Brivelle"), L"Brivelle.ini");
}

void CBrivelleDlg::LoadSettings()
{
    const std::wstring path = SettingsPath();
    if (path.empty())
        return;
    const DialogSettings settings = LoadDialogSettings(Utf8FromWide(path));
    m_model.m_nWidth = settings.nWidth;
    m_model.m_nHeight = settings.nHeight;
    m_model.m_nFps = settings.nFps;
    m_model.m_nDelay = settings.nDelay;
    m_bStartFpsMode = settings.bFpsMode;
    m_strLastFolder = settings.strPictureFolder;
    m_strSaveFolder = settings.strSaveFolder;
    m_strListFolder = settings.strListFolder;
}

void CBrivelleDlg::SaveSettings()
{
    const std::wstring path = SettingsPath();
    if (path.empty())
        return;
    // What the boxes show counts, also when no movie was made with it; a value the data exchange would
    // refuse keeps the last accepted one.
    DialogSettings settings;
    settings.nWidth = m_model.m_nWidth;
    settings.nHeight = m_model.m_nHeight;
    settings.nFps = m_model.m_nFps;
    settings.nDelay = m_model.m_nDelay;
    TakeWholeNumber(Utf8FromWide(GetDlgItemText(IDC_EDIT_WIDTH)), kMinMovieSize, kMaxMovieSize, settings.nWidth);
    TakeWholeNumber(Utf8FromWide(GetDlgItemText(IDC_EDIT_HEIGHT)), kMinMovieSize, kMaxMovieSize, settings.nHeight);
    TakeWholeNumber(Utf8FromWide(GetDlgItemText(IDC_EDIT_FPS)), kMinTiming, kMaxTiming, settings.nFps);
    TakeWholeNumber(Utf8FromWide(GetDlgItemText(IDC_EDIT_DELAY)), kMinTiming, kMaxTiming, settings.nDelay);
    settings.bFpsMode = ::IsDlgButtonChecked(m_hWnd, IDC_RADIO_DELAY) != BST_CHECKED;
    settings.strPictureFolder = m_strLastFolder;
    settings.strSaveFolder = m_strSaveFolder;
    settings.strListFolder = m_strListFolder;
    // Nothing to tell a user who is leaving: the next run starts from the defaults.
    std::string error;
    SaveDialogSettings(Utf8FromWide(path), settings, error);
}
