// CSkinButton: shape from the mask, faces per state, the three draw modes, kinds and check
// behaviour, radio groups, clicks, press and hover tracking, tooltips.
#include "WinTestSupport.h"

#include "controls/SkinButton.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <map>
#include <memory>

namespace
{
const wchar_t kHostClass[] = L"BrivelleSkinHost";

// A top-level window that hosts buttons and counts their clicks.
class CButtonHost : public CWnd
{
    BEGIN_MSG_MAP(CButtonHost, CWnd)
    ON_WM_COMMAND(OnCommand)
    END_MSG_MAP()

  public:
    std::map<int, int> m_clicks;

    bool Create()
    {
        CWnd::RegisterWindowClass(kHostClass, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        if (!CreateEx(0, kHostClass, L"skin host", WS_POPUP | WS_VISIBLE, RECT{100, 100, 500, 400}, nullptr, 0))
            return false;
        ::SetForegroundWindow(m_hWnd);
        return true;
    }
    HWND AddButton(int nId, DWORD dwStyle, RECT rc)
    {
        return ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | dwStyle, rc.left, rc.top,
                                 rc.right - rc.left, rc.bottom - rc.top, m_hWnd, reinterpret_cast<HMENU>(nId), nullptr,
                                 nullptr);
    }

  protected:
    LRESULT OnCommand(UINT nId, UINT nCode, HWND hControl)
    {
        static_cast<void>(hControl);
        if (nCode == BN_CLICKED)
            ++m_clicks[static_cast<int>(nId)];
        return 0;
    }
};

// Opens the painting and the tracked state of a skin button to the tests.
class CSkinProbe : public CSkinButton
{
  public:
    void Draw(HDC hDC, RECT rc, UINT nState)
    {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_BUTTON;
        dis.hwndItem = m_hWnd;
        dis.hDC = hDC;
        dis.rcItem = rc;
        dis.itemState = nState;
        dis.itemAction = ODA_DRAWENTIRE;
        DrawItem(dis);
    }
    bool IsHover() const
    {
        return m_bHover;
    }
    bool IsPressed() const
    {
        return m_bPressed;
    }
    int Kind() const
    {
        return m_nButtonKind;
    }
};

class SkinButtonTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_host.Create());
    }

    CSkinProbe &Add(int nId, DWORD dwStyle = BS_PUSHBUTTON, RECT rc = RECT{10, 10, 60, 25})
    {
        m_buttons.push_back(std::make_unique<CSkinProbe>());
        CSkinProbe &button = *m_buttons.back();
        EXPECT_TRUE(button.SubclassWindow(m_host.AddButton(nId, dwStyle, rc)));
        return button;
    }

    SIZE WindowSize(const CWnd &wnd) const
    {
        const RECT rc = wnd.GetWindowRect();
        return SIZE{rc.right - rc.left, rc.bottom - rc.top};
    }

    // Moves the real pointer over a point of the button, as the user's hand would.
    POINT PointerTo(const CWnd &button, POINT ptClient) const
    {
        POINT ptScreen = ptClient;
        ::ClientToScreen(button.m_hWnd, &ptScreen);
        ::SetCursorPos(ptScreen.x, ptScreen.y);
        return ptClient;
    }

    static LPARAM At(POINT pt)
    {
        return MAKELPARAM(pt.x, pt.y);
    }

    CButtonHost m_host;
    std::vector<std::unique_ptr<CSkinProbe>> m_buttons;
};

TEST_F(SkinButtonTest, MaskShapesAndSizesTheWindowPixelForPixel)
{
    struct Case
    {
        UINT nMask;
        int nWidth;
        int nHeight;
        bool bWholeRectangle;
    };
    const Case cases[] = {
        {IDB_MASK_SMALL, 70, 24, true},
        {IDB_MASK_MAKE, 90, 30, false},
        {IDB_MASK_HELP, 16, 16, false},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.nMask);
        // The template size differs from the mask's: draw mode 0 gives the button the mask's size.
        CSkinProbe &button = Add(2000 + static_cast<int>(c.nMask), BS_PUSHBUTTON, RECT{10, 10, 61, 25});
        button.ApplySkin(IDB_ADD_NORMAL, IDB_ADD_DOWN, IDB_ADD_HOVER, IDB_ADD_DISABLED, 0, c.nMask, 0, 0, 0);
        const SIZE size = WindowSize(button);
        EXPECT_EQ(c.nWidth, size.cx);
        EXPECT_EQ(c.nHeight, size.cy);

        HRGN hRegion = ::CreateRectRgn(0, 0, 0, 0);
        const int nKind = ::GetWindowRgn(button.m_hWnd, hRegion);
        EXPECT_EQ(c.bWholeRectangle ? SIMPLEREGION : COMPLEXREGION, nKind);
        const Pixels mask = ResourcePixels(c.nMask);
        ASSERT_EQ(c.nWidth, mask.nWidth);
        int nMismatches = 0;
        for (int y = 0; y < mask.nHeight; ++y)
        {
            for (int x = 0; x < mask.nWidth; ++x)
            {
                const bool bInside = mask.At(x, y) != RGB(255, 255, 255);
                if ((::PtInRegion(hRegion, x, y) != FALSE) != bInside)
                    ++nMismatches;
            }
        }
        EXPECT_EQ(0, nMismatches) << "the window region must be exactly the mask's non-white pixels";
        if (c.nMask == IDB_MASK_MAKE)
        {
            for (int y = 0; y < c.nHeight; ++y)
                EXPECT_FALSE(::PtInRegion(hRegion, c.nWidth - 1, y)) << "the white last column, row " << y;
            EXPECT_FALSE(::PtInRegion(hRegion, 0, 0)) << "corner";
        }
        ::DeleteObject(hRegion);
    }
}

