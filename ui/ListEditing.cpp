// CBrivelleDlg: undo and redo, dragging a slide along the list, the list's menu and the keyboard shortcuts.
#include "ui/BrivelleDlg.h"

#include "framework/WinApp.h"

#include <algorithm>

namespace
{
constexpr int kInsertMarkWidth = 3;
// A drag this close to an end of the row scrolls it by one step per mouse move.
constexpr int kScrollMargin = 24;
constexpr int kScrollStep = 28;

// Shortcuts reach the modal dialog through its message loop's filter, before the focused control sees them.
LRESULT CALLBACK ShortcutFilter(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == MSGF_DIALOGBOX && lParam != 0)
    {
        const MSG &msg = *reinterpret_cast<const MSG *>(lParam);
        CBrivelleDlg *pDlg = dynamic_cast<CBrivelleDlg *>(CDialog::FromHandle(::GetAncestor(msg.hwnd, GA_ROOT)));
        if (pDlg != nullptr && pDlg->TranslateShortcut(msg))
            return TRUE;
    }
    return ::CallNextHookEx(nullptr, nCode, wParam, lParam);
}

bool IsEditBox(HWND hWnd)
{
    wchar_t className[16] = {};
    ::GetClassNameW(hWnd, className, 16);
    return ::lstrcmpiW(className, L"Edit") == 0;
}
} // namespace

void CBrivelleDlg::InstallShortcuts()
{
    if (m_hShortcutHook == nullptr)
        m_hShortcutHook = ::SetWindowsHookExW(WH_MSGFILTER, ShortcutFilter, nullptr, ::GetCurrentThreadId());
}

void CBrivelleDlg::RemoveShortcuts()
{
    if (m_hShortcutHook != nullptr)
        ::UnhookWindowsHookEx(m_hShortcutHook);
    m_hShortcutHook = nullptr;
}

bool CBrivelleDlg::TranslateShortcut(const MSG &msg)
{
    if (msg.message != WM_KEYDOWN || (msg.hwnd != m_hWnd && !::IsChild(m_hWnd, msg.hwnd)))
        return false;
    if (::GetKeyState(VK_CONTROL) >= 0 || ::GetKeyState(VK_MENU) < 0)
        return false;
    const bool bShift = ::GetKeyState(VK_SHIFT) < 0;
    UINT nCommand = 0;
    switch (msg.wParam)
    {
    case 'Z':
        // A text box keeps its own undo of the typing in it.
        if (IsEditBox(msg.hwnd))
            return false;
        nCommand = IDM_UNDO;
        break;
    case 'Y':
        nCommand = IDM_REDO;
        break;
    case 'O':
        nCommand = IDM_OPEN_LIST;
        break;
    case 'S':
        nCommand = bShift ? IDM_SAVE_LIST_AS : IDM_SAVE_LIST;
        break;
    default:
        return false;
    }
    SendMessage(WM_COMMAND, MAKEWPARAM(nCommand, 0), 0);
    return true;
}

void CBrivelleDlg::OnUndo()
{
    if (ListCommandsEnabled())
        ChangeSlides([this] { return StepHistory(true); });
}

void CBrivelleDlg::OnRedo()
{
    if (ListCommandsEnabled())
        ChangeSlides([this] { return StepHistory(false); });
}

bool CBrivelleDlg::StepHistory(bool bUndo)
{
    // ChangeSlides records nothing for this step: the history moves itself.
    m_bRestoringHistory = true;
    // An address typed but not yet stored was stored on the way in: that is the change undo takes back.
    if (m_model.m_images != m_stateBeforeChange.images)
        m_history.Record(m_stateBeforeChange);
    const SlideState *pNext = bUndo ? m_history.NextUndo() : m_history.NextRedo();
    if (pNext == nullptr)
        return false;
    SlideState state{m_model.m_images, m_model.m_nCurSel};
    // Stepping over an opened list brings back the list file the slides belonged to, so a save goes there.
    if (pNext->bListFile)
    {
        state.bListFile = true;
        state.strListPath = m_strListPath;
        state.savedImages = m_savedImages;
    }
    if (!(bUndo ? m_history.Undo(state) : m_history.Redo(state)))
        return false;
    m_model.m_images.swap(state.images);
    m_model.m_nCurSel = state.nCurSel;
    if (state.bListFile)
    {
        m_strListPath.swap(state.strListPath);
        m_savedImages.swap(state.savedImages);
    }
    RebuildList();
    return true;
}

