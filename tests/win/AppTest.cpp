// CBrivelleApp and the help page: the page's path, F1 and its modifiers, the help command's missing
// existence test, start-up and shut-down in process, and Brivelle.exe itself under Wine.
#include "TableChecks.h"
#include "WinTestSupport.h"

#include "app/BrivelleApp.h"
#include "support/TempDir.h"
#include "ui/BrivelleDlg.h"
#include "ui/HelpPage.h"

#include <gtest/gtest.h>

#include <objidl.h>

#include <gdiplus.h>

#include <memory>

namespace
{
TEST(HelpPageTest, PathIsTheExecutablesFolderPlusHelpHtm)
{
    ExpectEachMapsTo(
        {
            {L"C:\\Program Files\\Brivelle\\Brivelle.exe", L"C:\\Program Files\\Brivelle\\Help\\Help.htm"},
            {L"Z:\\work\\out\\app\\Brivelle.exe", L"Z:\\work\\out\\app\\Help\\Help.htm"},
            {L"C:\\Brivelle.exe", L"C:\\Help\\Help.htm"},
            {L"Brivelle.exe", L"Help\\Help.htm"},
            {L"", L"Help\\Help.htm"},
        },
        [](const wchar_t *pszModulePath) { return HelpPagePath(pszModulePath); });
}

// The folder of this executable, ending with a backslash.
std::wstring ExecutableFolder()
{
    const std::wstring path = AfxGetModuleFileName();
    return path.substr(0, path.rfind(L'\\') + 1);
}

class BrivelleAppTest : public testing::Test
{
  protected:
    void Open()
    {
        m_app = std::make_unique<CBrivelleApp>(m_services);
        m_dlg = std::make_unique<CBrivelleDlg>(m_services);
        ASSERT_TRUE(m_dlg->Create());
        m_app->m_pMainWnd = m_dlg.get();
        ::SetForegroundWindow(m_dlg->m_hWnd);
        PumpMessages(20);
    }
    void TearDown() override
    {
        m_dlg.reset();
        m_app.reset();
    }

