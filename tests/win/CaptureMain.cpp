// Saves a picture of the main dialog, with or without slides, of the preview playing, or of the about box,
// as a 24-bit BMP (for screenshots, not a test).
// Usage: brivelle_win_capture main|slides|preview|about OUT.bmp
#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "framework/Handles.h"
#include "tests/win/AnsweringServices.h"
#include "tests/win/WinTestSupport.h"
#include "ui/AboutDlg.h"
#include "ui/BrivelleDlg.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
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
// Five pictures for the slide list: a photo-like picture, three colour cards and a second photo.
bool WriteSamplePictures(const std::filesystem::path &folder, std::vector<std::wstring> &paths)
{
    std::filesystem::create_directories(folder);
    struct Sample
    {
        const char *pszName;
        Raster picture;
    };
    const Sample samples[] = {
        {"harbour.jpg", MakePhoto(640, 480, 7)},        {"red.bmp", MakeCard(320, 240, 210, 40, 40)},
        {"green.bmp", MakeCard(320, 240, 40, 170, 70)}, {"blue.bmp", MakeCard(320, 240, 40, 80, 200)},
        {"meadow.jpg", MakePhoto(800, 600, 21)},
    };
    for (const Sample &sample : samples)
    {
        const std::string path = (folder / sample.pszName).u8string();
        const bool bJpeg = std::strstr(sample.pszName, ".jpg") != nullptr;
        if (!(bJpeg ? WriteJpeg(path, sample.picture, 90) : WriteBmp(path, sample.picture)))
            return false;
        paths.push_back(WideFromUtf8(path));
    }
    return true;
}

void Click(const CWnd &dlg, int nId)
{
    dlg.SendMessage(WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(dlg.GetDlgItem(nId)));
}
} // namespace

int main(int argc, char **argv)
{
    const char *kModes[] = {"main", "slides", "preview", "about"};
    bool bKnownMode = false;
    for (const char *pszMode : kModes)
        bKnownMode = bKnownMode || (argc == 3 && std::strcmp(argv[1], pszMode) == 0);
    if (!bKnownMode)
    {
        std::fprintf(stderr, "usage: brivelle_win_capture main|slides|preview|about OUT.bmp\n");
        return 2;
    }
    const std::string mode = argv[1];
    ULONG_PTR gdiplusToken = 0;
    Gdiplus::GdiplusStartupInput gdiplusInput;
    Gdiplus::GdiplusStartup(&gdiplusToken, &gdiplusInput, nullptr);

    CAnsweringServices services;
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "brivelle-capture";
    if ((mode == "slides" || mode == "preview") && !WriteSamplePictures(work, services.m_openPaths))
    {
        std::fprintf(stderr, "brivelle_win_capture: cannot write the sample pictures\n");
        return 1;
    }
    services.m_strSavePath = (work / "capture.swf").wstring();
    int nResult = 0;
    {
        CBrivelleDlg dlg(services);
        if (!dlg.Create())
        {
            std::fprintf(stderr, "brivelle_win_capture: the main dialog could not be created\n");
            return 1;
        }
        ::SetWindowPos(dlg.m_hWnd, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        ::SetForegroundWindow(dlg.m_hWnd);
        PumpMessages(400);
        if (mode == "slides" || mode == "preview")
        {
            Click(dlg, IDC_BTN_ADD);
            dlg.SetDlgItemText(IDC_EDIT_URL, L"https://example.com/harbour");
            for (int i = 0; i < 500 && dlg.HasPendingWork(); ++i)
                PumpMessages(20);
            PumpMessages(200);
        }
        if (mode == "preview")
        {
            dlg.SetDlgItemText(IDC_EDIT_WIDTH, L"400");
            dlg.SetDlgItemText(IDC_EDIT_HEIGHT, L"300");
            dlg.SetDlgItemText(IDC_EDIT_FPS, L"2");
            Click(dlg, IDC_BTN_MAKE);
            for (int i = 0; i < 1500 && dlg.HasPendingWork(); ++i)
                PumpMessages(20);
            PumpMessages(1200);
        }
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
            PumpMessages(300);
        }
        ::RedrawWindow(hTarget, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        PumpMessages(200);
        if (!SaveWindowPicture(hTarget, argv[2]))
        {
            std::fprintf(stderr, "brivelle_win_capture: cannot write %s\n", argv[2]);
            nResult = 1;
        }
    }
    std::error_code ec;
    std::filesystem::remove_all(work, ec);
    Gdiplus::GdiplusShutdown(gdiplusToken);
    return nResult;
}
