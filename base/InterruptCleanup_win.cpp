// Console control events on Windows: the work in progress stops and cleans up, then the process ends.
#include "base/InterruptCleanup.h"

#include <windows.h>

namespace
{
// How long the work in progress has to stop by itself; Windows ends a closing console's process after 5 s.
constexpr DWORD kGraceMs = 3000;

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    const int status = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 129;
    SetInterruptStatus(status);
    // The process ends sooner when the work returns; this thread then goes with it.
    Sleep(kGraceMs);
    RemoveInterruptCleanupPaths();
    ExitProcess(static_cast<UINT>(status));
}
} // namespace

void InstallInterruptCleanup()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}
