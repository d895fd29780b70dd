// CBrivelleDlg: texts in both languages, the initial state, the data exchange and its failures, the
// spins, Enter and Escape, the about box, the help button and the clean-up on destruction.
#include "SlideDialogFixture.h"
#include "WinTestSupport.h"

#include "framework/Win32SystemServices.h"
#include "framework/WinApp.h"
#include "support/TempDir.h"
#include "ui/BrivelleDlg.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <filesystem>
#include <memory>

namespace
{
using CTestBrivelleDlg = CSlideTestDlg;

struct ButtonTexts
{
    int nId;
    const wchar_t *pszEnglish;
    const wchar_t *pszChinese;
};
// Each skin button's tooltip, and its window text: what screen readers announce.
const struct
{
    int nId;
    const wchar_t *pszTipEnglish;
    const wchar_t *pszTipChinese;
    const wchar_t *pszNameEnglish;
    const wchar_t *pszNameChinese;
} kSkinButtons[] = {
    {IDC_BTN_ADD, L"Add image files to list", L"添加图片文件到列表中", L"Add", L"添加"},
    {IDC_BTN_DELETE, L"Delete a image file from list", L"从列表中移除当前的图片", L"Delete", L"删除"},
    {IDC_BTN_LEFT, L"Left move", L"左移图片", L"Move left", L"左移"},
    {IDC_BTN_RIGHT, L"Right move", L"右移图片", L"Move right", L"右移"},
    {IDC_BTN_REMOVEALL, L"Remove All", L"清空所有图片", L"Remove all", L"清空"},
    {IDC_BTN_MAKE, L"Make a flash animation file(.swf)", L"制作flash动画文件(.swf)", L"Make", L"制作"},
    {IDC_BTN_HELP, L"Help", L"帮助", L"Help", L"帮助"},
};
const ButtonTexts kLabels[] = {
    {IDC_GROUP_TIME, L"Display Time", L"时间设置"},
    {IDC_RADIO_FPS, L"FPS(Frames Per Second)", L"FPS(每秒钟的帧数)"},
    {IDC_RADIO_DELAY, L"Delay time(Second)", L"间隔时间(秒)"},
    {IDC_GROUP_SIZE, L"Image size", L"图片的大小"},
    {IDC_LABEL_WIDTH, L"Width", L"宽度"},
    {IDC_LABEL_HEIGHT, L"Height", L"高度"},
    {IDC_LABEL_URL, L"URL:", L"超链接:"},
};

// Checks every label and tooltip of an open dialog against one language.
void ExpectTexts(const CWnd &dlg, bool bChinese)
{
    for (const ButtonTexts &label : kLabels)
    {
        SCOPED_TRACE(label.nId);
        EXPECT_EQ(bChinese ? label.pszChinese : label.pszEnglish, dlg.GetDlgItemText(label.nId));
    }
    for (const auto &button : kSkinButtons)
    {
        SCOPED_TRACE(button.nId);
        EXPECT_EQ(bChinese ? button.pszTipChinese : button.pszTipEnglish, TooltipTextOf(dlg.GetDlgItem(button.nId)));
        EXPECT_EQ(bChinese ? button.pszNameChinese : button.pszNameEnglish, WindowText(dlg.GetDlgItem(button.nId)));
    }
    HMENU hSystemMenu = ::GetSystemMenu(dlg.m_hWnd, FALSE);
    wchar_t aboutItem[64] = {};
    ::GetMenuStringW(hSystemMenu, IDM_ABOUTBOX, aboutItem, 64, MF_BYCOMMAND);
    EXPECT_STREQ(bChinese ? L"关于 Brivelle(&A)..." : L"&About Brivelle...", aboutItem);
    EXPECT_EQ(L"Brivelle", dlg.GetWindowText()) << "the caption is not translated";
    EXPECT_EQ(L"http://", dlg.GetDlgItemText(IDC_EDIT_URL));
}

class BrivelleDlgTest : public testing::Test
{
  protected:
    void Open(LANGID langId = 0x0409)
    {
        m_services.m_langId = langId;
        m_dlg = std::make_unique<CTestBrivelleDlg>(m_services);
        ASSERT_TRUE(m_dlg->Create());
        m_app.m_pMainWnd = m_dlg.get();
        ::SetForegroundWindow(m_dlg->m_hWnd);
        PumpMessages(20);
    }
    void TearDown() override
    {
        m_app.m_pMainWnd = nullptr;
        m_dlg.reset();
    }