TEST_F(SkinButtonTest, MasklessOrMissingMaskKeepsTheWindowAsItWas)
{
    struct Case
    {
        const char *name;
        UINT nMask;
        short nDrawMode;
        int nWidth;
        int nHeight;
        bool bRegion;
    };
    const Case cases[] = {
        {"no mask", 0, 0, 51, 15, false},
        {"mask that cannot be loaded", 9999, 0, 51, 15, false},
        {"negative mode counts as 0", IDB_MASK_SMALL, -3, 70, 24, true},
        {"mode above 2 counts as tiling", IDB_MASK_SMALL, 7, 51, 15, true},
        {"stretch mode", IDB_MASK_HELP, 1, 51, 15, true},
    };
    int nId = 3000;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CSkinProbe &button = Add(nId++, BS_PUSHBUTTON, RECT{10, 10, 61, 25});
        button.ApplySkin(IDB_ADD_NORMAL, 0, 0, 0, 0, c.nMask, c.nDrawMode, 0, 0);
        const SIZE size = WindowSize(button);
        EXPECT_EQ(c.nWidth, size.cx);
        EXPECT_EQ(c.nHeight, size.cy);
        HRGN hRegion = ::CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(c.bRegion, ::GetWindowRgn(button.m_hWnd, hRegion) != ERROR);
        ::DeleteObject(hRegion);
    }
}

// The face pixels where the help mask is black, compared with a painted canvas.
int CountFaceMismatches(const CCanvas &canvas, const Pixels &face, const Pixels &mask)
{
    int nMismatches = 0;
    for (int y = 0; y < mask.nHeight; ++y)
    {
        for (int x = 0; x < mask.nWidth; ++x)
        {
            if (mask.At(x, y) == RGB(0, 0, 0) && canvas.At(x, y) != face.At(x, y))
                ++nMismatches;
        }
    }
    return nMismatches;
}

TEST_F(SkinButtonTest, EachStatePaintsItsFace)
{
    CSkinProbe &button = Add(4000, BS_AUTOCHECKBOX);
    button.ApplySkin(IDB_HELP_NORMAL, IDB_HELP_DOWN, IDB_HELP_HOVER, IDB_HELP_DISABLED, IDB_HELP_HOVER, IDB_MASK_HELP,
                     0, 0, 0);
    const Pixels mask = ResourcePixels(IDB_MASK_HELP);
    struct Case
    {
        const char *name;
        UINT nState;
        UINT nFace;
    };
    const Case cases[] = {
        {"normal", 0, IDB_HELP_NORMAL},
        {"pressed", ODS_SELECTED, IDB_HELP_DOWN},
        {"disabled", ODS_DISABLED, IDB_HELP_DISABLED},
        {"focused: the focus face", ODS_FOCUS, IDB_HELP_HOVER},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CCanvas canvas(16, 16, RGB(255, 0, 255));
        button.Draw(canvas.DC(), RECT{0, 0, 16, 16}, c.nState);
        EXPECT_EQ(0, CountFaceMismatches(canvas, ResourcePixels(c.nFace), mask));
        EXPECT_EQ(RGB(255, 0, 255), canvas.At(0, 0)) << "outside the mask the background stays";
    }

    // Checked shows the pressed face; hover shows the hover face.
    button.SendMessage(BM_SETCHECK, BST_CHECKED);
    CCanvas checked(16, 16, RGB(255, 0, 255));
    button.Draw(checked.DC(), RECT{0, 0, 16, 16}, 0);
    EXPECT_EQ(0, CountFaceMismatches(checked, ResourcePixels(IDB_HELP_DOWN), mask));
    button.SendMessage(BM_SETCHECK, BST_UNCHECKED);
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(8, 8));
    ASSERT_TRUE(button.IsHover());
    CCanvas hover(16, 16, RGB(255, 0, 255));
    button.Draw(hover.DC(), RECT{0, 0, 16, 16}, 0);
    EXPECT_EQ(0, CountFaceMismatches(hover, ResourcePixels(IDB_HELP_HOVER), mask));
}

