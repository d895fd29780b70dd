// CBrivelleApp: GDI+ around the main dialog's life, and the help command.
#include "app/BrivelleApp.h"

#include "ui/BrivelleDlg.h"
#include "ui/HelpPage.h"

#include <objidl.h>

#include <gdiplus.h>

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
