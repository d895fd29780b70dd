// The framework: message maps, window links, owner-draw reflection, command routing, F1, file dialog
// helpers, handle wrappers, message boxes and the system services.
#include "TableChecks.h"
#include "WinTestSupport.h"

#include "framework/Button.h"
#include "framework/Dialog.h"
#include "framework/FileDialog.h"
#include "framework/Handles.h"
#include "framework/Win32SystemServices.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace
{
constexpr UINT WM_PROBE_ONE = WM_APP + 1;
constexpr UINT WM_PROBE_TWO = WM_APP + 2;
constexpr UINT WM_PROBE_UNMAPPED = WM_APP + 3;
constexpr int kProbeControlId = 77;

const wchar_t kProbeClass[] = L"BrivelleTestProbe";

// A wide string literal with its embedded NULs, without the literal's own terminator.
template <size_t N> std::wstring WithNuls(const wchar_t (&text)[N])
{
    return std::wstring(text, N - 1);
}

// A window whose base class maps two messages and a notification.
class CProbeBase : public CWnd
{
    BEGIN_MSG_MAP(CProbeBase, CWnd)
    ON_MESSAGE_VOID(WM_PROBE_ONE, OnProbeOne)
    ON_MESSAGE_VOID(WM_PROBE_TWO, OnProbeTwoBase)
    ON_NOTIFY(NM_CLICK, kProbeControlId, OnProbeClick, NMHDR)
    END_MSG_MAP()

  public:
    int m_nClicks = 0;

    bool Create()
    {
        CWnd::RegisterWindowClass(kProbeClass, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        return CreateEx(0, kProbeClass, L"probe", WS_OVERLAPPEDWINDOW, RECT{10, 10, 300, 200}, nullptr, 0);
    }

  protected:
    LRESULT OnProbeOne()
    {
        return 1;
    }
    LRESULT OnProbeTwoBase()
    {
        return 2;
    }
    LRESULT OnProbeClick(NMHDR &hdr)
    {
        static_cast<void>(hdr);
        ++m_nClicks;
        return 5;
    }
};

// Overrides one message of its base and cracks mouse and command messages.
class CProbeDerived : public CProbeBase
{
    BEGIN_MSG_MAP(CProbeDerived, CProbeBase)
    ON_MESSAGE_VOID(WM_PROBE_TWO, OnProbeTwoDerived)
    ON_WM_LBUTTONDOWN(OnLButtonDown)
    ON_COMMAND(kProbeControlId, OnProbeCommand)
    ON_CONTROL(EN_CHANGE, kProbeControlId, OnProbeEditChange)
    END_MSG_MAP()

  public:
    UINT m_nFlags = 0;
    POINT m_pt{};
    int m_nCommands = 0;
    int m_nEditChanges = 0;

  protected:
    LRESULT OnProbeTwoDerived()
    {
        return 20;
    }
    void OnLButtonDown(UINT nFlags, POINT pt)
    {
        m_nFlags = nFlags;
        m_pt = pt;
    }
    void OnProbeCommand()
    {
        ++m_nCommands;
    }
    void OnProbeEditChange()
    {
        ++m_nEditChanges;
    }
};

TEST(MessageMapTest, DerivedEntriesComeFirstThenTheBaseThenDefault)
{
    CProbeDerived probe;
    ASSERT_TRUE(probe.Create());
    EXPECT_EQ(1, probe.SendMessage(WM_PROBE_ONE));
    EXPECT_EQ(20, probe.SendMessage(WM_PROBE_TWO)) << "the derived entry must hide the base entry";
    EXPECT_EQ(0, probe.SendMessage(WM_PROBE_UNMAPPED));
    EXPECT_EQ(&probe, CWnd::FromHandlePermanent(probe.m_hWnd));
}

TEST(MessageMapTest, HandlersGetCrackedSignedParameters)
{
    CProbeDerived probe;
    ASSERT_TRUE(probe.Create());
    probe.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-5, 7));
    EXPECT_EQ(static_cast<UINT>(MK_LBUTTON | MK_SHIFT), probe.m_nFlags);
    EXPECT_EQ(-5, probe.m_pt.x) << "coordinates left of the window are negative";
    EXPECT_EQ(7, probe.m_pt.y);
}

