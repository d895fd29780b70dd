// CWinApp and the framework's process-wide helpers.
#include "framework/WinApp.h"

#include "base/Path.h"
#include "framework/Wnd.h"

#include <commctrl.h>
#include <ole2.h>

#include <vector>

namespace
{
CWinApp *s_pApp = nullptr; // the one application object
}

CWinApp::CWinApp(const wchar_t *pszAppName)
    : m_strAppName(pszAppName != nullptr ? pszAppName : AfxBaseNameOf(AfxGetModuleFileName()))
{
    s_pApp = this;
}

CWinApp::~CWinApp()
{
    TerminateFramework();
    if (s_pApp == this)
        s_pApp = nullptr;
}

BOOL CWinApp::InitInstance()
{
    return TRUE;
}

int CWinApp::ExitInstance()
{
    return m_nExitCode;
}

int CWinApp::Run()
{
    MSG msg{};
    for (;;)
    {
        const BOOL bGot = ::GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == 0 || bGot == -1)
            break;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    m_nExitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

void CWinApp::EnableControlContainer()
{
    if (!m_bOleInitialised)
        m_bOleInitialised = SUCCEEDED(::OleInitialize(nullptr));
}

void CWinApp::TerminateFramework()
{
    if (m_bOleInitialised)
    {
        ::OleUninitialize();
        m_bOleInitialised = false;
    }
}

CWinApp *AfxGetApp()
{
    return s_pApp;
}

CWnd *AfxGetMainWnd()
{
    return s_pApp != nullptr ? s_pApp->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle()
{
    return ::GetModuleHandleW(nullptr);
}

std::wstring AfxGetModuleFileName()
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;)
    {
        const DWORD nCopied = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (nCopied == 0)
            return std::wstring();
        if (nCopied < buffer.size())
            return std::wstring(buffer.data(), nCopied);
        if (buffer.size() >= 32768)
            return std::wstring();
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring AfxBaseNameOf(const std::wstring &path)
{
    std::wstring name = FileNameOf(path);
    const size_t nDot = name.rfind(L'.');
    if (nDot != std::wstring::npos && nDot > 0)
        name.erase(nDot);
    return name;
}

std::wstring AfxGetAppName()
{
    if (s_pApp != nullptr && !s_pApp->m_strAppName.empty())
        return s_pApp->m_strAppName;
    return AfxBaseNameOf(AfxGetModuleFileName());
}

HWND AfxGetSafeOwner(HWND hParent)
{
    HWND hOwner = hParent;
    if (hOwner == nullptr)
    {
        CWnd *pMainWnd = AfxGetMainWnd();
        if (pMainWnd != nullptr && pMainWnd->m_hWnd != nullptr && ::IsWindow(pMainWnd->m_hWnd))
            hOwner = pMainWnd->m_hWnd;
    }
    if (hOwner == nullptr)
        hOwner = ::GetActiveWindow();
    if (hOwner != nullptr)
        hOwner = ::GetAncestor(hOwner, GA_ROOT);
    return hOwner;
}

int AfxMessageBox(HWND hOwner, const std::wstring &text, UINT nType)
{
    const std::wstring caption = AfxGetAppName();
    return ::MessageBoxW(AfxGetSafeOwner(hOwner), text.c_str(), caption.c_str(), nType);
}

void AfxPrepareCommonControls()
{
    static const bool bPrepared = [] {
        INITCOMMONCONTROLSEX icc{};
        icc.dwSize = sizeof(icc);
        icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS |
                    ICC_BAR_CLASSES | ICC_TAB_CLASSES;
        return ::InitCommonControlsEx(&icc) != FALSE;
    }();
    static_cast<void>(bPrepared);
}

int AfxWinMain(HINSTANCE hInstance, int nCmdShow)
{
    static_cast<void>(hInstance);
    static_cast<void>(nCmdShow);
    CWinApp *pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    int nExitCode = 0;
    if (!pApp->InitInstance())
        nExitCode = pApp->ExitInstance();
    else
        nExitCode = pApp->Run();
    pApp->TerminateFramework();
    return nExitCode;
}