    HWND Item(int nId) const
    {
        return m_dlg->GetDlgItem(nId);
    }
    std::wstring Text(int nId) const
    {
        return m_dlg->GetDlgItemText(nId);
    }
    void SetText(int nId, const std::wstring &text)
    {
        m_dlg->SetDlgItemText(nId, text);
    }
    // The notification an up-down control sends when one of its arrows is clicked.
    LRESULT Spin(int nSpinId, int nDelta)
    {
        NMUPDOWN notify{};
        notify.hdr.hwndFrom = Item(nSpinId);
        notify.hdr.idFrom = static_cast<UINT_PTR>(nSpinId);
        notify.hdr.code = static_cast<UINT>(UDN_DELTAPOS);
        notify.iPos = 1;
        notify.iDelta = nDelta;
        return m_dlg->SendMessage(WM_NOTIFY, static_cast<WPARAM>(nSpinId), reinterpret_cast<LPARAM>(&notify));
    }
    std::vector<std::wstring> Warnings() const
    {
        std::vector<std::wstring> texts;
        for (const CFakeSystemServices::MessageBoxCall &call : m_services.m_messageBoxes)
            texts.push_back(call.text);
        return texts;
    }

    CWinApp m_app;
    CFakeSystemServices m_services;
    std::unique_ptr<CTestBrivelleDlg> m_dlg;
};

TEST_F(BrivelleDlgTest, OnlySimplifiedChineseSelectsTheChineseTexts)
{
    struct Case
    {
        LANGID langId;
        bool bChinese;
    };
    const Case cases[] = {
        {0x0409, false}, // English (United States)
        {0x0804, true},  // Chinese (PRC)
        {0x0404, false}, // Chinese (Taiwan)
        {0x0C04, false}, // Chinese (Hong Kong)
        {0x1004, false}, // Chinese (Singapore)
        {0x0004, false}, // Chinese, no sublanguage
        {0x0411, false}, // Japanese
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << std::hex << c.langId);
        Open(c.langId);
        ExpectTexts(*m_dlg, c.bChinese);
        m_dlg.reset();
    }
}

