// CBrivelleApp: GDI+ around the main dialog's life, and the help command.
#include "app/BrivelleApp.h"

#include "ui/BrivelleDlg.h"
#include "ui/HelpPage.h"

#include <objidl.h>

#include <gdiplus.h>
#include <shellapi.h>

namespace
{
// The arguments after the program's name: a slide list, or pictures and folders ("Open with").
std::vector<std::wstring> CommandLineFiles()
{
    std::vector<std::wstring> files;
    int nArgs = 0;
    LPWSTR *ppArgs = ::CommandLineToArgvW(::GetCommandLineW(), &nArgs);
    if (ppArgs == nullptr)
        return files;
    for (int i = 1; i < nArgs; ++i)
        files.push_back(ppArgs[i]);
    ::LocalFree(ppArgs);
    return files;
}
} // namespace

CBrivelleApp::CBrivelleApp(ISystemServices &services) : CWinApp(nullptr), m_services(services)
{
}

CBrivelleApp::~CBrivelleApp() = default;

BOOL CBrivelleApp::InitInstance()
{
    EnableControlContainer();

    Gdiplus::GdiplusStartupInput input;
    input.GdiplusVersion = 1;
    input.DebugEventCallback = nullptr;
    input.SuppressBackgroundThread = FALSE;
    input.SuppressExternalCodecs = FALSE;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);

    {
        // The dialog, and every GDI+ object it owns, is gone before ExitInstance shuts GDI+ down.
        CBrivelleDlg dlg(m_services);
        dlg.SetStartupFiles(CommandLineFiles());
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    return FALSE;
}

int CBrivelleApp::ExitInstance()
{
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
    m_gdiplusToken = 0;
    return CWinApp::ExitInstance();
}

void CBrivelleApp::OnOpenHelpPage()
{
    m_services.ShellOpen(HelpPagePath(m_services.ModulePath()));
}
