// Helpers for tests that drive real windows under Wine.
#include "WinTestSupport.h"

#include "framework/Bitmap.h"
#include "framework/Win32SystemServices.h"
#include "framework/WinApp.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

void PumpMessages(DWORD nMilliseconds)
{
    const DWORD nStart = ::GetTickCount();
    do
    {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    } while (::GetTickCount() - nStart < nMilliseconds);
}

void PumpDialogMessages(HWND hDlg, DWORD nMilliseconds)
{
    const DWORD nStart = ::GetTickCount();
    do
    {
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (::IsDialogMessageW(hDlg, &msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 2, QS_ALLINPUT);
    } while (::GetTickCount() - nStart < nMilliseconds);
}

bool PumpUntil(const std::function<bool()> &done, DWORD nTimeoutMilliseconds)
{
    const DWORD nStart = ::GetTickCount();
    while (!done())
    {
        if (::GetTickCount() - nStart >= nTimeoutMilliseconds)
            return done();
        PumpMessages(5);
    }
    return true;
}

CFakeSystemServices::CFakeSystemServices() : m_strModulePath(AfxGetModuleFileName())
{
}

bool CFakeSystemServices::ShowOpenFileDialog(HWND hOwner, const std::wstring &filter, DWORD dwFlags,
                                             size_t nBufferChars, const std::wstring &initialFolder,
                                             std::vector<std::wstring> &paths)
{
    m_openDialogs.push_back(OpenDialogCall{hOwner, filter, dwFlags, nBufferChars, initialFolder});
    if (m_onOpenDialog)
        m_onOpenDialog();
    if (m_bOpenConfirms)
        paths = m_openPaths;
    return m_bOpenConfirms;
}

bool CFakeSystemServices::ShowSaveFileDialog(HWND hOwner, const std::wstring &filter, const std::wstring &defaultExt,
                                             DWORD dwFlags, std::wstring &path)
{
    m_saveDialogs.push_back(SaveDialogCall{hOwner, filter, defaultExt, dwFlags, path});
    if (m_onSaveDialog)
        m_onSaveDialog();
    if (m_bSaveConfirms)
        path = m_strSavePath;
    return m_bSaveConfirms;
}

int CFakeSystemServices::ShowMessageBox(HWND hOwner, const std::wstring &text, UINT nType)
{
    m_messageBoxes.push_back(MessageBoxCall{hOwner, text, nType});
    if (m_onMessageBox)
        m_onMessageBox(m_messageBoxes.back());
    return m_nMessageBoxAnswer;
}

void CFakeSystemServices::ShellOpen(const std::wstring &path)
{
    m_shellOpened.push_back(path);
}

std::wstring CFakeSystemServices::TempFolder()
{
    return m_strTempFolder;
}

std::wstring CFakeSystemServices::ModulePath()
{
    return m_strModulePath;
}

LANGID CFakeSystemServices::SystemDefaultLangId()
{
    return m_langId;
}

bool CFakeSystemServices::FileExists(const std::wstring &path)
{
    m_existsQueries.push_back(path);
    if (m_fileExists)
        return m_fileExists(path);
    return CWin32SystemServices().FileExists(path);
}

namespace
{
CModalWatcher *s_pWatcher = nullptr;
}

CModalWatcher::CModalWatcher(std::function<bool()> step, UINT nIntervalMilliseconds) : m_step(std::move(step))
{
    s_pWatcher = this;
    m_idTimer = ::SetTimer(nullptr, 0, nIntervalMilliseconds, TimerProc);
}

CModalWatcher::~CModalWatcher()
{
    if (m_idTimer != 0)
        ::KillTimer(nullptr, m_idTimer);
    if (s_pWatcher == this)
        s_pWatcher = nullptr;
}

void CALLBACK CModalWatcher::TimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime)
{
    static_cast<void>(hWnd);
    static_cast<void>(uMsg);
    static_cast<void>(dwTime);
    CModalWatcher *pWatcher = s_pWatcher;
    if (pWatcher == nullptr || pWatcher->m_idTimer != idEvent)
        return;
    ++pWatcher->m_nTicks;
    if (pWatcher->m_step())
    {
        ::KillTimer(nullptr, pWatcher->m_idTimer);
        pWatcher->m_idTimer = 0;
    }
}

