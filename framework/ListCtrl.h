// CListCtrl: a list-view control.
#pragma once

#include "framework/ImageList.h"
#include "framework/Wnd.h"

#include <commctrl.h>

#include <string>

// A list-view control of a dialog.
class CListCtrl : public CWnd
{
  public:
    // Attaches an image list. The image list stays with its CImageList owner: the control is told to
    // share it, so destroying the control leaves it alone.
    void SetImageList(CImageList *pImageList, int nImageListType)
    {
        ModifyStyle(0, LVS_SHAREIMAGELISTS);
        SendMessage(LVM_SETIMAGELIST, static_cast<WPARAM>(nImageListType),
                    reinterpret_cast<LPARAM>(pImageList != nullptr ? pImageList->GetSafeHandle() : nullptr));
    }
    int GetItemCount() const
    {
        return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
    }
    // Inserts an item with a label and an image; returns its index or -1.
    int InsertItem(int nItem, const std::wstring &text, int nImage)
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = nItem;
        item.pszText = const_cast<wchar_t *>(text.c_str());
        item.iImage = nImage;
        return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    }
    bool DeleteItem(int nItem)
    {
        return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem)) != FALSE;
    }
    bool DeleteAllItems()
    {
        return SendMessage(LVM_DELETEALLITEMS) != FALSE;
    }
    bool SetItemState(int nItem, UINT nState, UINT nMask)
    {
        LVITEMW item{};
        item.state = nState;
        item.stateMask = nMask;
        return SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    // The next item after nItem (-1: from the start) with the given LVNI_ flags, or -1.
    int GetNextItem(int nItem, UINT nFlags) const
    {
        return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), nFlags));
    }
    // The distance between icons in icon view: an item's box is cx wide and cy high.
    void SetIconSpacing(int cx, int cy)
    {
        SendMessage(LVM_SETICONSPACING, 0, MAKELPARAM(cx, cy));
    }
    // Scrolls the contents by dx, dy pixels.
    bool Scroll(int dx, int dy)
    {
        return SendMessage(LVM_SCROLL, static_cast<WPARAM>(dx), dy) != FALSE;
    }
    int GetScrollPos(int nBar) const
    {
        return ::GetScrollPos(m_hWnd, nBar);
    }
    bool EnsureVisible(int nItem, bool bPartialOk)
    {
        return SendMessage(LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), bPartialOk ? TRUE : FALSE) != FALSE;
    }
    bool SetItemText(int nItem, int nSubItem, const std::wstring &text)
    {
        LVITEMW item{};
        item.iSubItem = nSubItem;
        item.pszText = const_cast<wchar_t *>(text.c_str());
        return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)) != FALSE;
    }
    bool GetItemPosition(int nItem, POINT &pt) const
    {
        return SendMessage(LVM_GETITEMPOSITION, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&pt)) != FALSE;
    }
    bool SetItemPosition(int nItem, POINT pt)
    {
        return SendMessage(LVM_SETITEMPOSITION32, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&pt)) != FALSE;
    }
    // The item under info.pt (client coordinates), or -1.
    int SubItemHitTest(LVHITTESTINFO &info) const
    {
        return static_cast<int>(SendMessage(LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&info)));
    }
};
