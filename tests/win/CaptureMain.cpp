// Saves a picture of the main dialog or of the about box as a 24-bit BMP (for screenshots, not a test).
// Usage: brivelle_win_capture main|about OUT.bmp
#include "framework/Handles.h"
#include "framework/Win32SystemServices.h"
#include "ui/AboutDlg.h"
#include "ui/BrivelleDlg.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
void Pump(DWORD nMilliseconds)
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
        ::Sleep(5);
    } while (::GetTickCount() - nStart < nMilliseconds);
}

// Copies what the screen shows of the window into a 24-bit bottom-up BMP file.
bool SaveWindowPicture(HWND hWnd, const char *path)
{
    RECT rc{};
    ::GetWindowRect(hWnd, &rc);
    const int nWidth = rc.right - rc.left;
    const int nHeight = rc.bottom - rc.top;
    if (nWidth <= 0 || nHeight <= 0)
        return false;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = nWidth;
    bi.bmiHeader.biHeight = nHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void *pBits = nullptr;
    CBitmapHandle bitmap(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0));
    if (!bitmap)
        return false;
    {
        CMemoryDC memDC(::CreateCompatibleDC(nullptr));
        CSelectObject select(memDC.Get(), bitmap.Get());
        CWindowDC screenDC(nullptr);
        ::BitBlt(memDC.Get(), 0, 0, nWidth, nHeight, screenDC.Get(), rc.left, rc.top, SRCCOPY);
    }
    ::GdiFlush();
    const DWORD nStride = (static_cast<DWORD>(nWidth) * 3 + 3) & ~3u;
    const DWORD nImageSize = nStride * static_cast<DWORD>(nHeight);
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    fh.bfSize = fh.bfOffBits + nImageSize;
    bi.bmiHeader.biSizeImage = nImageSize;
    FILE *file = std::fopen(path, "wb");
    if (file == nullptr)
        return false;
    const bool bOk = std::fwrite(&fh, sizeof(fh), 1, file) == 1 &&
                     std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, file) == 1 &&
                     std::fwrite(pBits, 1, nImageSize, file) == nImageSize;
    return std::fclose(file) == 0 && bOk;
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "main") != 0 && std::strcmp(argv[1], "about") != 0))
    {
        std::fprintf(stderr, "usage: brivelle_win_capture main|about OUT.bmp\n");
        return 2;
    }
    CWin32SystemServices services;
    CBrivelleDlg dlg(services);
    if (!dlg.Create())
    {
        std::fprintf(stderr, "brivelle_win_capture: the main dialog could not be created\n");
        return 1;
    }
    ::SetWindowPos(dlg.m_hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    ::SetForegroundWindow(dlg.m_hWnd);
    Pump(400);
    HWND hTarget = dlg.m_hWnd;
    CAboutDlg about;
    if (std::strcmp(argv[1], "about") == 0)
    {
        if (!about.Create(&dlg))
        {
            std::fprintf(stderr, "brivelle_win_capture: the about box could not be created\n");
            return 1;
        }
        ::SetWindowPos(about.m_hWnd, HWND_TOP, 60, 60, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        hTarget = about.m_hWnd;
        Pump(300);
    }
    ::RedrawWindow(hTarget, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump(200);
    if (!SaveWindowPicture(hTarget, argv[2]))
    {
        std::fprintf(stderr, "brivelle_win_capture: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