void CBrivelleDlg::RebuildList()
{
    m_list.SetRedraw(false);
    m_imageList.Remove(-1);
    if (m_list.GetItemCount() > 0)
        m_list.DeleteAllItems();
    // The items up to those around the current slide go in now, the rest a few at a time.
    const int nVisible = VisibleItemCount();
    InsertNextItems(m_model.m_nCurSel + nVisible + 1);
    // The thumbnails around the current slide are made first.
    HurryVisibleThumbnails(m_model.m_nCurSel - nVisible, m_model.m_nCurSel + nVisible);
    m_list.SetRedraw(true);
    m_list.Invalidate();
}

void CBrivelleDlg::OnRemoveLink()
{
    if (!ListCommandsEnabled())
        return;
    ChangeSlides([this] {
        if (!m_model.HasCurrent() || m_model.m_images[static_cast<size_t>(m_model.m_nCurSel)].strUrl.empty())
            return false;
        m_model.m_images[static_cast<size_t>(m_model.m_nCurSel)].strUrl.clear();
        return true;
    });
}

bool CBrivelleDlg::MoveSlide(int nFrom, int nTo)
{
    if (!m_model.IsSlide(nFrom) || !m_model.IsSlide(nTo) || nFrom == nTo)
        return false;
    // The thumbnails travel one place at a time, so none is made again.
    const int nStep = nTo > nFrom ? 1 : -1;
    for (int i = nFrom; i != nTo; i += nStep)
        SwapThumbnails(i, i + nStep);
    std::vector<ImageItem> &images = m_model.m_images;
    const ImageItem moved = images[static_cast<size_t>(nFrom)];
    images.erase(images.begin() + nFrom);
    images.insert(images.begin() + nTo, moved);
    for (int i = std::min(nFrom, nTo); i <= std::max(nFrom, nTo); ++i)
        m_list.SetItemText(i, 0, images[static_cast<size_t>(i)].strFileName);
    m_model.m_nCurSel = nTo;
    m_list.SetFocus();
    return true;
}

LRESULT CBrivelleDlg::OnListBeginDrag(NMLISTVIEW &notify)
{
    if (!ListCommandsEnabled() || !m_model.IsSlide(notify.iItem))
        return 0;
    SelectSlide(notify.iItem);
    m_nDragSlide = notify.iItem;
    ::SetCapture(m_hWnd);
    return 0;
}

int CBrivelleDlg::DropGapAt(POINT ptList)
{
    const int nItems = m_list.GetItemCount();
    for (int i = 0; i < nItems; ++i)
    {
        RECT rc{};
        rc.left = LVIR_BOUNDS;
        if (m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rc)) &&
            ptList.x < (rc.left + rc.right) / 2)
            return i;
    }
    return nItems;
}

void CBrivelleDlg::ShowInsertMark(int nGap)
{
    const int nItems = m_list.GetItemCount();
    RECT rcItem{};
    rcItem.left = LVIR_BOUNDS;
    if (nItems == 0 || !m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nGap < nItems ? nGap : nItems - 1),
                                           reinterpret_cast<LPARAM>(&rcItem)))
        return;
    // A bar of our own in the gap before the item the slide would precede, or after the last one (the list
    // view's own insertion mark is not drawn everywhere).
    POINT pt{nGap < nItems ? rcItem.left - kInsertMarkWidth : rcItem.right, rcItem.top};
    const RECT rcList = m_list.GetClientRect();
    pt.x = std::max(rcList.left, std::min(pt.x, rcList.right - kInsertMarkWidth));
    ::MapWindowPoints(m_list.m_hWnd, m_hWnd, &pt, 1);
    if (m_hInsertMark == nullptr)
        m_hInsertMark = ::CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | SS_BLACKRECT, 0, 0, 0, 0, m_hWnd,
                                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_INSERT_MARK)),
                                          AfxGetResourceHandle(), nullptr);
    if (m_hInsertMark != nullptr)
        ::SetWindowPos(m_hInsertMark, HWND_TOP, pt.x, pt.y, kInsertMarkWidth, rcItem.bottom - rcItem.top,
                       SWP_SHOWWINDOW | SWP_NOACTIVATE);
}