    CFakeSystemServices m_services;
    std::unique_ptr<CBrivelleApp> m_app;
    std::unique_ptr<CBrivelleDlg> m_dlg;
};

TEST_F(BrivelleAppTest, F1OpensTheHelpPageFromTheExecutablesFolderWhateverTheCurrentFolder)
{
    TempDir elsewhere;
    wchar_t saved[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(::SetCurrentDirectoryW(elsewhere.Path().wstring().c_str()));
    m_services.m_fileExists = [](const std::wstring &) { return false; };
    Open();
    ::SetFocus(m_dlg->GetDlgItem(IDC_EDIT_URL));

    INPUT keys[2] = {};
    keys[0].type = INPUT_KEYBOARD;
    keys[0].ki.wVk = VK_F1;
    keys[1] = keys[0];
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, keys, sizeof(INPUT));
    PumpUntil([&] { return !m_services.m_shellOpened.empty(); }, 2000);
    ::SetCurrentDirectoryW(saved);

    EXPECT_EQ(std::vector<std::wstring>{ExecutableFolder() + L"Help\\Help.htm"}, m_services.m_shellOpened);
    EXPECT_TRUE(m_services.m_existsQueries.empty()) << "F1 opens the page without looking for it";
}

TEST_F(BrivelleAppTest, F1WithAModifierDoesNothing)
{
    struct Case
    {
        const char *name;
        std::vector<BYTE> held;
        size_t nOpened;
    };
    const Case cases[] = {
        {"F1", {}, 1}, {"Shift+F1", {VK_SHIFT}, 0}, {"Ctrl+F1", {VK_CONTROL}, 0}, {"Alt+F1", {VK_MENU}, 0}};
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_services.m_shellOpened.clear();
        Open();
        HWND hFocus = m_dlg->GetDlgItem(IDC_EDIT_WIDTH);
        HELPINFO info{};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        info.hItemHandle = hFocus;
        {
            CHeldKeys keys(c.held);
            ::SendMessageW(hFocus, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        EXPECT_EQ(c.nOpened, m_services.m_shellOpened.size());
        TearDown();
    }
}

TEST_F(BrivelleAppTest, TheHelpCommandReachesTheApplicationThroughTheDialog)
{
    m_services.m_strModulePath = L"D:\\Tools\\Brivelle.exe";
    Open();
    m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(ID_HELP, 0), 0);
    EXPECT_EQ(std::vector<std::wstring>{L"D:\\Tools\\Help\\Help.htm"}, m_services.m_shellOpened);
}

TEST(BrivelleAppRunTest, InitInstanceRunsTheDialogWithGdiplusAndReturnsFalse)
{
    CFakeSystemServices services;
    CBrivelleApp app(services);
    bool bSawDialog = false;
    bool bGdiplusWorked = false;
    bool bWasMainWindow = false;
    CModalWatcher watcher([&] {
        HWND hDlg = FindThreadDialog(nullptr);
        if (hDlg == nullptr || WindowText(hDlg) != L"Brivelle")
            return false;
        bSawDialog = true;
        bWasMainWindow = app.m_pMainWnd != nullptr && app.m_pMainWnd->m_hWnd == hDlg;
        Gdiplus::GpBitmap *pBitmap = nullptr;
        bGdiplusWorked = Gdiplus::DllExports::GdipCreateBitmapFromScan0(4, 4, 0, PixelFormat24bppRGB, nullptr,
                                                                        &pBitmap) == Gdiplus::Ok;
        if (pBitmap != nullptr)
            Gdiplus::DllExports::GdipDisposeImage(pBitmap);
        ::PostMessageW(::GetDlgItem(hDlg, IDC_LIST_IMAGES), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return true;
    });
    EXPECT_EQ(FALSE, app.InitInstance());
    EXPECT_TRUE(bSawDialog);
    EXPECT_TRUE(bWasMainWindow);
    EXPECT_TRUE(bGdiplusWorked) << "GDI+ runs while the dialog is open";
    EXPECT_EQ(nullptr, app.m_pMainWnd) << "no pointer to the finished dialog is left behind";
    EXPECT_EQ(nullptr, FindThreadDialog(nullptr)) << "the dialog is gone before ExitInstance";
    EXPECT_NE(0u, app.m_gdiplusToken);
    EXPECT_EQ(0, app.ExitInstance());
    EXPECT_EQ(0u, app.m_gdiplusToken);
}

struct ProcessWindowSearch
{
    DWORD nProcessId;
    HWND hFound;
};

BOOL CALLBACK FindProcessDialog(HWND hWnd, LPARAM lParam)
{
    auto *pSearch = reinterpret_cast<ProcessWindowSearch *>(lParam);
    DWORD nProcessId = 0;
    ::GetWindowThreadProcessId(hWnd, &nProcessId);
    if (nProcessId == pSearch->nProcessId && ::IsWindowVisible(hWnd) && WindowText(hWnd) == L"Brivelle")
    {
        pSearch->hFound = hWnd;
        return FALSE;
    }
    return TRUE;
}

TEST(BrivelleExeTest, StartsShowsTheDialogAndEndsCleanlyOnEscape)
{
    std::wstring relative = BRIVELLE_EXE_FROM_TESTS;
    for (wchar_t &c : relative)
        c = c == L'/' ? L'\\' : c;
    const std::wstring exe = ExecutableFolder() + relative;
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process))
        << "cannot start " << testing::PrintToString(exe);

    ProcessWindowSearch search{process.dwProcessId, nullptr};
    const DWORD nStart = ::GetTickCount();
    while (search.hFound == nullptr && ::GetTickCount() - nStart < 20000 &&
           ::WaitForSingleObject(process.hProcess, 50) == WAIT_TIMEOUT)
        ::EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
    EXPECT_NE(nullptr, search.hFound) << "the main dialog did not appear";
    if (search.hFound != nullptr)
    {
        wchar_t className[64] = {};
        ::GetClassNameW(::GetDlgItem(search.hFound, IDC_LIST_IMAGES), className, 64);
        EXPECT_STREQ(WC_LISTVIEWW, className);
        ::PostMessageW(::GetDlgItem(search.hFound, IDC_LIST_IMAGES), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    }
    const DWORD nWait = ::WaitForSingleObject(process.hProcess, 20000);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), nWait) << "Escape must end the program";
    if (nWait != WAIT_OBJECT_0)
        ::TerminateProcess(process.hProcess, 99);
    DWORD nExitCode = 99;
    ::GetExitCodeProcess(process.hProcess, &nExitCode);
    EXPECT_EQ(0u, nExitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
}
} // namespace