TEST_F(SkinButtonTest, MissingDisabledFaceFallsBackToTheNormalFace)
{
    const Pixels mask = ResourcePixels(IDB_MASK_HELP);
    CSkinProbe &fallback = Add(4100);
    fallback.ApplySkin(IDB_HELP_NORMAL, IDB_HELP_DOWN, 0, 0, 0, IDB_MASK_HELP, 0, 0, 0);
    CCanvas canvas(16, 16, RGB(255, 0, 255));
    fallback.Draw(canvas.DC(), RECT{0, 0, 16, 16}, ODS_DISABLED);
    EXPECT_EQ(0, CountFaceMismatches(canvas, ResourcePixels(IDB_HELP_NORMAL), mask));

    // No faces at all: the system's button face colour.
    CSkinProbe &bare = Add(4101);
    bare.ApplySkin(0, 0, 0, 0, 0, 0, 0, 0, 0);
    for (UINT nState : {0u, static_cast<UINT>(ODS_DISABLED), static_cast<UINT>(ODS_SELECTED)})
    {
        SCOPED_TRACE(nState);
        CCanvas empty(16, 16, RGB(255, 0, 255));
        bare.Draw(empty.DC(), RECT{0, 0, 16, 16}, nState);
        EXPECT_EQ(::GetSysColor(COLOR_BTNFACE), empty.At(8, 8));
    }
}

TEST_F(SkinButtonTest, StretchAndTileModesCoverTheRectangle)
{
    const Pixels face = ResourcePixels(IDB_HELP_NORMAL);
    const Pixels mask = ResourcePixels(IDB_MASK_HELP);
    ASSERT_EQ(16, face.nWidth);

    CSkinProbe &stretched = Add(4200);
    stretched.ApplySkin(IDB_HELP_NORMAL, 0, 0, 0, 0, IDB_MASK_HELP, 1, 0, 0);
    CCanvas big(32, 32, RGB(255, 0, 255));
    stretched.Draw(big.DC(), RECT{0, 0, 32, 32}, 0);
    EXPECT_EQ(RGB(255, 0, 255), big.At(0, 0)) << "the stretched mask keeps the corner transparent";
    EXPECT_EQ(RGB(255, 0, 255), big.At(31, 31));
    int nMismatches = 0;
    for (int y = 0; y < 16; ++y)
    {
        for (int x = 0; x < 16; ++x)
        {
            if (mask.At(x, y) == RGB(0, 0, 0) && big.At(2 * x, 2 * y) != face.At(x, y))
                ++nMismatches;
        }
    }
    EXPECT_EQ(0, nMismatches) << "each face pixel doubled in both directions";

    CSkinProbe &tiled = Add(4201);
    tiled.ApplySkin(IDB_HELP_NORMAL, 0, 0, 0, 0, IDB_MASK_HELP, 2, 0, 0);
    CCanvas wide(40, 20, RGB(255, 0, 255));
    tiled.Draw(wide.DC(), RECT{0, 0, 40, 20}, 0);
    int nTileMismatches = 0;
    for (int y = 0; y < 20; ++y)
    {
        for (int x = 0; x < 40; ++x)
        {
            if (wide.At(x, y) != face.At(x % 16, y % 16))
                ++nTileMismatches;
        }
    }
    EXPECT_EQ(0, nTileMismatches) << "tiles repeat one to one, cut at the edges, without the mask";
}

