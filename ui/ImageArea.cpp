// CImageArea: painting the picture the main dialog hands over.
#include "ui/ImageArea.h"

#include "framework/Bitmap.h"
#include "framework/Handles.h"

#include <utility>

void CImageArea::SetPicture(std::shared_ptr<const AreaPicture> pPicture)
{
    if (pPicture == m_pPicture)
        return;
    m_pPicture = std::move(pPicture);
    if (m_hWnd == nullptr)
        return;
    ::InvalidateRect(m_hWnd, nullptr, FALSE);
    ::UpdateWindow(m_hWnd);
}

void CImageArea::Draw(HDC hDC, const RECT &rc) const
{
    if (m_pPicture && m_pPicture->nWidth > 0 && m_pPicture->nHeight > 0)
    {
        const BITMAPINFO info = TopDownDibInfo(m_pPicture->nWidth, m_pPicture->nHeight);
        // The picture is decoded at the area's size; only a resized area stretches it.
        ::SetStretchBltMode(hDC, COLORONCOLOR);
        ::StretchDIBits(hDC, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top, 0, 0, m_pPicture->nWidth,
                        m_pPicture->nHeight, m_pPicture->pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        return;
    }
    // The brush the dialog gives its static controls, so the area looks as it did at start.
    HBRUSH hBrush = nullptr;
    if (m_hWnd != nullptr)
        hBrush = reinterpret_cast<HBRUSH>(::SendMessageW(
            ::GetParent(m_hWnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(hDC), reinterpret_cast<LPARAM>(m_hWnd)));
    if (hBrush == nullptr)
        hBrush = ::GetSysColorBrush(COLOR_BTNFACE);
    ::FillRect(hDC, &rc, hBrush);
}

void CImageArea::OnPaint()
{
    {
        CPaintDC paint(m_hWnd);
        Draw(paint.Get(), GetClientRect());
    }
    ::PostMessageW(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(m_hWnd), kImageAreaPainted),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

BOOL CImageArea::OnEraseBkgnd(HDC hDC)
{
    static_cast<void>(hDC);
    // OnPaint covers the whole area.
    return TRUE;
}