TEST_F(BrivelleDlgTest, StartsWithTheDefaultsAndItsParts)
{
    Open();
    EXPECT_EQ(L"1", Text(IDC_EDIT_FPS));
    EXPECT_EQ(L"1", Text(IDC_EDIT_DELAY));
    EXPECT_EQ(L"256", Text(IDC_EDIT_WIDTH));
    EXPECT_EQ(L"192", Text(IDC_EDIT_HEIGHT));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(m_dlg->m_hWnd, IDC_RADIO_FPS));
    EXPECT_EQ(BST_UNCHECKED, ::IsDlgButtonChecked(m_dlg->m_hWnd, IDC_RADIO_DELAY));
    for (int nSpin : {IDC_SPIN_FPS, IDC_SPIN_DELAY})
    {
        SCOPED_TRACE(nSpin);
        const LRESULT lRange = ::SendMessageW(Item(nSpin), UDM_GETRANGE, 0, 0);
        EXPECT_EQ(1, HIWORD(lRange)) << "lower limit";
        EXPECT_EQ(100, LOWORD(lRange)) << "upper limit";
        EXPECT_EQ(1, LOWORD(::SendMessageW(Item(nSpin), UDM_GETPOS, 0, 0)));
    }

    HMENU hSystemMenu = ::GetSystemMenu(m_dlg->m_hWnd, FALSE);
    const int nItems = ::GetMenuItemCount(hSystemMenu);
    ASSERT_GE(nItems, 2);
    EXPECT_EQ(0u, ::GetMenuItemID(hSystemMenu, nItems - 2)) << "a separator before the About item";
    EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), ::GetMenuItemID(hSystemMenu, nItems - 1));
    wchar_t itemText[64] = {};
    ::GetMenuStringW(hSystemMenu, nItems - 1, itemText, 64, MF_BYPOSITION);
    EXPECT_STREQ(L"&About Brivelle...", itemText);

    HIMAGELIST hImages =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(Item(IDC_LIST_IMAGES), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    ASSERT_NE(nullptr, hImages);
    int cx = 0;
    int cy = 0;
    ::ImageList_GetIconSize(hImages, &cx, &cy);
    EXPECT_EQ(96, cx);
    EXPECT_EQ(72, cy);
    EXPECT_EQ(0, ::ImageList_GetImageCount(hImages));

    HFONT hUrlFont = reinterpret_cast<HFONT>(::SendMessageW(Item(IDC_EDIT_URL), WM_GETFONT, 0, 0));
    LOGFONTW font{};
    ASSERT_NE(0, ::GetObjectW(hUrlFont, sizeof(font), &font));
    EXPECT_EQ(18, font.lfHeight);
    EXPECT_EQ(FW_NORMAL, font.lfWeight);
    EXPECT_STREQ(L"Arial", font.lfFaceName);

    HICON hIcon = m_dlg->AppIcon();
    ASSERT_NE(nullptr, hIcon);
    EXPECT_EQ(hIcon, reinterpret_cast<HICON>(m_dlg->SendMessage(WM_GETICON, ICON_BIG)));
    EXPECT_EQ(hIcon, reinterpret_cast<HICON>(m_dlg->SendMessage(WM_GETICON, ICON_SMALL)));
    EXPECT_EQ(hIcon, reinterpret_cast<HICON>(m_dlg->SendMessage(WM_QUERYDRAGICON)));
}

TEST_F(BrivelleDlgTest, SkinButtonsTakeTheirMasksSize)
{
    Open();
    struct Case
    {
        int nId;
        int nWidth;
        int nHeight;
    };
    const Case cases[] = {
        {IDC_BTN_ADD, 70, 24},       {IDC_BTN_DELETE, 70, 24}, {IDC_BTN_LEFT, 70, 24}, {IDC_BTN_RIGHT, 70, 24},
        {IDC_BTN_REMOVEALL, 70, 24}, {IDC_BTN_MAKE, 90, 30},   {IDC_BTN_HELP, 16, 16},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.nId);
        RECT rc{};
        ::GetWindowRect(Item(c.nId), &rc);
        EXPECT_EQ(c.nWidth, rc.right - rc.left);
        EXPECT_EQ(c.nHeight, rc.bottom - rc.top);
        EXPECT_EQ(static_cast<LONG>(BS_OWNERDRAW), ::GetWindowLongW(Item(c.nId), GWL_STYLE) & BS_TYPEMASK);
    }
}