TEST(MessageMapTest, CommandsAndNotificationsMatchByIdAndCode)
{
    CProbeDerived probe;
    ASSERT_TRUE(probe.Create());
    HWND hEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, probe.m_hWnd,
                                   reinterpret_cast<HMENU>(kProbeControlId), nullptr, nullptr);
    struct Case
    {
        const char *name;
        WPARAM wParam;
        LPARAM lParam;
        int nCommands;
        int nEditChanges;
    };
    const Case cases[] = {
        {"menu command", MAKEWPARAM(kProbeControlId, 0), 0, 1, 0},
        {"accelerator", MAKEWPARAM(kProbeControlId, 1), 0, 1, 0},
        {"button click", MAKEWPARAM(kProbeControlId, BN_CLICKED), reinterpret_cast<LPARAM>(hEdit), 1, 0},
        {"edit change", MAKEWPARAM(kProbeControlId, EN_CHANGE), reinterpret_cast<LPARAM>(hEdit), 0, 1},
        {"other id", MAKEWPARAM(kProbeControlId + 1, 0), 0, 0, 0},
        {"other control code", MAKEWPARAM(kProbeControlId, EN_SETFOCUS), reinterpret_cast<LPARAM>(hEdit), 0, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        probe.m_nCommands = 0;
        probe.m_nEditChanges = 0;
        probe.SendMessage(WM_COMMAND, c.wParam, c.lParam);
        EXPECT_EQ(c.nCommands, probe.m_nCommands);
        EXPECT_EQ(c.nEditChanges, probe.m_nEditChanges);
    }

    NMHDR hdr{hEdit, static_cast<UINT_PTR>(kProbeControlId), static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(5, probe.SendMessage(WM_NOTIFY, kProbeControlId, reinterpret_cast<LPARAM>(&hdr)));
    hdr.code = static_cast<UINT>(NM_DBLCLK);
    EXPECT_EQ(0, probe.SendMessage(WM_NOTIFY, kProbeControlId, reinterpret_cast<LPARAM>(&hdr)));
    hdr.code = static_cast<UINT>(NM_CLICK);
    hdr.idFrom = kProbeControlId + 1;
    EXPECT_EQ(0, probe.SendMessage(WM_NOTIFY, kProbeControlId + 1, reinterpret_cast<LPARAM>(&hdr)));
    EXPECT_EQ(1, probe.m_nClicks);
}

// Counts the WM_SETTEXT messages of a subclassed control, then lets the control handle them.
class CTextCounter : public CWnd
{
    BEGIN_MSG_MAP(CTextCounter, CWnd)
    ON_MESSAGE_VOID(WM_SETTEXT, OnSetText)
    END_MSG_MAP()

  public:
    int m_nSetText = 0;
    int m_nPreSubclass = 0;

  protected:
    void PreSubclassWindow() override
    {
        ++m_nPreSubclass;
    }
    LRESULT OnSetText()
    {
        ++m_nSetText;
        return Default();
    }
};

// A host window with an edit control for a CTextCounter to subclass.
class WndLinkTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create());
        m_hEdit = ::CreateWindowExW(0, L"EDIT", L"", WS_CHILD, 0, 0, 50, 20, m_host.m_hWnd, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_hEdit);
    }

    CProbeBase m_host;
    HWND m_hEdit = nullptr;
    CTextCounter m_counter;
};

TEST_F(WndLinkTest, SubclassedControlSeesItsMessagesAndDefaultStillRuns)
{
    ASSERT_TRUE(m_counter.SubclassWindow(m_hEdit));
    EXPECT_FALSE(m_counter.SubclassWindow(m_hEdit)) << "one window per object";
    EXPECT_EQ(1, m_counter.m_nPreSubclass);
    EXPECT_EQ(&m_counter, CWnd::FromHandlePermanent(m_hEdit));

    ::SetWindowTextW(m_hEdit, L"abc");
    EXPECT_EQ(1, m_counter.m_nSetText);
    EXPECT_EQ(L"abc", WindowText(m_hEdit)) << "Default() must reach the edit control";

    EXPECT_EQ(m_hEdit, m_counter.UnsubclassWindow());
    ::SetWindowTextW(m_hEdit, L"def");
    EXPECT_EQ(1, m_counter.m_nSetText);
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(m_hEdit));
}