TEST_F(SkinButtonTest, KindComesFromTheTemplateTypeAndEveryKindIsOwnerDrawn)
{
    struct Case
    {
        const char *name;
        DWORD dwStyle;
        int nKind;
    };
    const Case cases[] = {
        {"push button", BS_PUSHBUTTON, CSkinButton::kPushButton},
        {"default push button", BS_DEFPUSHBUTTON, CSkinButton::kPushButton},
        {"owner-drawn template button", BS_OWNERDRAW, CSkinButton::kPushButton},
        {"plain radio button", BS_RADIOBUTTON, CSkinButton::kPushButton},
        {"automatic check box", BS_AUTOCHECKBOX, CSkinButton::kCheckBox},
        {"automatic radio button", BS_AUTORADIOBUTTON | WS_GROUP, CSkinButton::kRadioButton},
    };
    int nId = 4300;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        CSkinProbe &button = Add(nId++, c.dwStyle);
        EXPECT_EQ(c.nKind, button.Kind());
        EXPECT_EQ(static_cast<DWORD>(BS_OWNERDRAW), button.GetStyle() & BS_TYPEMASK);
        button.SendMessage(BM_SETCHECK, BST_CHECKED);
        const LRESULT nExpected = c.nKind == CSkinButton::kPushButton ? BST_UNCHECKED : BST_CHECKED;
        EXPECT_EQ(nExpected, button.SendMessage(BM_GETCHECK)) << "push buttons ignore BM_SETCHECK";
    }
}

TEST_F(SkinButtonTest, CheckingARadioButtonUnchecksTheOthersOfItsGroupOnly)
{
    CSkinProbe &first = Add(4400, BS_AUTORADIOBUTTON | WS_GROUP, RECT{10, 10, 60, 25});
    CSkinProbe &second = Add(4401, BS_AUTORADIOBUTTON, RECT{10, 30, 60, 45});
    CSkinProbe &third = Add(4402, BS_AUTORADIOBUTTON, RECT{10, 50, 60, 65});
    CSkinProbe &otherGroup = Add(4403, BS_AUTORADIOBUTTON | WS_GROUP, RECT{10, 70, 60, 85});
    first.SendMessage(BM_SETCHECK, BST_CHECKED);
    otherGroup.SendMessage(BM_SETCHECK, BST_CHECKED);
    PumpMessages(20);

    second.SendMessage(BM_SETCHECK, BST_CHECKED);
    PumpMessages(20);
    EXPECT_EQ(BST_UNCHECKED, first.SendMessage(BM_GETCHECK));
    EXPECT_EQ(BST_CHECKED, second.SendMessage(BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, third.SendMessage(BM_GETCHECK));
    EXPECT_EQ(BST_CHECKED, otherGroup.SendMessage(BM_GETCHECK)) << "another group is left alone";

    // A disabled radio button is not part of the group walk's cycle; checking it must still end.
    third.EnableWindow(false);
    {
        CHangGuard guard(5000, "checking a disabled radio-kind skin button never returned");
        third.SendMessage(BM_SETCHECK, BST_CHECKED);
    }
    PumpMessages(20);
    EXPECT_EQ(BST_CHECKED, third.SendMessage(BM_GETCHECK));
    EXPECT_EQ(BST_UNCHECKED, second.SendMessage(BM_GETCHECK));
}

TEST_F(SkinButtonTest, UserChecksByReleaseAndSpace)
{
    CSkinProbe &box = Add(4500, BS_AUTOCHECKBOX, RECT{10, 10, 60, 25});
    CSkinProbe &radio = Add(4501, BS_AUTORADIOBUTTON | WS_GROUP, RECT{10, 30, 60, 45});
    const POINT ptBox = PointerTo(box, POINT{5, 5});
    struct Step
    {
        const char *name;
        CSkinProbe *pButton;
        UINT uMsg;
        LRESULT nExpected;
    };
    const Step steps[] = {
        {"release over the box checks it", &box, WM_LBUTTONUP, BST_CHECKED},
        {"space unchecks it", &box, WM_KEYDOWN, BST_UNCHECKED},
        {"release over the radio button checks it", &radio, WM_LBUTTONUP, BST_CHECKED},
        {"space keeps a radio button checked", &radio, WM_KEYDOWN, BST_CHECKED},
    };
    for (const Step &s : steps)
    {
        SCOPED_TRACE(s.name);
        if (s.uMsg == WM_KEYDOWN)
            s.pButton->SendMessage(WM_KEYDOWN, VK_SPACE, 0x00390001);
        else
            s.pButton->SendMessage(WM_LBUTTONUP, 0, At(ptBox));
        EXPECT_EQ(s.nExpected, s.pButton->SendMessage(BM_GETCHECK));
    }
    box.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(200, 5));
    EXPECT_EQ(BST_UNCHECKED, box.SendMessage(BM_GETCHECK)) << "a release outside the button does not toggle";
}

TEST_F(SkinButtonTest, DoubleClickGivesTwoClicks)
{
    CSkinProbe &button = Add(4600);
    button.ApplySkin(IDB_ADD_NORMAL, IDB_ADD_DOWN, IDB_ADD_HOVER, IDB_ADD_DISABLED, 0, IDB_MASK_SMALL, 0, 0, 0);
    const LPARAM lParam = At(PointerTo(button, POINT{20, 10}));
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, lParam);
    button.SendMessage(WM_LBUTTONUP, 0, lParam);
    button.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, lParam);
    button.SendMessage(WM_LBUTTONUP, 0, lParam);
    PumpMessages(10);
    EXPECT_EQ(2, m_host.m_clicks[4600]);
}

