// CBrivelleApp: the application object: start-up, shut-down and the help command.
#pragma once

#include "framework/SystemServices.h"
#include "framework/WinApp.h"
#include "res/resource.h"

static_assert(ID_HELP == kIdHelpCommand, "the framework sends ID_HELP for F1");

// Starts GDI+, runs the main dialog modally and shuts GDI+ down after the dialog is gone. F1 in the
// dialog reaches OnOpenHelpPage through the framework's command routing.
class CBrivelleApp : public CWinApp
{
    BEGIN_MSG_MAP(CBrivelleApp, CWinApp)
    ON_COMMAND(ID_HELP, OnOpenHelpPage)
    END_MSG_MAP()

  public:
    explicit CBrivelleApp(ISystemServices &services);
    ~CBrivelleApp() override;

    // Runs the main dialog; always FALSE, so the framework goes straight to ExitInstance.
    BOOL InitInstance() override;
    int ExitInstance() override;

    // Opens the help page beside the executable, without looking for it first.
    void OnOpenHelpPage();

    ULONG_PTR m_gdiplusToken = 0;

  private:
    ISystemServices &m_services;
};
