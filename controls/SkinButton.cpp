// CSkinButton: skins, mask regions, tooltips, hover and press tracking, painting and check behaviour.
#include "controls/SkinButton.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

CSkinButton::CSkinButton() : m_crText(::GetSysColor(COLOR_BTNTEXT))
{
}

CSkinButton::~CSkinButton() = default;

void CSkinButton::PreSubclassWindow()
{
    // Only the automatic check box and the automatic radio button get their behaviour; every other
    // type, owner-drawn ones included, is a push button.
    const UINT nType = GetStyle() & BS_TYPEMASK;
    if (nType == BS_AUTOCHECKBOX)
        m_nButtonKind = kCheckBox;
    else if (nType == BS_AUTORADIOBUTTON)
        m_nButtonKind = kRadioButton;
    else
        m_nButtonKind = kPushButton;
    CButton::PreSubclassWindow();
    // The type is a 4-bit number, not a set of flags: replace it, or BS_OWNERDRAW would be lost.
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
}

void CSkinButton::ApplySkin(UINT nNormal, UINT nDown, UINT nHover, UINT nDisabled, UINT nFocus, UINT nMask,
                            short nDrawMode, short nBorder, short nFocusMargin)
{
    m_bmpNormal.DeleteObject();
    m_bmpDown.DeleteObject();
    m_bmpDisabled.DeleteObject();
    m_bmpMask.DeleteObject();
    m_bmpHover.DeleteObject();
    m_bmpFocus.DeleteObject();

    if (nNormal != 0)
        m_bmpNormal.LoadBitmap(nNormal);
    if (nDown != 0)
        m_bmpDown.LoadBitmap(nDown);
    if (nHover != 0)
        m_bmpHover.LoadBitmap(nHover);
    if (nFocus != 0)
        m_bmpFocus.LoadBitmap(nFocus);
    if (nDisabled != 0)
        m_bmpDisabled.LoadBitmap(nDisabled);
    else if (nNormal != 0)
        m_bmpDisabled.LoadBitmap(nNormal);

    m_nDrawMode = std::clamp<short>(nDrawMode, kDrawNormal, kDrawTile);
    m_bBorder = nBorder;
    m_nFocusMargin = std::max<short>(nFocusMargin, 0);

    if (nMask == 0)
        return;
    // A mask that cannot be loaded leaves the window's shape and size alone.
    if (!m_bmpMask.LoadBitmap(nMask))
        return;
    CRegionHandle region(BuildMaskRegion(m_bmpMask.GetSafeHandle(), RGB(255, 255, 255)));
    // From a successful SetWindowRgn on, the window owns the region; on failure it stays ours.
    if (region && ::SetWindowRgn(m_hWnd, region.Get(), TRUE) != 0)
        static_cast<void>(region.Detach());
    if (m_nDrawMode == kDrawNormal)
    {
        ::SetWindowPos(m_hWnd, nullptr, 0, 0, BitmapWidth(m_bmpMask.GetSafeHandle()),
                       BitmapHeight(m_bmpMask.GetSafeHandle()), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CSkinButton::SetTipText(std::wstring text)
{
    if (m_tip.m_hWnd != nullptr)
    {
        m_tip.UpdateTipText(m_hWnd, text);
        return;
    }
    if (m_tip.Create(this, 0) && m_tip.AddTool(m_hWnd, text))
        m_tip.Activate(true);
}

void CSkinButton::SetAccessibleName(const std::wstring &name)
{
    m_bDrawCaption = false;
    SetWindowText(name);
}

void CSkinButton::ForwardToTip(UINT uMsg, UINT nFlags, POINT pt)
{
    if (m_tip.m_hWnd == nullptr)
        return;
    const LPARAM lParam = MAKELPARAM(pt.x, pt.y);
    MSG msg{};
    msg.hwnd = m_hWnd;
    msg.message = uMsg;
    msg.wParam = nFlags;
    msg.lParam = lParam;
    msg.time = 0;
    msg.pt.x = LOWORD(lParam);
    msg.pt.y = HIWORD(lParam);
    m_tip.RelayEvent(msg);
}

int CSkinButton::BitmapWidth(HBITMAP hBitmap)
{
    BITMAP bm{};
    return hBitmap != nullptr && ::GetObjectW(hBitmap, sizeof(bm), &bm) != 0 ? bm.bmWidth : 0;
}

int CSkinButton::BitmapHeight(HBITMAP hBitmap)
{
    BITMAP bm{};
    return hBitmap != nullptr && ::GetObjectW(hBitmap, sizeof(bm), &bm) != 0 ? bm.bmHeight : 0;
}

HRGN CSkinButton::BuildMaskRegion(HBITMAP hBitmap, COLORREF crTransparent)
{
    if (hBitmap == nullptr)
        return nullptr;
    const int nWidth = BitmapWidth(hBitmap);
    const int nHeight = BitmapHeight(hBitmap);
    if (nWidth <= 0 || nHeight <= 0)
        return nullptr;

    // The pixels as 32-bit BGRX rows, top row first.
    std::vector<DWORD> pixels(static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight));
    {
        CWindowDC windowDC(m_hWnd);
        if (!windowDC)
            return nullptr;
        BITMAPINFO bi = TopDownDibInfo(nWidth, nHeight);
        if (::GetDIBits(windowDC.Get(), hBitmap, 0, static_cast<UINT>(nHeight), pixels.data(), &bi, DIB_RGB_COLORS) !=
            nHeight)
            return nullptr;
    }

    // One rectangle per maximal run of non-transparent pixels of a row; the list grows 40 at a time.
    const DWORD nTransparent = (static_cast<DWORD>(GetRValue(crTransparent)) << 16) |
                               (static_cast<DWORD>(GetGValue(crTransparent)) << 8) | GetBValue(crTransparent);
    std::vector<RECT> runs;
    runs.reserve(40);
    for (int y = 0; y < nHeight; ++y)
    {
        const DWORD *row = pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(nWidth);
        int x = 0;
        while (x < nWidth)
        {
            while (x < nWidth && (row[x] & 0xFFFFFF) == nTransparent)
                ++x;
            const int nStart = x;
            while (x < nWidth && (row[x] & 0xFFFFFF) != nTransparent)
                ++x;
            if (x > nStart)
            {
                if (runs.size() == runs.capacity())
                    runs.reserve(runs.capacity() + 40);
                runs.push_back(RECT{nStart, y, x, y + 1});
            }
        }
    }

    CRegionHandle result(::CreateRectRgn(0, 0, 0, 0));
    if (!result)
        return nullptr;
    for (const RECT &run : runs)
    {
        CRegionHandle piece(::CreateRectRgn(run.left, run.top, run.right, run.bottom));
        if (piece)
            ::CombineRgn(result.Get(), result.Get(), piece.Get(), RGN_OR);
    }
    return result.Detach();
}

void CSkinButton::TileSkinBitmap(HDC hDC, HBITMAP hBitmap, int nLeft, int nTop, int nRight, int nBottom)
{
    if (hBitmap == nullptr)
        return;
    const int nWidth = BitmapWidth(hBitmap);
    const int nHeight = BitmapHeight(hBitmap);
    if (nWidth <= 0 || nHeight <= 0)
        return;
    CMemoryDC memDC(::CreateCompatibleDC(hDC));
    CSelectObject select(memDC.Get(), hBitmap);
    for (int y = nTop; y < nBottom; y += nHeight)
    {
        for (int x = nLeft; x < nRight; x += nWidth)
        {
            ::BitBlt(hDC, x, y, std::min(nWidth, nRight - x), std::min(nHeight, nBottom - y), memDC.Get(), 0, 0,
                     SRCCOPY);
        }
    }
}

void CSkinButton::PaintSkinBitmap(HDC hDC, HBITMAP hBitmap, RECT r, int nDrawMode)
{
    if (nDrawMode == kDrawTile)
    {
        TileSkinBitmap(hDC, hBitmap, r.left, r.top, r.right, r.bottom);
        return;
    }
    if (hBitmap == nullptr)
        return;
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    const int nFaceWidth = BitmapWidth(hBitmap);
    const int nFaceHeight = BitmapHeight(hBitmap);
    CMemoryDC faceDC(::CreateCompatibleDC(hDC));
    CSelectObject selectFace(faceDC.Get(), hBitmap);

    if (m_bmpMask.IsEmpty())
    {
        if (nDrawMode == kDrawStretch)
            ::StretchBlt(hDC, r.left, r.top, w, h, faceDC.Get(), 0, 0, nFaceWidth, nFaceHeight, SRCCOPY);
        else
            ::BitBlt(hDC, r.left, r.top, w, h, faceDC.Get(), 0, 0, SRCCOPY);
        return;
    }

    // Background XOR face, AND mask, XOR face: the face where the mask is black, the background where
    // it is white; composed off screen and copied once.
    CMemoryDC maskDC(::CreateCompatibleDC(hDC));
    CSelectObject selectMask(maskDC.Get(), m_bmpMask.GetSafeHandle());
    CMemoryDC mixDC(::CreateCompatibleDC(hDC));
    CBitmapHandle mixBitmap(::CreateCompatibleBitmap(hDC, w, h));
    CSelectObject selectMix(mixDC.Get(), mixBitmap.Get());
    ::BitBlt(mixDC.Get(), 0, 0, w, h, hDC, r.left, r.top, SRCCOPY);
    const HDC sources[3] = {faceDC.Get(), maskDC.Get(), faceDC.Get()};
    const DWORD ops[3] = {SRCINVERT, SRCAND, SRCINVERT};
    for (int i = 0; i < 3; ++i)
    {
        if (nDrawMode == kDrawStretch)
            ::StretchBlt(mixDC.Get(), 0, 0, w, h, sources[i], 0, 0, nFaceWidth, nFaceHeight, ops[i]);
        else
            ::BitBlt(mixDC.Get(), 0, 0, w, h, sources[i], 0, 0, ops[i]);
    }
    ::BitBlt(hDC, r.left, r.top, w, h, mixDC.Get(), 0, 0, SRCCOPY);
}

void CSkinButton::PaintFace(HDC hDC, const CBitmap &face, const RECT &r)
{
    if (face.IsEmpty())
        ::FillRect(hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    else
        PaintSkinBitmap(hDC, face.GetSafeHandle(), r, m_nDrawMode);
}

void CSkinButton::DrawItem(const DRAWITEMSTRUCT &dis)
{
    // While pressed with the capture, the pushed look follows the pointer; changing the state repaints.
    if (m_bPressed && ::GetCapture() == m_hWnd)
    {
        POINT ptCursor{};
        if (::GetCursorPos(&ptCursor))
        {
            const bool bOver = ::WindowFromPoint(ptCursor) == m_hWnd;
            const bool bPushed = (GetState() & BST_PUSHED) != 0;
            if (bOver != bPushed)
            {
                SetState(bOver);
                return;
            }
        }
    }

    HDC hDC = dis.hDC;
    const RECT r = dis.rcItem;
    RECT t = r;
    t.left += m_nFocusMargin + 2;
    t.right -= m_nFocusMargin + 2;
    const std::wstring caption = m_bDrawCaption ? GetWindowText() : std::wstring();
    const UINT nTextFormat = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    ::SetBkMode(hDC, TRANSPARENT);

    if ((dis.itemState & ODS_DISABLED) != 0)
    {
        PaintFace(hDC, m_bmpDisabled, r);
        RECT edge = r;
        if (m_bBorder)
            ::DrawEdge(hDC, &edge, EDGE_RAISED, BF_RECT);
        // Embossed caption: highlight first, grey one pixel up and left of it.
        if (m_bChecked)
            ::OffsetRect(&t, 1, 1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_3DHILIGHT));
        ::DrawTextW(hDC, caption.c_str(), -1, &t, nTextFormat);
        ::OffsetRect(&t, -1, -1);
        ::SetTextColor(hDC, ::GetSysColor(COLOR_GRAYTEXT));
        ::DrawTextW(hDC, caption.c_str(), -1, &t, nTextFormat);
        return;
    }

    RECT edge = r;
    if ((dis.itemState & ODS_SELECTED) != 0 || m_bChecked)
    {
        PaintFace(hDC, m_bmpDown, r);
        ::OffsetRect(&t, 1, 1);
        if (m_bBorder)
            ::DrawEdge(hDC, &edge, EDGE_SUNKEN, BF_RECT);
    }
    else
    {
        if (m_bmpNormal.IsEmpty())
            ::FillRect(hDC, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        else if (m_bHover && !m_bmpHover.IsEmpty())
            PaintSkinBitmap(hDC, m_bmpHover.GetSafeHandle(), r, m_nDrawMode);
        else if ((dis.itemState & ODS_FOCUS) != 0 && !m_bmpFocus.IsEmpty())
            PaintSkinBitmap(hDC, m_bmpFocus.GetSafeHandle(), r, m_nDrawMode);
        else
            PaintSkinBitmap(hDC, m_bmpNormal.GetSafeHandle(), r, m_nDrawMode);
        if (m_bBorder)
            ::DrawEdge(hDC, &edge, EDGE_RAISED, BF_RECT);
    }

    if ((dis.itemState & ODS_FOCUS) != 0 && m_nFocusMargin > 0)
    {
        RECT focus = r;
        ::InflateRect(&focus, -m_nFocusMargin, -m_nFocusMargin);
        ::DrawFocusRect(hDC, &focus);
    }
    ::SetTextColor(hDC, m_crText);
    ::DrawTextW(hDC, caption.c_str(), -1, &t, nTextFormat);
}

BOOL CSkinButton::OnEraseBkgnd(HDC hDC)
{
    static_cast<void>(hDC);
    return TRUE;
}

void CSkinButton::OnLButtonDown(UINT nFlags, POINT pt)
{
    ForwardToTip(WM_LBUTTONDOWN, nFlags, pt);
    if (m_bHover)
    {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_CANCEL | TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        if (::_TrackMouseEvent(&tme))
            m_bHover = false;
    }
    Default();
    m_bPressed = true;
}

void CSkinButton::OnLButtonUp(UINT nFlags, POINT pt)
{
    if (m_nButtonKind != kPushButton)
    {
        POINT ptScreen = pt;
        ::ClientToScreen(m_hWnd, &ptScreen);
        const RECT rcWindow = GetWindowRect();
        if (::PtInRect(&rcWindow, ptScreen))
            CheckByUser();
    }
    ForwardToTip(WM_LBUTTONUP, nFlags, pt);
    m_bPressed = false;
    Default();
}

void CSkinButton::OnMouseMove(UINT nFlags, POINT pt)
{
    ForwardToTip(WM_MOUSEMOVE, nFlags, pt);
    if (m_bPressed && ::GetCapture() == m_hWnd)
    {
        POINT ptScreen = pt;
        ::ClientToScreen(m_hWnd, &ptScreen);
        const bool bOver = ::WindowFromPoint(ptScreen) == m_hWnd;
        const bool bPushed = (GetState() & BST_PUSHED) != 0;
        if (bOver != bPushed)
        {
            SetState(bOver);
            Invalidate();
        }
    }
    else if (!m_bHover)
    {
        TRACKMOUSEEVENT tme{};
        tme.cbSize = sizeof(tme);
        tme.dwFlags = TME_LEAVE;
        tme.hwndTrack = m_hWnd;
        tme.dwHoverTime = 0;
        if (::_TrackMouseEvent(&tme))
        {
            m_bHover = true;
            Invalidate();
        }
    }
    Default();
}

void CSkinButton::OnLButtonDblClk(UINT nFlags, POINT pt)
{
    // A double click is a second press.
    SendMessage(WM_LBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y));
}

void CSkinButton::OnKillFocus(HWND hNewFocus)
{
    static_cast<void>(hNewFocus);
    if (::GetCapture() == m_hWnd)
    {
        ::ReleaseCapture();
        m_bPressed = false;
    }
    Default();
}

void CSkinButton::OnKeyDown(UINT nChar, UINT nRepeatCount, UINT nFlags)
{
    static_cast<void>(nRepeatCount);
    static_cast<void>(nFlags);
    if (m_nButtonKind == kPushButton && nChar == VK_RETURN)
    {
        // Enter presses a focused push button at once, as a click would.
        ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), BN_CLICKED),
                       reinterpret_cast<LPARAM>(m_hWnd));
        return;
    }
    if (m_nButtonKind != kPushButton && nChar == VK_SPACE)
        CheckByUser();
    Default();
}

