// CWnd: linking windows to objects, message dispatch and default processing.
#include "framework/Wnd.h"

#include "framework/WinApp.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

namespace
{
constexpr UINT_PTR kSubclassId = 0x42524956; // one link per window

// The x86_64 import library of mingw-w64 lacks GetWindowSubclass; comctl32 exports it as ordinal 411.
BOOL GetSubclassData(HWND hWnd, SUBCLASSPROC proc, DWORD_PTR *pdwRefData)
{
#if defined(_WIN64)
    using GetWindowSubclassFn = BOOL(WINAPI *)(HWND, SUBCLASSPROC, UINT_PTR, DWORD_PTR *);
    static const auto getWindowSubclass = reinterpret_cast<GetWindowSubclassFn>(reinterpret_cast<void *>(
        ::GetProcAddress(::GetModuleHandleW(L"comctl32.dll"), MAKEINTRESOURCEA(411))));
    return getWindowSubclass != nullptr && getWindowSubclass(hWnd, proc, kSubclassId, pdwRefData);
#else
    return ::GetWindowSubclass(hWnd, proc, kSubclassId, pdwRefData);
#endif
}
} // namespace

CWnd::~CWnd()
{
    if (m_hWnd == nullptr)
        return;
    if (m_bCreated)
        ::DestroyWindow(m_hWnd);
    else
        UnsubclassWindow();
}

bool CWnd::SubclassWindow(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr || !::IsWindow(hWnd))
        return false;
    m_hWnd = hWnd;
    PreSubclassWindow();
    if (!::SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
    {
        m_hWnd = nullptr;
        return false;
    }
    m_bSubclassed = true;
    return true;
}

bool CWnd::SubclassDlgItem(int nId, const CWnd &parent)
{
    return SubclassWindow(parent.GetDlgItem(nId));
}

bool CWnd::AttachBySubclass(HWND hWnd)
{
    if (m_hWnd != nullptr || hWnd == nullptr)
        return false;
    if (!::SetWindowSubclass(hWnd, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    m_hWnd = hWnd;
    m_bSubclassed = true;
    return true;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hWnd = m_hWnd;
    if (m_bSubclassed && hWnd != nullptr)
        ::RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
    m_bSubclassed = false;
    m_hWnd = nullptr;
    return hWnd;
}

CWnd *CWnd::FromHandlePermanent(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    DWORD_PTR dwRefData = 0;
    if (GetSubclassData(hWnd, SubclassProc, &dwRefData))
        return reinterpret_cast<CWnd *>(dwRefData);
    if (::GetClassLongPtrW(hWnd, GCLP_WNDPROC) == reinterpret_cast<ULONG_PTR>(StaticWndProc))
        return reinterpret_cast<CWnd *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    return nullptr;
}

bool CWnd::RegisterWindowClass(const wchar_t *className, UINT classStyle, HBRUSH hBackground)
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (::GetClassInfoExW(hInstance, className, &wc))
        return wc.lpfnWndProc == StaticWndProc;
    wc.style = classStyle;
    wc.lpfnWndProc = StaticWndProc;
    wc.hInstance = hInstance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = hBackground;
    wc.lpszClassName = className;
    return ::RegisterClassExW(&wc) != 0;
}

bool CWnd::CreateEx(DWORD dwExStyle, const wchar_t *className, const wchar_t *windowName, DWORD dwStyle, const RECT &rc,
                    HWND hParent, UINT_PTR nIdOrMenu)
{
    if (m_hWnd != nullptr)
        return false;
    HINSTANCE hInstance = AfxGetResourceHandle();
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    const bool bOwnClass = ::GetClassInfoExW(hInstance, className, &wc) && wc.lpfnWndProc == StaticWndProc;
    HWND hWnd = ::CreateWindowExW(dwExStyle, className, windowName, dwStyle, rc.left, rc.top, rc.right - rc.left,
                                  rc.bottom - rc.top, hParent, reinterpret_cast<HMENU>(nIdOrMenu), hInstance,
                                  bOwnClass ? this : nullptr);
    if (hWnd == nullptr)
        return false;
    if (!bOwnClass && !AttachBySubclass(hWnd))
    {
        ::DestroyWindow(hWnd);
        return false;
    }
    m_bCreated = true;
    return true;
}

bool CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd) != FALSE;
}

std::wstring CWnd::GetWindowText() const
{
    const int nLength = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(m_hWnd, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(nCopied > 0 ? nCopied : 0));
}

std::wstring CWnd::GetDlgItemText(int nId) const
{
    HWND hItem = GetDlgItem(nId);
    if (hItem == nullptr)
        return std::wstring();
    const int nLength = ::GetWindowTextLengthW(hItem);
    std::vector<wchar_t> buffer(static_cast<size_t>(nLength > 0 ? nLength : 0) + 1, L'\0');
    const int nCopied = ::GetWindowTextW(hItem, buffer.data(), static_cast<int>(buffer.size()));
    return std::wstring(buffer.data(), static_cast<size_t>(nCopied > 0 ? nCopied : 0));
}

void CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd)
{
    const DWORD dwStyle = (GetStyle() & ~dwRemove) | dwAdd;
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(dwStyle));
}

RECT CWnd::GetClientRect() const
{
    RECT rc{};
    ::GetClientRect(m_hWnd, &rc);
    return rc;
}

RECT CWnd::GetWindowRect() const
{
    RECT rc{};
    ::GetWindowRect(m_hWnd, &rc);
    return rc;
}

int CWnd::GetCheckedRadioButton(int nFirst, int nLast) const
{
    for (int nId = nFirst; nId <= nLast; ++nId)
    {
        if (::IsDlgButtonChecked(m_hWnd, nId) == BST_CHECKED)
            return nId;
    }
    return 0;
}

void CWnd::CenterWindow()
{
    HWND hOwner = ::GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!::GetMonitorInfoW(::MonitorFromWindow(hOwner != nullptr ? hOwner : m_hWnd, MONITOR_DEFAULTTONEAREST),
                           &monitor))
        return;
    const RECT work = monitor.rcWork;
    RECT over = work;
    if (hOwner != nullptr && ::IsWindowVisible(hOwner) && !::IsIconic(hOwner))
        ::GetWindowRect(hOwner, &over);
    const RECT rc = GetWindowRect();
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    int x = over.left + (over.right - over.left - nWidth) / 2;
    int y = over.top + (over.bottom - over.top - nHeight) / 2;
    x = std::max<int>(work.left, std::min<int>(x, work.right - nWidth));
    y = std::max<int>(work.top, std::min<int>(y, work.bottom - nHeight));
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int CWnd::ShowMessageBox(const std::wstring &text, UINT nType)
{
    return AfxMessageBox(m_hWnd, text, nType);
}

LRESULT CWnd::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    const CurrentMessage saved = m_msgCurrent;
    m_msgCurrent = CurrentMessage{uMsg, wParam, lParam};
    LRESULT lResult = 0;
    if (!ProcessMessage(uMsg, wParam, lParam, lResult))
        lResult = DefWindowProc(uMsg, wParam, lParam);
    m_msgCurrent = saved;
    return lResult;
}

LRESULT CWnd::Default()
{
    return DefWindowProc(m_msgCurrent.uMsg, m_msgCurrent.wParam, m_msgCurrent.lParam);
}

LRESULT CWnd::DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (m_bSubclassed)
        return ::DefSubclassProc(m_hWnd, uMsg, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

BOOL CWnd::OnHelpInfo(const HELPINFO &info)
{
    static_cast<void>(info);
    if ((GetStyle() & WS_CHILD) == 0)
    {
        CWnd *pMainWnd = AfxGetMainWnd();
        const bool bModifier =
            ::GetKeyState(VK_SHIFT) < 0 || ::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0;
        if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr && !bModifier)
        {
            pMainWnd->SendMessage(WM_COMMAND, MAKEWPARAM(kIdHelpCommand, 0), 0);
            return TRUE;
        }
    }
    return static_cast<BOOL>(Default());
}

LRESULT CWnd::OnDrawItem(UINT nId, const DRAWITEMSTRUCT &dis)
{
    static_cast<void>(nId);
    if (dis.CtlType != ODT_MENU && dis.hwndItem != nullptr &&
        ::SendMessageW(dis.hwndItem, WM_REFLECT_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis)) != 0)
        return TRUE;
    return Default();
}

void CWnd::Unlink()
{
    m_hWnd = nullptr;
    m_bSubclassed = false;
    m_bCreated = false;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    CWnd *pWnd = nullptr;
    if (uMsg == WM_NCCREATE)
    {
        pWnd = static_cast<CWnd *>(reinterpret_cast<const CREATESTRUCTW *>(lParam)->lpCreateParams);
        if (pWnd != nullptr)
        {
            ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(pWnd));
            pWnd->m_hWnd = hWnd;
        }
    }
    else
    {
        pWnd = reinterpret_cast<CWnd *>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    }
    if (pWnd == nullptr)
        return ::DefWindowProcW(hWnd, uMsg, wParam, lParam);

    const LRESULT lResult = pWnd->WindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        pWnd->Unlink();
        pWnd->PostNcDestroy();
    }
    return lResult;
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                    DWORD_PTR dwRefData)
{
    static_cast<void>(uIdSubclass);
    CWnd *pWnd = reinterpret_cast<CWnd *>(dwRefData);
    const LRESULT lResult = pWnd->WindowProc(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY)
    {
        ::RemoveWindowSubclass(hWnd, SubclassProc, kSubclassId);
        pWnd->Unlink();
        pWnd->PostNcDestroy();
    }
    return lResult;
}
