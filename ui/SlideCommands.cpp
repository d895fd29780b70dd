// CBrivelleDlg: the slide list commands: add, delete, move, remove all, the list's selection, click and
// keys, and the rule they all share for the URL box, the list and the image area.
#include "ui/BrivelleDlg.h"

#include "base/Path.h"
#include "build/FileAdder.h"
#include "build/GifSplitter.h"

#include <commdlg.h>

#include <algorithm>

namespace
{
// The Open dialog's options (multiple selection, no read-only box, overwrite prompt) and its name
// buffer: 1024 names of up to 260 characters with their terminators, and one more.
constexpr DWORD kOpenOptions = OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
constexpr size_t kOpenBufferChars = 267265;

bool IsAcceptedExtension(const std::wstring &extension)
{
    for (const wchar_t *pszAccepted : {L"bmp", L"jpg", L"jpeg", L"jpe", L"gif", L"tif", L"tiff", L"png"})
    {
        if (extension == pszAccepted)
            return true;
    }
    return false;
}
} // namespace

void CBrivelleDlg::ChangeSlides(const std::function<bool()> &change)
{
    if (m_bChangingSlides)
        return;
    m_bChangingSlides = true;
    // Every command sees one item and one image-list entry per slide.
    InsertPendingItems();
    m_stateBeforeChange = SlideState{m_model.m_images, m_model.m_nCurSel};
    CommitUrlEdit();
    const bool bChanged = change();
    // Each change to the slides, an address stored on the way in included, is one step of undo.
    if (!m_bRestoringHistory && m_model.m_images != m_stateBeforeChange.images)
    {
        // Undoing an opened list goes back to the list file the slides came from.
        if (m_bOpeningList)
        {
            m_stateBeforeChange.bListFile = true;
            m_stateBeforeChange.strListPath = m_strListPath;
            m_stateBeforeChange.savedImages = m_savedImages;
        }
        m_history.Record(std::move(m_stateBeforeChange));
    }
    m_bRestoringHistory = false;
    if (bChanged)
    {
        // A preview of the list as it was would be stale.
        ShowImageArea();
        if (m_model.HasCurrent())
            SelectItem(m_model.m_nCurSel);
        LayOutList();
        if (m_model.HasCurrent())
        {
            m_list.EnsureVisible(m_model.m_nCurSel, false);
            DrawCurrentImage();
        }
        else
        {
            ClearImageArea();
        }
    }
    ShowSlideUrl();
    UpdateTitle();
    m_bChangingSlides = false;
    // A message that came while the command ran waited for it.
    PostPendingItems();
}

void CBrivelleDlg::CommitUrlEdit()
{
    if (m_bChangingSlides)
    {
        m_model.CommitUrlEdit(m_nUrlSlide, GetDlgItemText(IDC_EDIT_URL), m_bUrlEdited);
        m_bUrlEdited = false;
        return;
    }
    // Outside a command the stored address is a change of its own.
    SlideState before{m_model.m_images, m_model.m_nCurSel};
    m_model.CommitUrlEdit(m_nUrlSlide, GetDlgItemText(IDC_EDIT_URL), m_bUrlEdited);
    m_bUrlEdited = false;
    if (m_model.m_images != before.images)
    {
        m_history.Record(std::move(before));
        UpdateTitle();
    }
}

void CBrivelleDlg::ShowSlideUrl()
{
    SetDlgItemText(IDC_EDIT_URL, m_model.UrlEditText());
    m_nUrlSlide = m_model.HasCurrent() ? m_model.m_nCurSel : -1;
    // Filling the box is not an edit.
    m_bUrlEdited = false;
}

void CBrivelleDlg::OnUrlChange()
{
    m_bUrlEdited = true;
}