TEST_F(BrivelleDlgTest, SavingTheSettingsValidatesEachBox)
{
    const std::wstring side = std::to_wstring(kMaxMovieSize);
    const std::wstring sizeRange = L"Please enter an integer between 8 and " + side + L".";
    struct Case
    {
        const char *name;
        int nEdit;
        std::wstring text;
        bool bOk;
        int nStored;
        std::wstring warning; // empty: none
        LANGID langId;
    };
    const Case cases[] = {
        {"largest width", IDC_EDIT_WIDTH, side, true, kMaxMovieSize, L"", 0x0409},
        {"smallest height", IDC_EDIT_HEIGHT, L"8", true, 8, L"", 0x0409},
        {"digits then letters", IDC_EDIT_WIDTH, L"300abc", true, 300, L"", 0x0409},
        {"blanks and sign", IDC_EDIT_HEIGHT, L"  +640", true, 640, L"", 0x0409},
        {"width too small", IDC_EDIT_WIDTH, L"7", false, 7, sizeRange, 0x0409},
        {"height beyond libjpeg", IDC_EDIT_HEIGHT, std::to_wstring(kMaxMovieSize + 1), false, kMaxMovieSize + 1,
         sizeRange, 0x0409},
        {"fps zero", IDC_EDIT_FPS, L"0", false, 0, L"Please enter an integer between 1 and 999999.", 0x0409},
        {"fps largest", IDC_EDIT_FPS, L"999999", true, 999999, L"", 0x0409},
        {"delay too large", IDC_EDIT_DELAY, L"1000000", false, 1000000,
         L"Please enter an integer between 1 and 999999.", 0x0409},
        {"letters keep the old value", IDC_EDIT_WIDTH, L"abc", false, 256, L"Please enter an integer.", 0x0409},
        {"empty box keeps the old value", IDC_EDIT_DELAY, L"", false, 1, L"Please enter an integer.", 0x0409},
        {"a number beyond int does not wrap", IDC_EDIT_WIDTH, L"4294967560", false, 2147483647, sizeRange, 0x0409},
        {"in Chinese: out of range", IDC_EDIT_FPS, L"0", false, 0, L"请输入 1 到 999999 之间的整数。", 0x0804},
        {"in Chinese: no number", IDC_EDIT_HEIGHT, L"高", false, 192, L"请输入一个整数。", 0x0804},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Open(c.langId);
        m_services.m_messageBoxes.clear();
        HWND hFocusAtWarning = nullptr;
        m_services.m_onMessageBox = [&](const CFakeSystemServices::MessageBoxCall &) {
            hFocusAtWarning = ::GetFocus();
        };
        SetText(c.nEdit, c.text);
        EXPECT_EQ(c.bOk, m_dlg->UpdateData(true));
        int *pMember = c.nEdit == IDC_EDIT_WIDTH    ? &m_dlg->Model().m_nWidth
                       : c.nEdit == IDC_EDIT_HEIGHT ? &m_dlg->Model().m_nHeight
                       : c.nEdit == IDC_EDIT_FPS    ? &m_dlg->Model().m_nFps
                                                    : &m_dlg->Model().m_nDelay;
        EXPECT_EQ(c.nStored, *pMember);
        if (c.warning.empty())
        {
            EXPECT_TRUE(m_services.m_messageBoxes.empty());
        }
        else
        {
            ASSERT_EQ(1u, m_services.m_messageBoxes.size());
            EXPECT_EQ(c.warning, m_services.m_messageBoxes[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION), m_services.m_messageBoxes[0].nType);
            EXPECT_EQ(m_dlg->m_hWnd, m_services.m_messageBoxes[0].hOwner);
            EXPECT_EQ(Item(c.nEdit), ::GetFocus()) << "the offending box gets the focus";
            DWORD nStart = 0;
            DWORD nEnd = 0;
            ::SendMessageW(Item(c.nEdit), EM_GETSEL, reinterpret_cast<WPARAM>(&nStart),
                           reinterpret_cast<LPARAM>(&nEnd));
            EXPECT_EQ(0u, nStart);
            EXPECT_EQ(c.text.size(), nEnd) << "with its whole text selected";
        }
        m_services.m_onMessageBox = nullptr;
        m_dlg.reset();
    }
}

TEST_F(BrivelleDlgTest, AFailureKeepsEarlierValuesAndLeavesLaterOnesAlone)
{
    Open();
    SetText(IDC_EDIT_FPS, L"25");
    SetText(IDC_EDIT_DELAY, L"4");
    SetText(IDC_EDIT_WIDTH, L"abc");
    SetText(IDC_EDIT_HEIGHT, L"480");
    EXPECT_FALSE(m_dlg->UpdateData(true));
    EXPECT_EQ(25, m_dlg->Model().m_nFps) << "before the failure: stored";
    EXPECT_EQ(4, m_dlg->Model().m_nDelay);
    EXPECT_EQ(256, m_dlg->Model().m_nWidth) << "the failing box: old value";
    EXPECT_EQ(192, m_dlg->Model().m_nHeight) << "after the failure: not refreshed";
    EXPECT_EQ(1u, m_services.m_messageBoxes.size()) << "one warning per exchange";
}

