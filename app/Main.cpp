// The application's one application object, constructed before the framework's entry point runs.
#include "app/BrivelleApp.h"
#include "framework/Win32SystemServices.h"

namespace
{
CWin32SystemServices s_services;
}

CBrivelleApp theApp(s_services);