void CBrivelleDlg::SelectItem(int nItem)
{
    m_list.SetItemState(nItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CBrivelleDlg::OnAddImages()
{
    ChangeSlides([this] { return AddImages(); });
}

bool CBrivelleDlg::AddImages()
{
    wchar_t savedDirectory[256] = {};
    const DWORD nDirectoryLength = ::GetCurrentDirectoryW(256, savedDirectory);

    std::vector<std::wstring> paths;
    HWND hOwner = AfxGetMainWnd() != nullptr ? AfxGetMainWnd()->m_hWnd : m_hWnd;
    const bool bChosen = m_services.ShowOpenFileDialog(hOwner, UiString(UiText::ImageFilter, m_bEnglish), kOpenOptions,
                                                       kOpenBufferChars, m_strLastFolder, paths);
    // The Open dialog may have moved the process's current directory.
    if (nDirectoryLength > 0 && nDirectoryLength < 256)
        ::SetCurrentDirectoryW(savedDirectory);
    if (!bChosen)
        return false;
    for (const std::wstring &path : paths)
    {
        const std::wstring folder = FolderOf(path);
        if (!folder.empty())
            m_strLastFolder = folder;
    }
    return AddFiles(paths);
}

bool CBrivelleDlg::AddFiles(const std::vector<std::wstring> &paths)
{
    AddBatch batch;
    batch.tempFolder = FolderOf(m_services.TempFolder());
    bool bHasGif = false;
    for (const std::wstring &path : paths)
    {
        const std::wstring extension = LowerExtensionOf(path);
        if (!IsAcceptedExtension(extension))
            continue;
        bHasGif = bHasGif || extension == L"gif";
        batch.paths.push_back(path);
    }
    if (batch.paths.empty())
        return false;
    // GIFs are read and split on the worker; slides of later adds wait for them, keeping the order chosen.
    if (bHasGif || !m_pAdder->Idle())
    {
        m_pAdder->Add(std::move(batch));
        return false;
    }
    ResolveAddBatch(batch);
    return AppendSlides(batch);
}

bool CBrivelleDlg::AppendSlides(const AddBatch &batch)
{
    const size_t nOldCount = m_model.m_images.size();
    m_tempFrameFiles.insert(m_tempFrameFiles.end(), batch.frameFiles.begin(), batch.frameFiles.end());
    m_model.m_images.insert(m_model.m_images.end(), batch.slides.begin(), batch.slides.end());
    if (m_model.m_images.size() == nOldCount)
        return false;
    m_model.m_nCurSel = static_cast<int>(nOldCount);
    m_list.SetRedraw(false);
    InsertNextItems(0);
    m_list.SetRedraw(true);
    m_list.Invalidate();
    // The first new slide is scrolled into view: the thumbnails around it are made first.
    const int nVisible = VisibleItemCount();
    HurryVisibleThumbnails(static_cast<int>(nOldCount) - nVisible, static_cast<int>(nOldCount) + nVisible);
    m_list.SetFocus();
    return true;
}

void CBrivelleDlg::InsertNextItems(int nAtLeast)
{
    constexpr int kItemsPerMessage = 8;
    const int nSlides = static_cast<int>(m_model.m_images.size());
    const int nItems = m_list.GetItemCount();
    if (nItems >= nSlides)
        return;
    const int nEnd = std::min(nSlides, std::max(nAtLeast, nItems + kItemsPerMessage));
    AddThumbnails(nItems, nEnd);
    for (int i = nItems; i < nEnd; ++i)
        InsertSlideItem(i);
    PostPendingItems();
}

void CBrivelleDlg::InsertPendingItems()
{
    if (m_list.GetItemCount() >= static_cast<int>(m_model.m_images.size()))
        return;
    m_list.SetRedraw(false);
    InsertNextItems(static_cast<int>(m_model.m_images.size()));
    m_list.SetRedraw(true);
    m_list.Invalidate();
}

void CBrivelleDlg::PostPendingItems()
{
    if (!m_bInsertItemsPosted && m_list.GetItemCount() < static_cast<int>(m_model.m_images.size()))
        m_bInsertItemsPosted = PostMessage(WM_INSERT_ITEMS);
}

LRESULT CBrivelleDlg::OnInsertItems()
{
    m_bInsertItemsPosted = false;
    // A command under way inserts the rest itself, or posts again when it ends.
    if (m_bChangingSlides)
        return 0;
    // New items go straight to their places at the end of the row, wherever it is scrolled to: positions
    // are relative to the visible part of the list.
    const int nScrollX = m_list.GetScrollPos(SB_HORZ);
    const int nScrollY = m_list.GetScrollPos(SB_VERT);
    const int nFirst = m_list.GetItemCount();
    m_list.SetRedraw(false);
    InsertNextItems(0);
    for (int i = nFirst; i < m_list.GetItemCount(); ++i)
        m_list.SetItemPosition(i, POINT{ItemLeft(i) - nScrollX, -nScrollY});
    m_list.SetRedraw(true);
    m_list.Invalidate();
    return 0;
}

bool CBrivelleDlg::ListInPlace() const
{
    // Positions are relative to the visible part of the list: item i stands 112 i to the right of where a
    // scrolled-back item 0 would be.
    const int nScrollX = m_list.GetScrollPos(SB_HORZ);
    const int nScrollY = m_list.GetScrollPos(SB_VERT);
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        POINT pt{};
        if (!m_list.GetItemPosition(i, pt) || pt.x != ItemLeft(i) - nScrollX || pt.y != -nScrollY)
            return false;
    }
    return true;
}

void CBrivelleDlg::LayOutList()
{
    // Stepping from slide to slide moves nothing: the list is left as it is, without a repaint.
    if (ListInPlace())
        return;
    // The first paint of a list that was empty arranges its items in the list's own grid (Wine): let it
    // happen now, before the row is laid out.
    ::UpdateWindow(m_list.m_hWnd);
    m_list.SetRedraw(false);
    PlaceItems();
    // Drawing again makes the list measure its items anew: the scroll range ends at the last one.
    m_list.SetRedraw(true);
    m_list.Invalidate();
}

void CBrivelleDlg::PlaceItems()
{
    // Item positions are taken relative to the visible part of the list, so they are set with the list
    // scrolled back to its start; otherwise every scrolled layout would shift the row.
    m_list.Scroll(-m_list.GetScrollPos(SB_HORZ), -m_list.GetScrollPos(SB_VERT));
    for (int i = 0; i < m_list.GetItemCount(); ++i)
    {
        // Moving an item costs the list a good deal; items already in their place stay.
        POINT pt{};
        if (!m_list.GetItemPosition(i, pt) || pt.x != ItemLeft(i) || pt.y != 0)
            m_list.SetItemPosition(i, POINT{ItemLeft(i), 0});
    }
}

void CBrivelleDlg::OnDeleteImage()
{
    ChangeSlides([this] { return DeleteCurrent(); });
}

bool CBrivelleDlg::DeleteCurrent()
{
    const int nCurSel = m_model.m_nCurSel;
    if (m_list.GetItemCount() == 0 || !m_model.HasCurrent())
        return false;

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
    if (nRemaining > 0 && m_model.m_nCurSel >= nRemaining - 1)
        m_model.m_nCurSel = 0;
    m_list.SetRedraw(true);
    m_list.Invalidate();
    return true;
}

void CBrivelleDlg::OnMoveLeft()
{
    ChangeSlides([this] { return MoveCurrent(true); });
}

void CBrivelleDlg::OnMoveRight()
{
    ChangeSlides([this] { return MoveCurrent(false); });
}

bool CBrivelleDlg::MoveCurrent(bool bLeft)
{
    const int k = m_model.m_nCurSel;
    const int n = static_cast<int>(m_model.m_images.size());
    if (k < 0 || k >= n)
        return false;
    // The ends wrap: the first slide moves left onto the last, the last right onto the first.
    int t = 0;
    if (bLeft)
        t = k >= 1 ? k - 1 : n - 1;
    else
        t = k < n - 1 ? k + 1 : 0;
    if (t == k)
        return false;

    SwapThumbnails(t, k);
    std::vector<ImageItem> &images = m_model.m_images;
    m_list.SetItemText(k, 0, images[static_cast<size_t>(t)].strFileName);
    m_list.SetItemText(t, 0, images[static_cast<size_t>(k)].strFileName);
    const ImageItem held = images[static_cast<size_t>(t)];
    images[static_cast<size_t>(t)] = images[static_cast<size_t>(k)];
    images[static_cast<size_t>(k)] = held;
    m_list.Invalidate();

    m_model.m_nCurSel = t;
    m_list.SetFocus();
    return true;
}

void CBrivelleDlg::OnRemoveAll()
{
    const size_t nSlides = m_model.m_images.size();
    if (nSlides > 0 && ShowMessageBox(FormatUiText(UiText::RemoveAllQuestion, m_bEnglish, {std::to_wstring(nSlides)}),
                                      MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    ChangeSlides([this] {
        const bool bHadSlides = !m_model.m_images.empty();
        m_list.SetRedraw(false);
        m_imageList.Remove(-1);
        if (m_list.GetItemCount() > 0)
            m_list.DeleteAllItems();
        m_model.m_images.clear();
        m_list.SetRedraw(true);
        m_list.Invalidate();
        return bHadSlides;
    });
}

void CBrivelleDlg::SelectSlide(int nSlide)
{
    if (!m_model.IsSlide(nSlide) || nSlide == m_model.m_nCurSel)
        return;
    ChangeSlides([this, nSlide] {
        m_model.m_nCurSel = nSlide;
        return true;
    });
}

LRESULT CBrivelleDlg::OnListClick(NMITEMACTIVATE &notify)
{
    ShowImageArea();
    LVHITTESTINFO info{};
    info.pt = notify.ptAction;
    SelectSlide(m_list.SubItemHitTest(info));
    // A click beside the items clears the list's selection; the current slide keeps its highlight.
    if (m_model.HasCurrent() && m_list.GetNextItem(-1, LVNI_SELECTED) < 0)
        SelectItem(m_model.m_nCurSel);
    return 0;
}

LRESULT CBrivelleDlg::OnListKeyDown(NMLVKEYDOWN &notify)
{
    ShowImageArea();
    // The arrows, Home, End and the page keys move the list's selection after this notification, and
    // the selection change makes the slide current; at either end of the row the arrows do nothing.
    // Delete changes the list: not while a movie is made.
    if (notify.wVKey == VK_DELETE && ::IsWindowEnabled(GetDlgItem(IDC_BTN_DELETE)))
        OnDeleteImage();
    return 0;
}

LRESULT CBrivelleDlg::OnListItemChanged(NMLISTVIEW &notify)
{
    // Home, End, Page Up/Down, type-ahead, clicks: whatever selected an item makes it current. Changes
    // a command makes to the list are its own.
    const bool bNewlySelected = (notify.uChanged & LVIF_STATE) != 0 && (notify.uNewState & LVIS_SELECTED) != 0 &&
                                (notify.uOldState & LVIS_SELECTED) == 0;
    if (bNewlySelected && !m_bChangingSlides)
        SelectSlide(notify.iItem);
    return 0;
}

void CBrivelleDlg::DeleteTempFrameFiles()
{
    std::vector<std::wstring> frames;
    for (const std::wstring &path : m_tempFrameFiles)
    {
        if (LowerExtensionOf(path) == L"gif" && FileExists(path))
            frames.push_back(path);
    }
    // Deletes the files, and each frame folder once its last file is gone.
    DeleteFrameFiles(frames);
    m_tempFrameFiles.clear();
}