TEST_F(BrivelleDlgTest, OnlyTheFirst63CharactersAreRead)
{
    Open();
    SetText(IDC_EDIT_WIDTH, std::wstring(61, L' ') + L"640");
    EXPECT_TRUE(m_dlg->UpdateData(true));
    EXPECT_EQ(64, m_dlg->Model().m_nWidth) << "61 blanks leave room for two digits";
    SetText(IDC_EDIT_WIDTH, std::wstring(63, L' ') + L"640");
    EXPECT_FALSE(m_dlg->UpdateData(true));
    EXPECT_EQ(64, m_dlg->Model().m_nWidth);
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_EQ(L"Please enter an integer.", m_services.m_messageBoxes[0].text);
}

TEST_F(BrivelleDlgTest, SpinsStepTheirMemberBySignWithinTheirLimits)
{
    struct Case
    {
        const char *name;
        int nSpin;
        int nEdit;
        const wchar_t *start;
        int nDelta;
        const wchar_t *expected;
        size_t nWarnings;
    };
    const Case cases[] = {
        {"fps up", IDC_SPIN_FPS, IDC_EDIT_FPS, L"1", 1, L"2", 0},
        {"fps stays at 1 downward", IDC_SPIN_FPS, IDC_EDIT_FPS, L"1", -1, L"1", 0},
        {"delay stays at 1 downward", IDC_SPIN_DELAY, IDC_EDIT_DELAY, L"1", -1, L"1", 0},
        {"delay down", IDC_SPIN_DELAY, IDC_EDIT_DELAY, L"30", -1, L"29", 0},
        {"only the sign counts", IDC_SPIN_FPS, IDC_EDIT_FPS, L"10", 25, L"11", 0},
        {"a zero step changes nothing", IDC_SPIN_DELAY, IDC_EDIT_DELAY, L"10", 0, L"10", 0},
        {"past the exchange limit without a warning", IDC_SPIN_FPS, IDC_EDIT_FPS, L"999999", 1, L"1000000", 0},
        {"beyond it: warned, and still stepped", IDC_SPIN_FPS, IDC_EDIT_FPS, L"1000000", 1, L"1000001", 1},
        {"the spin's own limit", IDC_SPIN_DELAY, IDC_EDIT_DELAY, L"9999999", 1, L"9999999", 1},
        {"down from out of range", IDC_SPIN_DELAY, IDC_EDIT_DELAY, L"1000000", -1, L"999999", 1},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Open();
        SetText(c.nEdit, c.start);
        EXPECT_EQ(1, Spin(c.nSpin, c.nDelta)) << "the spin keeps its own position";
        EXPECT_EQ(c.expected, Text(c.nEdit));
        EXPECT_EQ(c.nWarnings, m_services.m_messageBoxes.size());
        EXPECT_EQ(1, LOWORD(::SendMessageW(Item(c.nSpin), UDM_GETPOS, 0, 0)));
        m_dlg.reset();
        m_services.m_messageBoxes.clear();
    }
}

TEST_F(BrivelleDlgTest, ASpinClickRewritesEveryBoxFromTheMembers)
{
    Open();
    SetText(IDC_EDIT_WIDTH, L"wide");
    SetText(IDC_EDIT_HEIGHT, L"777");
    Spin(IDC_SPIN_FPS, 1);
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_EQ(L"Please enter an integer.", m_services.m_messageBoxes[0].text);
    EXPECT_EQ(L"2", Text(IDC_EDIT_FPS)) << "the spin's member is stepped all the same";
    EXPECT_EQ(L"256", Text(IDC_EDIT_WIDTH)) << "the letters are replaced by the stored width";
    EXPECT_EQ(L"192", Text(IDC_EDIT_HEIGHT)) << "the height after the failure was never stored";
}