UINT CSkinButton::OnGetDlgCode(const MSG *pMsg)
{
    UINT nCode = static_cast<UINT>(Default());
    // The dialog would turn Enter into IDOK; a focused push button takes it instead.
    if (m_nButtonKind == kPushButton && pMsg != nullptr && pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_RETURN)
        nCode |= DLGC_WANTMESSAGE;
    return nCode;
}

void CSkinButton::OnMouseLeave()
{
    m_bHover = false;
    Invalidate();
}

void CSkinButton::CheckByUser()
{
    if (m_nButtonKind == kCheckBox)
        SendMessage(BM_SETCHECK, m_bChecked ? BST_UNCHECKED : BST_CHECKED);
    else if (m_nButtonKind == kRadioButton)
        SendMessage(BM_SETCHECK, BST_CHECKED);
}

LRESULT CSkinButton::OnSetCheck(int nCheck)
{
    m_bChecked = nCheck != 0 && m_nButtonKind != kPushButton;
    if (m_nButtonKind == kRadioButton && m_bChecked)
        UncheckGroup();
    Invalidate();
    return 0;
}

LRESULT CSkinButton::OnGetCheck()
{
    return m_bChecked ? BST_CHECKED : BST_UNCHECKED;
}

LRESULT CSkinButton::OnSkinButtonUncheck()
{
    if (m_bChecked)
    {
        m_bChecked = false;
        Invalidate();
    }
    return 0;
}

void CSkinButton::UncheckGroup()
{
    HWND hParent = GetParent();
    if (hParent == nullptr)
        return;
    // The walk ends back at this button or, when the system leaves this button out of the cycle
    // (hidden or disabled), back at the first control it found; it never takes more steps than the
    // parent has children.
    int nSteps = 0;
    for (HWND hChild = ::GetWindow(hParent, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
        ++nSteps;
    HWND hFirst = nullptr;
    for (HWND hItem = ::GetNextDlgGroupItem(hParent, m_hWnd, FALSE);
         hItem != nullptr && hItem != m_hWnd && hItem != hFirst && nSteps > 0;
         hItem = ::GetNextDlgGroupItem(hParent, hItem, FALSE), --nSteps)
    {
        if (hFirst == nullptr)
            hFirst = hItem;
        ::PostMessageW(hItem, WM_SKINBUTTON_UNCHECK, 0, 0);
    }
}