TEST_F(WndLinkTest, ObjectsForgetTheirWindowWhenItIsDestroyed)
{
    ASSERT_TRUE(m_counter.SubclassWindow(m_hEdit));
    EXPECT_EQ(&m_host, CWnd::FromHandlePermanent(m_host.m_hWnd));
    ::DestroyWindow(m_host.m_hWnd);
    EXPECT_EQ(nullptr, m_host.m_hWnd);
    EXPECT_EQ(nullptr, m_counter.m_hWnd) << "the child went with its parent";
}

TEST_F(WndLinkTest, DialogsAreFoundFromTheirWindow)
{
    CDialog about(IDD_ABOUTBOX);
    ASSERT_TRUE(about.Create());
    EXPECT_EQ(&about, CDialog::FromHandle(about.m_hWnd));
    EXPECT_EQ(&about, CWnd::FromHandlePermanent(about.m_hWnd));
    HWND hOk = about.GetDlgItem(IDOK);
    EXPECT_EQ(nullptr, CDialog::FromHandle(hOk));
    EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(hOk)) << "a control nobody bound";
}

// An owner-drawn button that records the owner-draw records it is given.
class CDrawProbe : public CButton
{
  public:
    int m_nDraws = 0;
    HWND m_hDrawnItem = nullptr;

  protected:
    void DrawItem(const DRAWITEMSTRUCT &dis) override
    {
        ++m_nDraws;
        m_hDrawnItem = dis.hwndItem;
        ::FillRect(dis.hDC, &dis.rcItem, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
};

TEST(OwnerDrawTest, TheParentReflectsDrawItemToTheButton)
{
    CProbeBase host;
    ASSERT_TRUE(host.Create());
    host.ShowWindow(SW_SHOWNA);
    HWND hButton = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 5, 5, 40, 20, host.m_hWnd,
                                     nullptr, nullptr, nullptr);
    CDrawProbe probe;
    ASSERT_TRUE(probe.SubclassWindow(hButton));
    ::RedrawWindow(hButton, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_GE(probe.m_nDraws, 1);
    EXPECT_EQ(hButton, probe.m_hDrawnItem);
}

// An application whose map handles one command.
class CRouteApp : public CWinApp
{
    BEGIN_MSG_MAP(CRouteApp, CWinApp)
    ON_COMMAND(kIdHelpCommand, OnHelpCommand)
    END_MSG_MAP()

  public:
    int m_nHelpCommands = 0;

    void OnHelpCommand()
    {
        ++m_nHelpCommands;
    }
};

TEST(CommandRouteTest, CommandsTheDialogDoesNotHandleReachTheApplication)
{
    CRouteApp app;
    CDialog dialog(IDD_ABOUTBOX);
    ASSERT_TRUE(dialog.Create());
    app.m_pMainWnd = &dialog;

    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(kIdHelpCommand, 0), 0);
    EXPECT_EQ(1, app.m_nHelpCommands);
    // A control's notification with the same id is not a command for the application.
    dialog.SendMessage(WM_COMMAND, MAKEWPARAM(kIdHelpCommand, EN_CHANGE),
                       reinterpret_cast<LPARAM>(dialog.GetDlgItem(IDOK)));
    EXPECT_EQ(1, app.m_nHelpCommands);
    app.m_pMainWnd = nullptr;
}

TEST(CommandRouteTest, HelpRequestBecomesTheHelpCommandOnlyWithoutModifiers)
{
    struct Case
    {
        const char *name;
        std::vector<BYTE> held;
        int nExpected;
    };
    const Case cases[] = {
        {"F1 alone", {}, 1},
        {"Shift+F1", {VK_SHIFT}, 0},
        {"Ctrl+F1", {VK_CONTROL}, 0},
        {"Alt+F1", {VK_MENU}, 0},
        {"Ctrl+Shift+F1", {VK_CONTROL, VK_SHIFT}, 0},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CRouteApp app;
        CDialog dialog(IDD_ABOUTBOX);
        ASSERT_TRUE(dialog.Create());
        app.m_pMainWnd = &dialog;
        HWND hOk = dialog.GetDlgItem(IDOK);
        HELPINFO info{};
        info.cbSize = sizeof(info);
        info.iContextType = HELPINFO_WINDOW;
        info.hItemHandle = hOk;
        {
            CHeldKeys keys(c.held);
            // As the system does: the request starts at the focused control and climbs to the dialog.
            ::SendMessageW(hOk, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        EXPECT_EQ(c.nExpected, app.m_nHelpCommands);
        app.m_pMainWnd = nullptr;
    }
}

TEST(FileDialogTest, BarSeparatedFiltersBecomeDoubleNulTerminatedLists)
{
    struct Case
    {
        const wchar_t *bars;
        std::wstring expected;
    };
    const Case cases[] = {
        {L"SWF File|*.swf|", WithNuls(L"SWF File\0*.swf\0\0")},
        {L"Image file (*.bmp;*.jpg)|*.bmp;*.jpg|all Files (*.*)|*.*||",
         WithNuls(L"Image file (*.bmp;*.jpg)\0*.bmp;*.jpg\0all Files (*.*)\0*.*\0\0")},
        {L"A|a", WithNuls(L"A\0a\0\0")},
        {L"", std::wstring()},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.bars)));
        EXPECT_EQ(c.expected, FilterFromBars(c.bars));
    }
}