TEST_F(BrivelleDlgTest, ClickingTheRealArrowsSteps)
{
    Open();
    HWND hSpin = Item(IDC_SPIN_FPS);
    RECT rc{};
    ::GetClientRect(hSpin, &rc);
    const LPARAM lUpper = MAKELPARAM(rc.right / 2, rc.bottom / 4);
    const LPARAM lLower = MAKELPARAM(rc.right / 2, rc.bottom * 3 / 4);
    for (int i = 0; i < 2; ++i)
    {
        ::SendMessageW(hSpin, WM_LBUTTONDOWN, MK_LBUTTON, lUpper);
        ::SendMessageW(hSpin, WM_LBUTTONUP, 0, lUpper);
    }
    PumpMessages(20);
    EXPECT_EQ(L"3", Text(IDC_EDIT_FPS));
    ::SendMessageW(hSpin, WM_LBUTTONDOWN, MK_LBUTTON, lLower);
    ::SendMessageW(hSpin, WM_LBUTTONUP, 0, lLower);
    PumpMessages(20);
    EXPECT_EQ(L"2", Text(IDC_EDIT_FPS));
    EXPECT_EQ(L"1", Text(IDC_EDIT_DELAY));
    EXPECT_EQ(1, LOWORD(::SendMessageW(hSpin, UDM_GETPOS, 0, 0)));
}

