// CBrivelleDlg: the slide list commands: add, delete, move, remove all, and the list's click and keys.
#include "ui/BrivelleDlg.h"

#include "base/Path.h"
#include "build/GifSplitter.h"

#include <commdlg.h>

#include <cwctype>

namespace
{
// The Open dialog's filter, its options (multiple selection, no read-only box, overwrite prompt) and
// its name buffer: 1024 names of up to 260 characters with their terminators, and one more.
const wchar_t kImageFilter[] =
    L"Image file (*.bmp;*.jpg;*.gif;*.tif;*.png)|*.bmp;*.jpg;*.gif;*.tif;*.png|all Files (*.*)|*.*||";
constexpr DWORD kOpenOptions = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr size_t kOpenBufferChars = 267265;

std::wstring Lower(std::wstring text)
{
    for (wchar_t &c : text)
        c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The last four characters of a file name, in lower case; empty for shorter names.
std::wstring ExtensionOf(const std::wstring &fileName)
{
    return fileName.size() < 4 ? std::wstring() : Lower(fileName.substr(fileName.size() - 4));
}

bool IsAcceptedExtension(const std::wstring &extension)
{
    for (const wchar_t *pszAccepted : {L".bmp", L".jpg", L".gif", L".tif", L".png"})
    {
        if (extension == pszAccepted)
            return true;
    }
    return false;
}
} // namespace

void CBrivelleDlg::CommitUrlEdit()
{
    m_model.CommitUrlEdit(GetDlgItemText(IDC_EDIT_URL));
}

void CBrivelleDlg::ShowSlideUrl()
{
    std::wstring text;
    if (m_model.ShowSlideUrl(text))
        SetDlgItemText(IDC_EDIT_URL, text);
}

void CBrivelleDlg::SelectItem(int nItem)
{
    m_list.SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CBrivelleDlg::OnAddImages()
{
    const std::wstring tempFolder = FolderOf(m_services.TempFolder());
    const size_t nOldCount = m_model.m_images.size();

    wchar_t savedDirectory[256] = {};
    const DWORD nDirectoryLength = ::GetCurrentDirectoryW(256, savedDirectory);

    std::vector<std::wstring> paths;
    HWND hOwner = AfxGetMainWnd() != nullptr ? AfxGetMainWnd()->m_hWnd : m_hWnd;
    if (m_services.ShowOpenFileDialog(hOwner, kImageFilter, kOpenOptions, kOpenBufferChars, paths))
    {
        for (const std::wstring &path : paths)
        {
            const std::wstring folder = FolderOf(path);
            const std::wstring fileName = FileNameOf(path);
            const std::wstring extension = ExtensionOf(fileName);
            if (!IsAcceptedExtension(extension))
                continue;
            if (extension != L".gif")
            {
                m_model.m_images.push_back(ImageItem{folder, fileName, std::wstring()});
                continue;
            }
            // An animation becomes one slide per frame; a GIF that cannot be read adds nothing.
            GifSplit split = SplitAnimatedGif(folder, fileName, tempFolder);
            if (!split.bLoaded)
                continue;
            m_tempFrameFiles.insert(m_tempFrameFiles.end(), split.frameFiles.begin(), split.frameFiles.end());
            m_model.m_images.insert(m_model.m_images.end(), split.slides.begin(), split.slides.end());
        }

        m_list.SetRedraw(false);
        for (size_t i = nOldCount; i < m_model.m_images.size(); ++i)
        {
            AddThumbnail(static_cast<int>(i));
            InsertSlideItem(static_cast<int>(i));
        }
        m_list.SetRedraw(true);
        m_list.Invalidate();
    }

    if (m_model.m_images.size() > nOldCount)
    {
        m_model.m_nCurSel = static_cast<int>(nOldCount);
        SelectItem(m_model.m_nCurSel);
        // The first focused item makes Wine's list measure its items and arrange them in its own
        // grid; the row of thumbnails is put back in place.
        PlaceItems();
        m_list.EnsureVisible(m_model.m_nCurSel, true);
        DrawCurrentImage();
        m_list.SetFocus();
        // The Open dialog may have moved the process's current directory.
        if (nDirectoryLength > 0 && nDirectoryLength < 256)
            ::SetCurrentDirectoryW(savedDirectory);
    }
}

void CBrivelleDlg::PlaceItems()
{
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        POINT pt{};
        m_list.GetItemPosition(i, pt);
        if (pt.x != ItemLeft(i))
        {
            pt.x = ItemLeft(i);
            m_list.SetItemPosition(i, pt);
        }
    }
}

void CBrivelleDlg::OnDeleteImage()
{
    const int nCurSel = m_model.m_nCurSel;
    if (m_list.GetItemCount() == 0 || nCurSel < 0 || nCurSel >= static_cast<int>(m_model.m_images.size()))
        return;

    m_list.SetRedraw(false);
    m_imageList.Remove(nCurSel);
    m_list.DeleteItem(nCurSel);
    m_model.m_images.erase(m_model.m_images.begin() + nCurSel);

    // Item positions follow their indexes, so the remaining items are laid out afresh.
    if (m_list.GetItemCount() > 0)
        m_list.DeleteAllItems();
    for (size_t i = 0; i < m_model.m_images.size(); ++i)
        InsertSlideItem(static_cast<int>(i));

    const int nRemaining = static_cast<int>(m_model.m_images.size());
    if (nRemaining == 0)
    {
        m_list.SetRedraw(true);
        m_list.Invalidate();
        ClearImageArea();
        return;
    }
    if (m_model.m_nCurSel >= nRemaining - 1)
        m_model.m_nCurSel = 0;
    SelectItem(m_model.m_nCurSel);
    m_list.EnsureVisible(m_model.m_nCurSel, true);
    DrawCurrentImage();
    m_list.SetRedraw(true);
    m_list.Invalidate();
}

void CBrivelleDlg::OnMoveLeft()
{
    MoveCurrent(true);
}

void CBrivelleDlg::OnMoveRight()
{
    MoveCurrent(false);
}

void CBrivelleDlg::MoveCurrent(bool bLeft)
{
    const int k = m_model.m_nCurSel;
    const int n = static_cast<int>(m_model.m_images.size());
    if (k < 0 || k >= n)
        return;
    // The ends wrap: the first slide moves left onto the last, the last right onto the first.
    int t = 0;
    if (bLeft)
        t = k >= 1 ? k - 1 : n - 1;
    else
        t = k < n - 1 ? k + 1 : 0;

    SwapThumbnails(t, k);
    m_list.SetRedraw(true);
    SelectItem(k);
    SelectItem(t);
    m_list.EnsureVisible(t, true);
    std::vector<ImageItem> &images = m_model.m_images;
    m_list.SetItemText(k, 0, images[static_cast<size_t>(t)].strFileName);
    m_list.SetItemText(t, 0, images[static_cast<size_t>(k)].strFileName);
    const ImageItem held = images[static_cast<size_t>(t)];
    images[static_cast<size_t>(t)] = images[static_cast<size_t>(k)];
    images[static_cast<size_t>(k)] = held;
    m_list.Invalidate();

    m_model.m_nCurSel = t;
    DrawCurrentImage();
    m_list.SetFocus();
}

void CBrivelleDlg::OnRemoveAll()
{
    m_list.SetRedraw(false);
    m_imageList.Remove(-1);
    if (m_list.GetItemCount() > 0)
        m_list.DeleteAllItems();
    m_model.m_images.clear();
    m_list.SetRedraw(true);
    m_list.Invalidate();
    ClearImageArea();
}

LRESULT CBrivelleDlg::OnListClick(NMITEMACTIVATE &notify)
{
    ShowImageArea();
    LVHITTESTINFO info{};
    info.pt = notify.ptAction;
    const int nItem = m_list.SubItemHitTest(info);
    if (nItem >= 0 && nItem < static_cast<int>(m_model.m_images.size()) && nItem != m_model.m_nCurSel)
    {
        CommitUrlEdit();
        m_model.m_nCurSel = nItem;
        DrawCurrentImage();
        ShowSlideUrl();
    }
    return 0;
}

LRESULT CBrivelleDlg::OnListKeyDown(NMLVKEYDOWN &notify)
{
    ShowImageArea();
    if (notify.wVKey == VK_LEFT || notify.wVKey == VK_RIGHT)
    {
        CommitUrlEdit();
        const int nCount = m_list.GetItemCount();
        if (nCount == 0)
            return 0;
        int nNew = -1;
        if (notify.wVKey == VK_LEFT && m_model.m_nCurSel > 0)
            nNew = m_model.m_nCurSel - 1;
        else if (notify.wVKey == VK_RIGHT && m_model.m_nCurSel < nCount - 1)
            nNew = m_model.m_nCurSel + 1;
        if (nNew >= 0 && nNew < static_cast<int>(m_model.m_images.size()))
        {
            m_model.m_nCurSel = nNew;
            DrawCurrentImage();
        }
        ShowSlideUrl();
    }
    else if (notify.wVKey == VK_DELETE)
    {
        OnDeleteImage();
    }
    return 0;
}

LRESULT CBrivelleDlg::OnListItemChanged(NMLISTVIEW &notify)
{
    static_cast<void>(notify);
    return 0;
}

void CBrivelleDlg::DeleteTempFrameFiles()
{
    std::vector<std::wstring> frames;
    for (const std::wstring &path : m_tempFrameFiles)
    {
        if (ExtensionOf(path) == L".gif" && FileExists(path))
            frames.push_back(path);
    }
    // Deletes the files, and each frame folder once its last file is gone.
    DeleteFrameFiles(frames);
    m_tempFrameFiles.clear();
}