TEST(FileDialogTest, SelectionBufferGivesFullPaths)
{
    struct Case
    {
        const char *name;
        std::wstring buffer;
        std::vector<std::wstring> expected;
    };
    const Case cases[] = {
        {"one file", WithNuls(L"C:\\pics\\a.bmp\0\0"), {L"C:\\pics\\a.bmp"}},
        {"several files", WithNuls(L"C:\\pics\0a.bmp\0b.jpg\0\0"), {L"C:\\pics\\a.bmp", L"C:\\pics\\b.jpg"}},
        {"several in a drive's root", WithNuls(L"C:\\\0a.bmp\0b.jpg\0\0"), {L"C:\\a.bmp", L"C:\\b.jpg"}},
        {"nothing", WithNuls(L"\0\0"), {}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, PathsFromSelection(c.buffer.data(), c.buffer.size()));
    }
}

TEST(FileDialogTest, RealOpenDialogReturnsEverySelectedFile)
{
    TempDir dir;
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "a.bmp", "BM"));
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "b.jpg", "JPG"));
    const std::wstring folder = dir.Path().wstring();
    bool bSeen = false;
    std::vector<std::wstring> paths;
    bool bConfirmed = false;
    {
        // Quoted names are relative to the folder the dialog shows: the one it was asked to start in,
        // not the current one.
        const std::wstring typed = L"\"a.bmp\" \"b.jpg\"";
        CModalWatcher watcher([&] {
            HWND hDialog = FindThreadDialog(nullptr);
            if (hDialog == nullptr || ::GetDlgItem(hDialog, 0x47C) == nullptr)
                return false;
            bSeen = true;
            ::SetDlgItemTextW(hDialog, 0x47C, typed.c_str());
            ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
            return true;
        });
        bConfirmed = CWin32SystemServices().ShowOpenFileDialog(
            nullptr, L"Image file (*.bmp;*.jpg)|*.bmp;*.jpg|all Files (*.*)|*.*||",
            OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, 267265, folder + L"\\", paths);
    }
    EXPECT_TRUE(bSeen);
    EXPECT_TRUE(bConfirmed);
    EXPECT_EQ((std::vector<std::wstring>{folder + L"\\a.bmp", folder + L"\\b.jpg"}), paths);
}

TEST(FileDialogTest, RealSaveDialogAddsTheDefaultExtension)
{
    TempDir dir;
    const std::wstring folder = dir.Path().wstring();
    std::wstring path;
    bool bConfirmed = false;
    {
        const std::wstring typed = folder + L"\\movie";
        CModalWatcher watcher([&] {
            HWND hDialog = FindThreadDialog(nullptr);
            if (hDialog == nullptr || ::GetDlgItem(hDialog, 0x47C) == nullptr)
                return false;
            ::SetDlgItemTextW(hDialog, 0x47C, typed.c_str());
            ::PostMessageW(hDialog, WM_COMMAND, IDOK, 0);
            return true;
        });
        bConfirmed = CWin32SystemServices().ShowSaveFileDialog(nullptr, L"SWF File|*.swf|", L"swf",
                                                               OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, path);
    }
    EXPECT_TRUE(bConfirmed);
    EXPECT_EQ(folder + L"\\movie.swf", path);
}