// Runs the dialog modally and feeds it the given input once it is up; returns DoModal's result.
INT_PTR RunModal(CTestBrivelleDlg &dlg, const std::function<void(HWND)> &input, bool &bOpenAfterInput)
{
    int nStage = 0;
    DWORD nInputTime = 0;
    CModalWatcher watcher([&] {
        if (dlg.m_hWnd == nullptr || !::IsWindowVisible(dlg.m_hWnd))
            return false;
        if (nStage == 0)
        {
            input(dlg.m_hWnd);
            nInputTime = ::GetTickCount();
            nStage = 1;
            return false;
        }
        if (::GetTickCount() - nInputTime < 150)
            return false;
        bOpenAfterInput = ::IsWindowVisible(dlg.m_hWnd) != FALSE;
        ::PostMessageW(::GetDlgItem(dlg.m_hWnd, IDC_EDIT_URL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
        return true;
    });
    return dlg.DoModal();
}

TEST(BrivelleDlgModalTest, EnterDoesNothingAndEscapeEndsTheDialog)
{
    struct Case
    {
        const char *name;
        std::function<void(HWND)> input;
        bool bStaysOpen;
    };
    const Case cases[] = {
        {"Enter in the URL box",
         [](HWND hDlg) {
             ::SetFocus(::GetDlgItem(hDlg, IDC_EDIT_URL));
             ::PostMessageW(::GetDlgItem(hDlg, IDC_EDIT_URL), WM_KEYDOWN, VK_RETURN, 0x001C0001);
         },
         true},
        {"Enter in the list",
         [](HWND hDlg) { ::PostMessageW(::GetDlgItem(hDlg, IDC_LIST_IMAGES), WM_KEYDOWN, VK_RETURN, 0x001C0001); },
         true},
        {"IDOK command", [](HWND hDlg) { ::PostMessageW(hDlg, WM_COMMAND, IDOK, 0); }, true},
        {"Escape",
         [](HWND hDlg) { ::PostMessageW(::GetDlgItem(hDlg, IDC_EDIT_FPS), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }, false},
        {"close box", [](HWND hDlg) { ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); }, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CFakeSystemServices services;
        CTestBrivelleDlg dlg(services);
        bool bOpenAfterInput = false;
        EXPECT_EQ(IDCANCEL, RunModal(dlg, c.input, bOpenAfterInput));
        EXPECT_EQ(c.bStaysOpen, bOpenAfterInput);
        EXPECT_EQ(nullptr, dlg.m_hWnd);
    }
}

TEST_F(BrivelleDlgTest, TheAboutItemOpensTheAboutBoxModally)
{
    struct Case
    {
        const char *name;
        UINT nCommand;
        bool bOpens;
        std::function<void(HWND)> dismiss;
        LANGID langId;
        const wchar_t *caption;
        const wchar_t *versionWord;
        const wchar_t *ok;
    };
    const auto ok = [](HWND hAbout) { ::PostMessageW(hAbout, WM_COMMAND, IDOK, 0); };
    const Case cases[] = {
        {"OK", IDM_ABOUTBOX, true, ok, 0x0409, L"About Brivelle", L"Version", L"OK"},
        {"Escape, low bits set", IDM_ABOUTBOX | 0x000F, true,
         [](HWND hAbout) { ::PostMessageW(::GetDlgItem(hAbout, IDOK), WM_KEYDOWN, VK_ESCAPE, 0x00010001); }, 0x0409,
         L"About Brivelle", L"Version", L"OK"},
        {"close box", IDM_ABOUTBOX, true, [](HWND hAbout) { ::PostMessageW(hAbout, WM_SYSCOMMAND, SC_CLOSE, 0); },
         0x0409, L"About Brivelle", L"Version", L"OK"},
        {"in Chinese", IDM_ABOUTBOX, true, ok, 0x0804, L"关于 Brivelle", L"版本", L"确定"},
        {"another command", IDM_ABOUTBOX + 0x10, false, [](HWND) {}, 0x0409, L"", L"", L""},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        Open(c.langId);
        // Away from the middle of the screen, so that centring over it is not centring on the screen.
        ::SetWindowPos(m_dlg->m_hWnd, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        std::wstring caption;
        std::wstring firstLine;
        std::wstring okText;
        RECT rcAbout{};
        bool bMainEnabled = true;
        CModalWatcher watcher([&] {
            HWND hAbout = FindThreadDialog(m_dlg->m_hWnd);
            if (hAbout == nullptr)
                return false;
            caption = WindowText(hAbout);
            okText = WindowText(::GetDlgItem(hAbout, IDOK));
            ::GetWindowRect(hAbout, &rcAbout);
            bMainEnabled = ::IsWindowEnabled(m_dlg->m_hWnd) != FALSE;
            firstLine = WindowText(::GetDlgItem(hAbout, IDC_ABOUT_VERSION));
            c.dismiss(hAbout);
            return true;
        });
        m_dlg->SendMessage(WM_SYSCOMMAND, c.nCommand, 0);
        if (c.bOpens)
        {
            EXPECT_EQ(c.caption, caption);
            EXPECT_EQ(std::wstring(L"Brivelle, ") + c.versionWord + L" 1.0", firstLine);
            EXPECT_EQ(c.ok, okText);
            RECT rcMain{};
            ::GetWindowRect(m_dlg->m_hWnd, &rcMain);
            EXPECT_NEAR((rcMain.left + rcMain.right) / 2, (rcAbout.left + rcAbout.right) / 2, 1) << "centred";
            EXPECT_NEAR((rcMain.top + rcMain.bottom) / 2, (rcAbout.top + rcAbout.bottom) / 2, 1);
            EXPECT_FALSE(bMainEnabled) << "the main dialog takes no input while the about box is open";
            EXPECT_TRUE(::IsWindowEnabled(m_dlg->m_hWnd));
            EXPECT_EQ(nullptr, FindThreadDialog(m_dlg->m_hWnd)) << "the about box is gone";
        }
        else
        {
            EXPECT_TRUE(caption.empty());
        }
        m_dlg.reset();
    }
}

TEST_F(BrivelleDlgTest, HelpButtonOpensTheHelpPageOnlyWhenItExists)
{
    const std::wstring modulePath = L"C:\\Programs\\Brivelle\\Brivelle.exe";
    const std::wstring page = L"C:\\Programs\\Brivelle\\Help\\Help.htm";
    for (bool bExists : {true, false})
    {
        SCOPED_TRACE(bExists);
        m_services.m_strModulePath = modulePath;
        m_services.m_fileExists = [&](const std::wstring &) { return bExists; };
        m_services.m_shellOpened.clear();
        m_services.m_existsQueries.clear();
        Open();
        ::SendMessageW(Item(IDC_BTN_HELP), BM_CLICK, 0, 0);
        PumpMessages(10);
        EXPECT_EQ(std::vector<std::wstring>{page}, m_services.m_existsQueries);
        EXPECT_EQ(bExists ? std::vector<std::wstring>{page} : std::vector<std::wstring>{}, m_services.m_shellOpened);
        m_dlg.reset();
    }
}

TEST_F(BrivelleDlgTest, DoubleClickOnTheHelpButtonOpensThePageTwice)
{
    m_services.m_fileExists = [](const std::wstring &) { return true; };
    Open();
    HWND hHelp = Item(IDC_BTN_HELP);
    POINT pt{8, 8};
    ::ClientToScreen(hHelp, &pt);
    ::SetCursorPos(pt.x, pt.y);
    const LPARAM lParam = MAKELPARAM(8, 8);
    ::SendMessageW(hHelp, WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    ::SendMessageW(hHelp, WM_LBUTTONUP, 0, lParam);
    ::SendMessageW(hHelp, WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
    ::SendMessageW(hHelp, WM_LBUTTONUP, 0, lParam);
    PumpMessages(10);
    EXPECT_EQ(2u, m_services.m_shellOpened.size());
}

TEST_F(BrivelleDlgTest, DestroyingTheDialogDeletesItsGifFrameFilesOnly)
{
    TempDir dir;
    const std::wstring folder = dir.Path().wstring() + L"\\";
    for (const char *name : {"anim_frame0.gif", "anim_frame1.GIF", "notes.txt"})
        ASSERT_TRUE(WriteWholeFile(dir.Path() / name, "x"));
    Open();
    m_dlg->TempFrameFiles() = {folder + L"anim_frame0.gif", folder + L"anim_frame1.GIF", folder + L"notes.txt",
                               folder + L"gone_frame0.gif", folder + L"anim_frame0.gif"};
    m_dlg->DestroyWindow();
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "anim_frame0.gif"));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "anim_frame1.GIF"));
    EXPECT_TRUE(std::filesystem::exists(dir.Path() / "notes.txt")) << "only .gif files are frame files";
    EXPECT_TRUE(m_dlg->TempFrameFiles().empty());
}

TEST_F(BrivelleDlgTest, TheThumbnailListOutlivesTheListControl)
{
    Open();
    HIMAGELIST hImages =
        reinterpret_cast<HIMAGELIST>(::SendMessageW(Item(IDC_LIST_IMAGES), LVM_GETIMAGELIST, LVSIL_NORMAL, 0));
    ASSERT_NE(nullptr, hImages);
    ::DestroyWindow(Item(IDC_LIST_IMAGES));
    // The dialog's image list owns the thumbnails; the list control must not have destroyed them.
    HBITMAP hBitmap = ::CreateBitmap(96, 72, 1, 32, nullptr);
    EXPECT_EQ(0, ::ImageList_Add(hImages, hBitmap, nullptr));
    ::DeleteObject(hBitmap);
}

TEST(BrivelleDlgLanguageTest, SystemLanguageDecides)
{
    // Run once as is and once with LC_ALL=zh_CN.UTF-8, which makes Wine's system language 0x0804.
    wchar_t expected[16] = {};
    if (::GetEnvironmentVariableW(L"BRIVELLE_EXPECT_LANGID", expected, 16) > 0)
    {
        ASSERT_EQ(std::wcstoul(expected, nullptr, 16), ::GetSystemDefaultLangID());
    }
    CWinApp app;
    CWin32SystemServices services;
    CBrivelleDlg dlg(services);
    ASSERT_TRUE(dlg.Create());
    PumpMessages(20);
    ExpectTexts(dlg, ::GetSystemDefaultLangID() == 0x0804);
}
} // namespace
