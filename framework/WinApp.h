// CWinApp: the application object, its start and end, and the framework's process-wide helpers.
#pragma once

#include "framework/CmdTarget.h"
#include "framework/MessageMap.h"

#include <windows.h>

#include <string>

class CWnd;

// The framework's standard help command, sent to the main window for F1.
constexpr UINT kIdHelpCommand = 0xE146;

// The one application object of the process. The entry point calls InitInstance; FALSE skips the
// message loop and goes straight to ExitInstance, whose result becomes the exit code. Commands that
// the main window's map does not handle reach this object's map.
class CWinApp : public CCmdTarget
{
  public:
    // Without a name the application is named after the executable file's base name.
    explicit CWinApp(const wchar_t *pszAppName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    // The message loop, for applications whose InitInstance returns TRUE; ends with ExitInstance.
    virtual int Run();

    // Makes the process able to host ActiveX controls (OLE on this thread, undone at the end).
    void EnableControlContainer();
    // Undoes what the framework set up for the process; called once after ExitInstance.
    void TerminateFramework();

    CWnd *m_pMainWnd = nullptr;
    std::wstring m_strAppName;

  private:
    bool m_bOleInitialised = false;
    int m_nExitCode = 0;
};

CWinApp *AfxGetApp();
// The application's main window, or null.
CWnd *AfxGetMainWnd();
// The module whose resources (templates, bitmaps, strings) the framework loads.
HINSTANCE AfxGetResourceHandle();
// The full path of the executable, of any length.
std::wstring AfxGetModuleFileName();
// The file name of a path without its folder and without its extension.
std::wstring AfxBaseNameOf(const std::wstring &path);
// The application's name: the application object's, else the executable's base name.
std::wstring AfxGetAppName();
// A modal message box titled with the application's name. Without an owner, the main window or the
// active window of the thread owns it.
int AfxMessageBox(HWND hOwner, const std::wstring &text, UINT nType);
// The top-level window that should own a modal window opened without a parent.
HWND AfxGetSafeOwner(HWND hParent);
// Registers the common control classes the dialogs use (list view, up-down, tooltips...), once.
void AfxPrepareCommonControls();

// The framework's entry point: runs the application object.
int AfxWinMain(HINSTANCE hInstance, int nCmdShow);