TEST(HandlesTest, OwnersReleaseOnceAndDetachHandsOver)
{
    HBITMAP hFirst = ::CreateBitmap(4, 4, 1, 32, nullptr);
    HBITMAP hSecond = ::CreateBitmap(4, 4, 1, 32, nullptr);
    HBITMAP hKept = ::CreateBitmap(4, 4, 1, 32, nullptr);
    {
        CBitmapHandle owner(hFirst);
        owner.Reset(hSecond);
        EXPECT_EQ(0u, ::GetObjectType(hFirst)) << "Reset releases the old handle";
        CBitmapHandle moved(std::move(owner));
        EXPECT_FALSE(owner);
        EXPECT_EQ(hSecond, moved.Get());
        CBitmapHandle given(hKept);
        EXPECT_EQ(hKept, given.Detach());
    }
    EXPECT_EQ(0u, ::GetObjectType(hSecond)) << "the last owner releases it";
    EXPECT_EQ(static_cast<DWORD>(OBJ_BITMAP), ::GetObjectType(hKept)) << "a detached handle stays alive";
    ::DeleteObject(hKept);
}

TEST(HandlesTest, SelectionIsRestoredAndTheDcDeleted)
{
    HDC hProbe = nullptr;
    HBITMAP hBitmap = ::CreateBitmap(2, 2, 1, 32, nullptr);
    {
        CMemoryDC dc(::CreateCompatibleDC(nullptr));
        hProbe = dc.Get();
        HGDIOBJ hDefault = ::GetCurrentObject(dc.Get(), OBJ_BITMAP);
        {
            CSelectObject select(dc.Get(), hBitmap);
            EXPECT_EQ(static_cast<HGDIOBJ>(hBitmap), ::GetCurrentObject(dc.Get(), OBJ_BITMAP));
        }
        EXPECT_EQ(hDefault, ::GetCurrentObject(dc.Get(), OBJ_BITMAP));
    }
    EXPECT_EQ(0u, ::GetObjectType(hProbe));
    EXPECT_TRUE(::DeleteObject(hBitmap)) << "a bitmap selected out again can be deleted";
}

TEST(MessageBoxTest, RealMessageBoxIsTitledWithTheExecutableName)
{
    std::wstring caption;
    std::wstring text;
    CModalWatcher watcher([&] {
        HWND hBox = FindThreadDialog(nullptr);
        if (hBox == nullptr)
            return false;
        caption = WindowText(hBox);
        wchar_t buffer[256] = {};
        ::GetDlgItemTextW(hBox, 0xFFFF, buffer, 256);
        text = buffer;
        ::PostMessageW(hBox, WM_COMMAND, IDOK, 0);
        return true;
    });
    const int nAnswer =
        CWin32SystemServices().ShowMessageBox(nullptr, L"Please enter an integer.", MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(IDOK, nAnswer);
    EXPECT_EQ(L"brivelle_win_tests", caption);
    EXPECT_EQ(L"Please enter an integer.", text);
}

TEST(AppNameTest, BaseNameDropsFolderAndExtension)
{
    ExpectEachMapsTo(
        {
            {L"C:\\Program Files\\Brivelle\\Brivelle.exe", L"Brivelle"},
            {L"Z:\\a.b\\tool", L"tool"},
            {L"C:\\x\\archive.tar.exe", L"archive.tar"},
            {L"plain.exe", L"plain"},
        },
        [](const wchar_t *pszPath) { return AfxBaseNameOf(pszPath); });
}

TEST(SystemServicesTest, FileExistsFindsFilesFoldersAndPatterns)
{
    TempDir dir;
    const std::wstring folder = dir.Path().wstring() + L"\\";
    ASSERT_TRUE(WriteWholeFile(dir.Path() / "anim_frame0.gif", "GIF89a"));
    ::CreateDirectoryW((folder + L"Help").c_str(), nullptr);
    struct Case
    {
        std::wstring path;
        bool bExpected;
    };
    const Case cases[] = {
        {folder + L"anim_frame0.gif", true},
        {folder + L"ANIM_FRAME0.GIF", true},
        {folder + L"Help", true},
        {folder + L"*.gif", true},
        {folder + L"*.png", false},
        {folder + L"missing.gif", false},
        {folder + L"missing\\anim_frame0.gif", false},
    };
    CWin32SystemServices services;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(c.path));
        EXPECT_EQ(c.bExpected, services.FileExists(c.path));
    }
}

TEST(SystemServicesTest, ModulePathAndTempFolderComeFromTheSystem)
{
    CWin32SystemServices services;
    wchar_t buffer[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    EXPECT_EQ(buffer, services.ModulePath());
    const std::wstring temp = services.TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(L'\\', temp.back());
    EXPECT_TRUE(services.FileExists(temp.substr(0, temp.size() - 1)));
}
} // namespace