TEST_F(SkinButtonTest, PressFollowsThePointerAndReleaseOutsideDoesNotClick)
{
    CSkinProbe &button = Add(4700);
    button.ApplySkin(IDB_ADD_NORMAL, IDB_ADD_DOWN, IDB_ADD_HOVER, IDB_ADD_DISABLED, 0, IDB_MASK_SMALL, 0, 0, 0);
    const POINT ptInside{20, 10};
    const POINT ptOutside{20, 60};
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(PointerTo(button, ptInside)));
    ASSERT_EQ(button.m_hWnd, ::GetCapture());
    EXPECT_TRUE(button.IsPressed());
    EXPECT_NE(0u, button.GetState() & BST_PUSHED);

    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(PointerTo(button, ptOutside)));
    PumpMessages(10);
    EXPECT_EQ(0u, button.GetState() & BST_PUSHED) << "off the button it shows the normal face";
    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(PointerTo(button, ptInside)));
    PumpMessages(10);
    EXPECT_NE(0u, button.GetState() & BST_PUSHED) << "back over it, pressed again";

    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, At(PointerTo(button, ptOutside)));
    button.SendMessage(WM_LBUTTONUP, 0, At(ptOutside));
    PumpMessages(10);
    EXPECT_FALSE(button.IsPressed());
    EXPECT_EQ(0, m_host.m_clicks[4700]);

    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(PointerTo(button, ptInside)));
    button.SendMessage(WM_LBUTTONUP, 0, At(ptInside));
    PumpMessages(10);
    EXPECT_EQ(1, m_host.m_clicks[4700]);
}

TEST_F(SkinButtonTest, LosingTheFocusWhilePressedReleasesTheCapture)
{
    CSkinProbe &button = Add(4800);
    CSkinProbe &other = Add(4801, BS_PUSHBUTTON, RECT{10, 40, 60, 55});
    button.SetFocus();
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, At(PointerTo(button, POINT{5, 5})));
    ASSERT_EQ(button.m_hWnd, ::GetCapture());
    other.SetFocus();
    EXPECT_NE(button.m_hWnd, ::GetCapture());
    EXPECT_FALSE(button.IsPressed());
}

TEST_F(SkinButtonTest, HoverStartsOnMoveAndEndsOnLeaveOrPress)
{
    CSkinProbe &button = Add(4900);
    PointerTo(button, POINT{5, 5});
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(button.IsHover());
    button.SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(button.IsHover());

    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(button.IsHover());
    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_FALSE(button.IsHover()) << "pressing cancels the leave report";
    button.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));

    // The system reports the pointer leaving.
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(button.IsHover());
    ::SetCursorPos(5, 5);
    EXPECT_TRUE(PumpUntil([&] { return !button.IsHover(); }, 2000));
}

TEST_F(SkinButtonTest, TooltipIsMadeOnceAndItsTextReplaced)
{
    CSkinProbe &button = Add(5000);
    EXPECT_TRUE(TooltipsOf(button.m_hWnd).empty()) << "no tooltip before the first text";
    button.SetTipText(L"Add image files to list");
    EXPECT_EQ(L"Add image files to list", TooltipTextOf(button.m_hWnd));
    button.SetTipText(L"添加图片文件到列表中");
    const std::vector<HWND> tips = TooltipsOf(button.m_hWnd);
    ASSERT_EQ(1u, tips.size());
    EXPECT_EQ(L"添加图片文件到列表中", TooltipTextOf(button.m_hWnd));
    EXPECT_EQ(1, ::SendMessageW(tips[0], TTM_GETTOOLCOUNT, 0, 0));

    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ASSERT_TRUE(::SendMessageW(tips[0], TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&ti)));
    EXPECT_NE(0u, ti.uFlags & TTF_IDISHWND) << "the tool is the whole button window";

    m_buttons.clear();
    EXPECT_FALSE(::IsWindow(tips[0])) << "the tooltip goes with its button";
}

TEST_F(SkinButtonTest, EraseBackgroundPaintsNothing)
{
    CSkinProbe &button = Add(5100);
    CCanvas canvas(8, 8, RGB(1, 2, 3));
    EXPECT_EQ(TRUE, button.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.DC())));
    EXPECT_EQ(RGB(1, 2, 3), canvas.At(4, 4));
}
} // namespace