void CBrivelleDlg::OnMouseMove(UINT nFlags, POINT ptClient)
{
    static_cast<void>(nFlags);
    if (m_nDragSlide < 0)
        return;
    ::MapWindowPoints(m_hWnd, m_list.m_hWnd, &ptClient, 1);
    // Near either end of the row the list scrolls, so a slide can travel beyond what is in view.
    const RECT rcList = m_list.GetClientRect();
    if (ptClient.x < rcList.left + kScrollMargin)
        m_list.Scroll(-kScrollStep, 0);
    else if (ptClient.x > rcList.right - kScrollMargin)
        m_list.Scroll(kScrollStep, 0);
    ShowInsertMark(DropGapAt(ptClient));
}

void CBrivelleDlg::OnLButtonUp(UINT nFlags, POINT ptClient)
{
    static_cast<void>(nFlags);
    if (m_nDragSlide >= 0)
        EndSlideDrag(true, ptClient);
}

void CBrivelleDlg::OnCaptureChanged(HWND hNewCapture)
{
    if (m_nDragSlide >= 0 && hNewCapture != m_hWnd)
        EndSlideDrag(false, POINT{0, 0});
}

void CBrivelleDlg::EndSlideDrag(bool bDrop, POINT ptClient)
{
    const int nSlide = m_nDragSlide;
    m_nDragSlide = -1;
    if (m_hInsertMark != nullptr)
        ::ShowWindow(m_hInsertMark, SW_HIDE);
    if (::GetCapture() == m_hWnd)
        ::ReleaseCapture();
    if (!bDrop || !ListCommandsEnabled())
        return;
    ::MapWindowPoints(m_hWnd, m_list.m_hWnd, &ptClient, 1);
    const int nGap = DropGapAt(ptClient);
    const int nTo = nGap > nSlide ? nGap - 1 : nGap;
    ChangeSlides([this, nSlide, nTo] { return MoveSlide(nSlide, nTo); });
}

void CBrivelleDlg::OnContextMenu(HWND hWnd, POINT ptScreen)
{
    if (hWnd != m_list.m_hWnd)
    {
        Default();
        return;
    }
    // The Menu key and Shift+F10 give no point: the menu opens at the current slide, or at the list.
    if (ptScreen.x == -1 && ptScreen.y == -1)
    {
        RECT rc{};
        rc.left = LVIR_ICON;
        if (!m_model.HasCurrent() ||
            !m_list.SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(m_model.m_nCurSel), reinterpret_cast<LPARAM>(&rc)))
            rc = m_list.GetClientRect();
        ptScreen = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        ::ClientToScreen(m_list.m_hWnd, &ptScreen);
    }
    const bool bEnabled = ListCommandsEnabled();
    const bool bCurrent = bEnabled && m_model.HasCurrent();
    const bool bLink = bCurrent && !m_model.m_images[static_cast<size_t>(m_model.m_nCurSel)].strUrl.empty();
    const struct
    {
        UINT nId;
        UiText text;
        bool bEnabled;
    } kItems[] = {
        {IDC_BTN_ADD, UiText::MenuAddPictures, bEnabled},
        {IDC_BTN_DELETE, UiText::MenuDelete, bCurrent},
        {IDC_BTN_LEFT, UiText::MenuMoveLeft, bCurrent},
        {IDC_BTN_RIGHT, UiText::MenuMoveRight, bCurrent},
        {IDM_REMOVE_LINK, UiText::MenuRemoveLink, bLink},
        {IDC_BTN_REMOVEALL, UiText::MenuRemoveAll, bEnabled && !m_model.m_images.empty()},
        {0, UiText::MenuRemoveAll, false},
        {IDM_OPEN_LIST, UiText::MenuOpenList, bEnabled},
        {IDM_SAVE_LIST, UiText::MenuSaveList, true},
    };
    HMENU hMenu = ::CreatePopupMenu();
    if (hMenu == nullptr)
        return;
    for (const auto &item : kItems)
    {
        if (item.nId == 0)
            ::AppendMenuW(hMenu, MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuW(hMenu, MF_STRING | (item.bEnabled ? MF_ENABLED : MF_GRAYED), item.nId,
                          UiString(item.text, m_bEnglish));
    }
    const UINT nChosen = static_cast<UINT>(::TrackPopupMenu(hMenu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                                            ptScreen.x, ptScreen.y, 0, m_hWnd, nullptr));
    ::DestroyMenu(hMenu);
    // The items run the same commands as the buttons and the shortcuts.
    if (nChosen != 0)
        SendMessage(WM_COMMAND, MAKEWPARAM(nChosen, 0), 0);
}
