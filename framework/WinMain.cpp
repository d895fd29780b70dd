// The program's entry point: hands control to the framework, which runs the application object.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPWSTR pCmdLine, int nCmdShow)
{
    static_cast<void>(hPrevInstance);
    static_cast<void>(pCmdLine);
    return AfxWinMain(hInstance, nCmdShow);
}
