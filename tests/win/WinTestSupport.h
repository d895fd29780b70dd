// Helpers for tests that drive real windows under Wine: message pumping, a fake of the system
// services, answering modal windows, reading tooltips and pixels.
#pragma once

#include "framework/SystemServices.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Dispatches this thread's messages for the given time.
void PumpMessages(DWORD nMilliseconds);
// Dispatches this thread's messages for the given time, keyboard messages through the dialog manager
// of hDlg first (Tab, Enter, Escape), as the modal loop does.
void PumpDialogMessages(HWND hDlg, DWORD nMilliseconds);
// Dispatches messages until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()> &done, DWORD nTimeoutMilliseconds);

// System services that record every call and answer as the test says. The language, module path
// and temporary folder are plain fields; FileExists asks the real directory search unless told.
class CFakeSystemServices : public ISystemServices
{
  public:
    CFakeSystemServices();

    struct MessageBoxCall
    {
        HWND hOwner;
        std::wstring text;
        UINT nType;
    };
    struct OpenDialogCall
    {
        HWND hOwner;
        std::wstring filter;
        DWORD dwFlags;
        size_t nBufferChars;
        std::wstring initialFolder;
    };
    struct SaveDialogCall
    {
        HWND hOwner;
        std::wstring filter;
        std::wstring defaultExt;
        DWORD dwFlags;
        std::wstring initialPath;
    };

    bool ShowOpenFileDialog(HWND hOwner, const std::wstring &filter, DWORD dwFlags, size_t nBufferChars,
                            const std::wstring &initialFolder, std::vector<std::wstring> &paths) override;
    bool ShowSaveFileDialog(HWND hOwner, const std::wstring &filter, const std::wstring &defaultExt, DWORD dwFlags,
                            std::wstring &path) override;
    int ShowMessageBox(HWND hOwner, const std::wstring &text, UINT nType) override;
    void ShellOpen(const std::wstring &path) override;
    std::wstring TempFolder() override;
    std::wstring ModulePath() override;
    LANGID SystemDefaultLangId() override;
    bool FileExists(const std::wstring &path) override;
    std::wstring AppDataFolder() override;

    LANGID m_langId = 0x0409;
    std::wstring m_strModulePath;
    std::wstring m_strTempFolder = L"C:\\fake-temp\\";
    std::function<bool(const std::wstring &)> m_fileExists;
    bool m_bOpenConfirms = false;
    std::vector<std::wstring> m_openPaths;
    bool m_bSaveConfirms = false;
    std::wstring m_strSavePath;
    // Empty: no settings are read or written.
    std::wstring m_strAppDataFolder;
    int m_nMessageBoxAnswer = IDOK;
    // Called while a message box "shows", with the window that has the focus at that moment.
    std::function<void(const MessageBoxCall &)> m_onMessageBox;
    // Called while the Open or Save As dialog "shows", before it answers.
    std::function<void()> m_onOpenDialog;
    std::function<void()> m_onSaveDialog;

    std::vector<MessageBoxCall> m_messageBoxes;
    std::vector<OpenDialogCall> m_openDialogs;
    std::vector<SaveDialogCall> m_saveDialogs;
    std::vector<std::wstring> m_shellOpened;
    std::vector<std::wstring> m_existsQueries;
};

// Runs step() from a thread timer every few milliseconds, also inside modal loops (message boxes,
// DoModal), until it returns true or the watcher goes out of scope. One at a time.
class CModalWatcher
{
  public:
    explicit CModalWatcher(std::function<bool()> step, UINT nIntervalMilliseconds = 20);
    ~CModalWatcher();
    CModalWatcher(const CModalWatcher &) = delete;
    CModalWatcher &operator=(const CModalWatcher &) = delete;

    int Ticks() const
    {
        return m_nTicks;
    }

  private:
    static void CALLBACK TimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

    std::function<bool()> m_step;
    UINT_PTR m_idTimer = 0;
    int m_nTicks = 0;
};

// Ends the test process with a message when the guarded code has not finished in time, so that a
// hang fails at once instead of stalling the run until the test runner gives up.
class CHangGuard
{
  public:
    CHangGuard(DWORD nMilliseconds, const char *pszWhat);
    ~CHangGuard();
    CHangGuard(const CHangGuard &) = delete;
    CHangGuard &operator=(const CHangGuard &) = delete;

  private:
    static DWORD WINAPI WatchProc(void *pParam);

    HANDLE m_hDone;
    HANDLE m_hThread;
    DWORD m_nMilliseconds;
    const char *m_pszWhat;
};

// The first visible dialog-class window (#32770) of this thread other than hExclude, or null.
HWND FindThreadDialog(HWND hExclude);
std::wstring WindowText(HWND hWnd);
// The tooltip windows of this thread that have hTool as a tool.
std::vector<HWND> TooltipsOf(HWND hTool);
// The text of the tool hTool in its one tooltip; empty when there is none.
std::wstring TooltipTextOf(HWND hTool);
// The modifier keys as this thread's keyboard state sees them, for the lifetime of the object.
class CHeldKeys
{
  public:
    explicit CHeldKeys(const std::vector<BYTE> &keys);
    ~CHeldKeys();

  private:
    BYTE m_saved[256];
};

// A 32-bit top-down pixel buffer of a bitmap.
struct Pixels
{
    int nWidth = 0;
    int nHeight = 0;
    std::vector<DWORD> data; // 0x00RRGGBB

    COLORREF At(int x, int y) const
    {
        const DWORD v = data[static_cast<size_t>(y) * static_cast<size_t>(nWidth) + static_cast<size_t>(x)];
        return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
    }
};
Pixels ReadPixels(HBITMAP hBitmap);
// What a window shows on the screen now, client area only.
Pixels CaptureClient(HWND hWnd);
// A bitmap resource of the application, read as pixels.
Pixels ResourcePixels(UINT nId);
// A 32-bit DIB section of the given size filled with one colour, selected into a memory DC.
class CCanvas
{
  public:
    CCanvas(int nWidth, int nHeight, COLORREF crFill);
    ~CCanvas();
    CCanvas(const CCanvas &) = delete;
    CCanvas &operator=(const CCanvas &) = delete;

    HDC DC() const
    {
        return m_hDC;
    }
    COLORREF At(int x, int y) const;

  private:
    HDC m_hDC = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
    DWORD *m_pBits = nullptr;
    int m_nWidth;
    int m_nHeight;
};