CHangGuard::CHangGuard(DWORD nMilliseconds, const char *pszWhat)
    : m_hDone(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_hThread(nullptr), m_nMilliseconds(nMilliseconds),
      m_pszWhat(pszWhat)
{
    m_hThread = ::CreateThread(nullptr, 0, WatchProc, this, 0, nullptr);
}

CHangGuard::~CHangGuard()
{
    ::SetEvent(m_hDone);
    if (m_hThread != nullptr)
    {
        ::WaitForSingleObject(m_hThread, INFINITE);
        ::CloseHandle(m_hThread);
    }
    ::CloseHandle(m_hDone);
}

DWORD WINAPI CHangGuard::WatchProc(void *pParam)
{
    auto *pGuard = static_cast<CHangGuard *>(pParam);
    if (::WaitForSingleObject(pGuard->m_hDone, pGuard->m_nMilliseconds) == WAIT_TIMEOUT)
    {
        std::fprintf(stderr, "hang: %s\n", pGuard->m_pszWhat);
        std::fflush(stderr);
        ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    return 0;
}

namespace
{
struct DialogSearch
{
    HWND hExclude;
    HWND hFound;
};

BOOL CALLBACK FindDialogProc(HWND hWnd, LPARAM lParam)
{
    auto *pSearch = reinterpret_cast<DialogSearch *>(lParam);
    wchar_t className[32] = {};
    ::GetClassNameW(hWnd, className, 32);
    if (hWnd != pSearch->hExclude && ::IsWindowVisible(hWnd) && std::wcscmp(className, L"#32770") == 0)
    {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

struct TooltipSearch
{
    HWND hTool;
    std::vector<HWND> found;
};

BOOL CALLBACK FindTooltipProc(HWND hWnd, LPARAM lParam)
{
    auto *pSearch = reinterpret_cast<TooltipSearch *>(lParam);
    wchar_t className[64] = {};
    ::GetClassNameW(hWnd, className, 64);
    if (std::wcscmp(className, TOOLTIPS_CLASSW) != 0)
        return TRUE;
    const int nTools = static_cast<int>(::SendMessageW(hWnd, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < nTools; ++i)
    {
        TOOLINFOW ti{};
        ti.cbSize = sizeof(ti);
        if (::SendMessageW(hWnd, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&ti)) &&
            ti.uId == reinterpret_cast<UINT_PTR>(pSearch->hTool))
        {
            pSearch->found.push_back(hWnd);
            break;
        }
    }
    return TRUE;
}
} // namespace

HWND FindThreadDialog(HWND hExclude)
{
    DialogSearch search{hExclude, nullptr};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindDialogProc, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

std::wstring WindowText(HWND hWnd)
{
    wchar_t buffer[512] = {};
    ::GetWindowTextW(hWnd, buffer, 512);
    return buffer;
}

std::vector<HWND> TooltipsOf(HWND hTool)
{
    TooltipSearch search{hTool, {}};
    ::EnumThreadWindows(::GetCurrentThreadId(), FindTooltipProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring TooltipTextOf(HWND hTool)
{
    const std::vector<HWND> tips = TooltipsOf(hTool);
    if (tips.size() != 1)
        return std::wstring();
    wchar_t buffer[256] = {};
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hTool;
    ti.uId = reinterpret_cast<UINT_PTR>(hTool);
    ti.lpszText = buffer;
    ::SendMessageW(tips[0], TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    return buffer;
}

CHeldKeys::CHeldKeys(const std::vector<BYTE> &keys)
{
    ::GetKeyboardState(m_saved);
    BYTE state[256];
    std::memcpy(state, m_saved, sizeof(state));
    for (BYTE key : keys)
        state[key] = 0x80;
    ::SetKeyboardState(state);
}

CHeldKeys::~CHeldKeys()
{
    ::SetKeyboardState(m_saved);
}

Pixels ReadPixels(HBITMAP hBitmap)
{
    Pixels pixels;
    BITMAP bm{};
    if (hBitmap == nullptr || ::GetObjectW(hBitmap, sizeof(bm), &bm) == 0)
        return pixels;
    pixels.nWidth = bm.bmWidth;
    pixels.nHeight = bm.bmHeight;
    pixels.data.resize(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
    BITMAPINFO bi = TopDownDibInfo(bm.bmWidth, bm.bmHeight);
    HDC hDC = ::GetDC(nullptr);
    ::GetDIBits(hDC, hBitmap, 0, static_cast<UINT>(bm.bmHeight), pixels.data.data(), &bi, DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, hDC);
    for (DWORD &v : pixels.data)
        v &= 0xFFFFFF;
    return pixels;
}

Pixels ResourcePixels(UINT nId)
{
    HBITMAP hBitmap = static_cast<HBITMAP>(
        ::LoadImageW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    Pixels pixels = ReadPixels(hBitmap);
    if (hBitmap != nullptr)
        ::DeleteObject(hBitmap);
    return pixels;
}

CCanvas::CCanvas(int nWidth, int nHeight, COLORREF crFill) : m_nWidth(nWidth), m_nHeight(nHeight)
{
    BITMAPINFO bi = TopDownDibInfo(nWidth, nHeight);
    void *pBits = nullptr;
    m_hBitmap = ::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    m_pBits = static_cast<DWORD *>(pBits);
    m_hDC = ::CreateCompatibleDC(nullptr);
    m_hOld = ::SelectObject(m_hDC, m_hBitmap);
    const DWORD v = (static_cast<DWORD>(GetRValue(crFill)) << 16) | (static_cast<DWORD>(GetGValue(crFill)) << 8) |
                    GetBValue(crFill);
    for (int i = 0; i < nWidth * nHeight; ++i)
        m_pBits[i] = v;
}

CCanvas::~CCanvas()
{
    ::SelectObject(m_hDC, m_hOld);
    ::DeleteDC(m_hDC);
    ::DeleteObject(m_hBitmap);
}

COLORREF CCanvas::At(int x, int y) const
{
    ::GdiFlush();
    const DWORD v = m_pBits[y * m_nWidth + x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

Pixels CaptureClient(HWND hWnd)
{
    RECT rc{};
    ::GetClientRect(hWnd, &rc);
    HDC hWindowDC = ::GetDC(hWnd);
    HDC hMemDC = ::CreateCompatibleDC(hWindowDC);
    HBITMAP hBitmap = ::CreateCompatibleBitmap(hWindowDC, rc.right, rc.bottom);
    HGDIOBJ hOld = ::SelectObject(hMemDC, hBitmap);
    ::BitBlt(hMemDC, 0, 0, rc.right, rc.bottom, hWindowDC, 0, 0, SRCCOPY);
    ::SelectObject(hMemDC, hOld);
    ::DeleteDC(hMemDC);
    ::ReleaseDC(hWnd, hWindowDC);
    Pixels pixels = ReadPixels(hBitmap);
    ::DeleteObject(hBitmap);
    return pixels;
}

std::wstring CFakeSystemServices::AppDataFolder()
{
    return m_strAppDataFolder;
}
