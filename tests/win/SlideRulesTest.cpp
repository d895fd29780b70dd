// The rules every slide command keeps, driven through the real dialog with real keys and clicks: the
// current slide follows the list's selection, addresses stay with the slide they were typed for, the
// questions before losing work, the row's layout, transparency, the keyboard and the Chinese texts.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "framework/Handles.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <functional>

namespace
{
class SlideRulesTest : public SlideDialogTest
{
  protected:
    // Five slides whose names start with different letters, for the list's type-ahead.
    void AddFive()
    {
        AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen), Picture("cherry.bmp", kBlue),
                  Picture("date.bmp", kYellow), Picture("elder.bmp", kPurple)});
    }
    COLORREF AreaColour(double fx = 0.5) const
    {
        const Pixels pixels = CaptureClient(m_dlg->GetDlgItem(IDC_IMAGE_AREA));
        return pixels.At(static_cast<int>(fx * (pixels.nWidth - 1)), pixels.nHeight / 2);
    }
    COLORREF ColourOf(const std::wstring &name) const
    {
        for (const auto &[file, colour] : m_colours)
        {
            if (file == name)
                return colour;
        }
        return CLR_INVALID;
    }
    std::vector<std::pair<std::wstring, std::wstring>> NamesAndUrls() const
    {
        std::vector<std::pair<std::wstring, std::wstring>> slides;
        for (const ImageItem &slide : m_dlg->Model().m_images)
            slides.emplace_back(slide.strFileName, slide.strUrl);
        return slides;
    }
    HWND List() const
    {
        return m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    }
    // A PNG whose left half is opaque red and whose right half is fully transparent (green underneath).
    std::wstring HalfTransparentPng(const std::wstring &name)
    {
        using namespace Gdiplus::DllExports;
        const int nWidth = 64;
        const int nHeight = 48;
        std::vector<UINT32> argb(static_cast<size_t>(nWidth * nHeight));
        for (int y = 0; y < nHeight; ++y)
        {
            for (int x = 0; x < nWidth; ++x)
                argb[static_cast<size_t>(y * nWidth + x)] = x < nWidth / 2 ? 0xFFDC1E1E : 0x0000FF00;
        }
        Gdiplus::GpBitmap *pBitmap = nullptr;
        GdipCreateBitmapFromScan0(nWidth, nHeight, nWidth * 4, PixelFormat32bppARGB,
                                  reinterpret_cast<BYTE *>(argb.data()), &pBitmap);
        UINT nEncoders = 0;
        UINT nBytes = 0;
        GdipGetImageEncodersSize(&nEncoders, &nBytes);
        std::vector<BYTE> buffer(nBytes);
        auto *pEncoders = reinterpret_cast<Gdiplus::ImageCodecInfo *>(buffer.data());
        GdipGetImageEncoders(nEncoders, nBytes, pEncoders);
        const std::wstring path = m_pictures + name;
        for (UINT i = 0; i < nEncoders; ++i)
        {
            if (std::wstring(pEncoders[i].MimeType) == L"image/png")
            {
                EXPECT_EQ(Gdiplus::Ok, GdipSaveImageToFile(pBitmap, path.c_str(), &pEncoders[i].Clsid, nullptr));
            }
        }
        GdipDisposeImage(pBitmap);
        return path;
    }
};
} // namespace

TEST_F(SlideRulesTest, AnyKeyThatMovesTheListsSelectionMovesTheCurrentSlide)
{
    struct Case
    {
        const char *name;
        int nStart;
        WORD wKey; // 0: type the letter instead
        wchar_t chTyped;
        int nExpected; // -1: any other slide
    };
    const Case cases[] = {
        {"Home", 4, VK_HOME, 0, 0},       {"End", 0, VK_END, 0, 4},
        {"Page Up", 4, VK_PRIOR, 0, -1},  {"Page Down", 0, VK_NEXT, 0, -1},
        {"type-ahead", 0, 0, L'c', 2},    {"right arrow", 1, VK_RIGHT, 0, 2},
        {"left arrow", 1, VK_LEFT, 0, 0}, {"no wrap at the end", 4, VK_RIGHT, 0, 4},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_colours.clear();
        Open();
        AddFive();
        ClickItem(c.nStart);
        ::SetFocus(List());
        TypeUrl(L"http://typed.example/");
        if (c.wKey != 0)
            PressKey(c.wKey);
        else
            ::SendMessageW(List(), WM_CHAR, c.chTyped, 1);

        const int nNow = m_dlg->Model().m_nCurSel;
        EXPECT_EQ(SelectedItem(), nNow) << "the current slide is the highlighted one";
        if (c.nExpected >= 0)
        {
            EXPECT_EQ(c.nExpected, nNow);
        }
        else
        {
            EXPECT_NE(c.nStart, nNow);
        }
        // Leaving the slide commits what was typed for it; staying keeps the box as it is.
        EXPECT_EQ(nNow == c.nStart ? L"" : L"http://typed.example/",
                  m_dlg->Model().m_images[static_cast<size_t>(c.nStart)].strUrl);
        EXPECT_EQ(nNow == c.nStart ? L"http://typed.example/" : L"http://", Text(IDC_EDIT_URL));
        const std::wstring highlighted = SlideNames()[static_cast<size_t>(nNow)];
        EXPECT_TRUE(ColoursClose(ColourOf(highlighted), AreaColour()));

        PressKey(VK_DELETE);
        const std::vector<std::wstring> left = SlideNames();
        EXPECT_EQ(4u, left.size());
        EXPECT_EQ(left.end(), std::find(left.begin(), left.end(), highlighted))
            << "Delete removes the highlighted slide";
        ExpectInStep();
        m_dlg.reset();
    }
}

TEST_F(SlideRulesTest, AnAddressGoesOnlyToTheSlideTheBoxShowed)
{
    using Slides = std::vector<std::pair<std::wstring, std::wstring>>;
    struct Case
    {
        const char *name;
        std::function<void()> steps;
        Slides expected;
    };
    const Case cases[] = {
        {"typed for slide 5, slide 5 deleted, then the right arrow",
         [&] {
             AddFive();
             ClickItem(4);
             TypeUrl(L"http://five/");
             PressKey(VK_DELETE);
             PressKey(VK_RIGHT);
         },
         {{L"apple.bmp", L""}, {L"berry.bmp", L""}, {L"cherry.bmp", L""}, {L"date.bmp", L""}}},
        {"a picture added while slide 1's address is shown, then left and right",
         [&] {
             AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen)});
             TypeUrl(L"http://one/");
             PressKey(VK_RIGHT);
             PressKey(VK_LEFT);
             AddFiles({Picture("cherry.bmp", kBlue)});
             PressKey(VK_LEFT);
             PressKey(VK_RIGHT);
         },
         {{L"apple.bmp", L"http://one/"}, {L"berry.bmp", L""}, {L"cherry.bmp", L""}}},
        {"typed, remove all, new files, then the right arrow",
         [&] {
             AddFive();
             TypeUrl(L"http://old/");
             m_services.m_nMessageBoxAnswer = IDYES;
             ClickButton(IDC_BTN_REMOVEALL);
             AddFiles({Picture("fig.bmp", kRed), Picture("grape.bmp", kGreen)});
             PressKey(VK_RIGHT);
         },
         {{L"fig.bmp", L""}, {L"grape.bmp", L""}}},
        {"an emptied box removes the address",
         [&] {
             AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen)});
             m_dlg->Model().m_images[0].strUrl = L"http://wrong/";
             TypeUrl(L"");
             PressKey(VK_RIGHT);
         },
         {{L"apple.bmp", L""}, {L"berry.bmp", L""}}},
        {"a box the user did not touch changes nothing",
         [&] {
             AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen)});
             TypeUrl(L"x"); // shown as "http://"
             PressKey(VK_RIGHT);
             PressKey(VK_LEFT);
             PressKey(VK_RIGHT);
         },
         {{L"apple.bmp", L"x"}, {L"berry.bmp", L""}}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_colours.clear();
        Open();
        ::SetFocus(List());
        c.steps();
        EXPECT_EQ(c.expected, NamesAndUrls());
        EXPECT_EQ(m_dlg->Model().UrlEditText(), Text(IDC_EDIT_URL)) << "the box shows the current slide's address";
        m_services.m_nMessageBoxAnswer = IDOK;
        m_dlg.reset();
    }
}

TEST_F(SlideRulesTest, RemoveAllAsksFirstDeleteAndMovesDoNot)
{
    struct Case
    {
        int nButton;
        int nAnswer;
        size_t nQuestions;
        size_t nSlidesLeft;
    };
    const Case cases[] = {
        {IDC_BTN_REMOVEALL, IDNO, 1, 3}, {IDC_BTN_REMOVEALL, IDYES, 1, 0}, {IDC_BTN_DELETE, IDNO, 0, 2},
        {IDC_BTN_LEFT, IDNO, 0, 3},      {IDC_BTN_RIGHT, IDNO, 0, 3},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.nButton << " answered " << c.nAnswer);
        m_colours.clear();
        Open();
        AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen), Picture("cherry.bmp", kBlue)});
        m_services.m_messageBoxes.clear();
        m_services.m_nMessageBoxAnswer = c.nAnswer;
        ClickButton(c.nButton);
        ASSERT_EQ(c.nQuestions, m_services.m_messageBoxes.size());
        if (c.nQuestions > 0)
        {
            EXPECT_EQ(L"Remove all 3 slides?", m_services.m_messageBoxes[0].text);
            EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2),
                      m_services.m_messageBoxes[0].nType);
        }
        EXPECT_EQ(c.nSlidesLeft, SlideNames().size());
        ExpectInStep();
        m_dlg.reset();
    }
    // An empty list has nothing to lose.
    Open();
    m_services.m_messageBoxes.clear();
    ClickButton(IDC_BTN_REMOVEALL);
    EXPECT_TRUE(m_services.m_messageBoxes.empty());
}

TEST_F(SlideRulesTest, EndingTheProgramWithSlidesAsksFirst)
{
    struct Case
    {
        const char *name;
        bool bSlides;
        int nAnswer;
        std::function<void(HWND)> close;
        bool bCloses;
    };
    const auto escapeInUrl = [](HWND hDlg) {
        ::SetFocus(::GetDlgItem(hDlg, IDC_EDIT_URL));
        ::PostMessageW(::GetDlgItem(hDlg, IDC_EDIT_URL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    };
    const Case cases[] = {
        {"Escape in the URL box, answered No", true, IDNO, escapeInUrl, false},
        {"Escape in the URL box, answered Yes", true, IDYES, escapeInUrl, true},
        {"the close box, answered No", true, IDNO, [](HWND hDlg) { ::PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0); },
         false},
        {"Alt+F4, answered No", true, IDNO, [](HWND hDlg) { ::PostMessageW(hDlg, WM_SYSKEYDOWN, VK_F4, 0x203E0001); },
         false},
        {"Escape with an empty list", false, IDNO, escapeInUrl, true},
    };
    const std::wstring picture = Picture("apple.bmp", kRed);
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_services.m_messageBoxes.clear();
        m_services.m_nMessageBoxAnswer = c.nAnswer;
        m_services.m_bOpenConfirms = true;
        m_services.m_openPaths = {picture};
        CSlideTestDlg dlg(m_services);
        int nStage = 0;
        DWORD nClosedAt = 0;
        bool bOpenAfterClose = false;
        CModalWatcher watcher([&] {
            if (dlg.m_hWnd == nullptr || !::IsWindowVisible(dlg.m_hWnd))
                return false;
            if (nStage == 0)
            {
                if (c.bSlides)
                    ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(IDC_BTN_ADD, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, IDC_BTN_ADD)));
                c.close(dlg.m_hWnd);
                nClosedAt = ::GetTickCount();
                nStage = 1;
                return false;
            }
            if (::GetTickCount() - nClosedAt < 150)
                return false;
            bOpenAfterClose = true;
            // Ends the run: the list is emptied without a question first.
            m_services.m_nMessageBoxAnswer = IDYES;
            ::PostMessageW(dlg.m_hWnd, WM_COMMAND, IDCANCEL, 0);
            return true;
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(!c.bCloses, bOpenAfterClose);
        if (!c.bSlides)
        {
            EXPECT_TRUE(m_services.m_messageBoxes.empty());
            continue;
        }
        ASSERT_FALSE(m_services.m_messageBoxes.empty());
        EXPECT_EQ(L"Quit Brivelle? The slide list will be lost.", m_services.m_messageBoxes[0].text);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2), m_services.m_messageBoxes[0].nType);
    }
}

TEST_F(SlideRulesTest, TheRowKeepsItsPlacesAndScrollsToEverySlide)
{
    Open();
    const std::wstring picture = Picture("card.bmp", kRed);
    // Checks the row after a command: items at 16 + 112 i of the view, one row without a vertical
    // scroll bar, a scroll range that ends at the last item, the current slide in view.
    const auto expectRow = [&](const char *what) {
        SCOPED_TRACE(what);
        PumpMessages(20);
        const int nCount = static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0));
        const int nScroll = ::GetScrollPos(List(), SB_HORZ);
        for (int i = 0; i < nCount; ++i)
        {
            POINT pt{};
            ::SendMessageW(List(), LVM_GETITEMPOSITION, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&pt));
            ASSERT_EQ(16 + 112 * i, pt.x + nScroll) << "item " << i;
        }
        EXPECT_EQ(0, ::GetWindowLongW(List(), GWL_STYLE) & WS_VSCROLL);
        RECT client{};
        ::GetClientRect(List(), &client);
        if (nCount == 0)
            return;
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_ALL;
        if (::GetScrollInfo(List(), SB_HORZ, &info) && static_cast<int>(info.nPage) <= info.nMax)
        {
            EXPECT_GE(info.nMax + 1, 16 + 112 * (nCount - 1) + 96);
            EXPECT_LE(info.nMax + 1, 16 + 112 * (nCount - 1) + 112) << "no blank space after the last item";
        }
        RECT item{};
        item.left = LVIR_ICON;
        ::SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(m_dlg->Model().m_nCurSel),
                       reinterpret_cast<LPARAM>(&item));
        EXPECT_GE(item.left, client.left) << "the current slide is in view";
        EXPECT_LE(item.right, client.right);
    };

    AddFiles(std::vector<std::wstring>(5, picture));
    expectRow("a fresh list");
    AddFiles(std::vector<std::wstring>(15, picture));
    expectRow("added while scrolled");
    ClickItem(17);
    ClickButton(IDC_BTN_DELETE);
    expectRow("a delete");
    ClickButton(IDC_BTN_LEFT);
    expectRow("a move");
    m_services.m_nMessageBoxAnswer = IDYES;
    ClickButton(IDC_BTN_REMOVEALL);
    expectRow("remove all");
    AddFiles(std::vector<std::wstring>(120, picture));
    expectRow("many after remove all");
    PressKey(VK_END);
    expectRow("End");
    EXPECT_EQ(119, m_dlg->Model().m_nCurSel);
    PressKey(VK_HOME);
    expectRow("Home");
}

TEST_F(SlideRulesTest, TransparentPartsShowWhiteInTheThumbnailAndTheImageArea)
{
    Open();
    AddFiles({Picture("blue.bmp", kBlue)});
    AddFiles({HalfTransparentPng(L"half.png")});
    CCanvas canvas(96, 72, RGB(1, 2, 3));
    ::ImageList_Draw(m_dlg->Thumbnails(), 1, canvas.DC(), 0, 0, ILD_NORMAL);
    EXPECT_TRUE(ColoursClose(kRed, canvas.At(20, 36)));
    EXPECT_TRUE(ColoursClose(kWhite, canvas.At(76, 36))) << std::hex << canvas.At(76, 36);
    EXPECT_TRUE(ColoursClose(kRed, AreaColour(0.25)));
    EXPECT_TRUE(ColoursClose(kWhite, AreaColour(0.75))) << "not the blue slide shown before";
}

TEST_F(SlideRulesTest, KeyboardUsersReachEveryControlInLayoutOrderAndPressSkinButtons)
{
    Open();
    AddFiles({Picture("apple.bmp", kRed), Picture("berry.bmp", kGreen), Picture("cherry.bmp", kBlue)});
    HWND hDlg = m_dlg->m_hWnd;
    ::SetFocus(List());
    const int expected[] = {IDC_RADIO_FPS, IDC_EDIT_FPS,   IDC_EDIT_DELAY, IDC_EDIT_WIDTH, IDC_EDIT_HEIGHT,
                            IDC_BTN_ADD,   IDC_BTN_DELETE, IDC_BTN_LEFT,   IDC_BTN_RIGHT,  IDC_BTN_REMOVEALL,
                            IDC_BTN_MAKE,  IDC_BTN_HELP,   IDC_EDIT_URL,   IDC_LIST_IMAGES};
    std::vector<int> order;
    for (size_t i = 0; i < std::size(expected); ++i)
    {
        ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 0x000F0001);
        PumpDialogMessages(hDlg, 20);
        order.push_back(::GetDlgCtrlID(::GetFocus()));
    }
    EXPECT_EQ(std::vector<int>(std::begin(expected), std::end(expected)), order);
    // The timing mode's two radio buttons are one stop; the arrow keys choose between them.
    ::SetFocus(m_dlg->GetDlgItem(IDC_RADIO_FPS));
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_DOWN, 0x00500001);
    PumpDialogMessages(hDlg, 20);
    EXPECT_EQ(IDC_RADIO_DELAY, ::GetDlgCtrlID(::GetFocus()));
    EXPECT_EQ(BST_CHECKED, ::IsDlgButtonChecked(hDlg, IDC_RADIO_DELAY));

    // A focused skin button shows a focus rectangle, and Space and Enter press it.
    HWND hDelete = m_dlg->GetDlgItem(IDC_BTN_DELETE);
    ::SetFocus(List());
    PumpMessages(20);
    const Pixels unfocused = CaptureClient(hDelete);
    ::SetFocus(hDelete);
    PumpMessages(20);
    EXPECT_NE(unfocused.data, CaptureClient(hDelete).data);
    for (WORD wKey : {VK_SPACE, VK_RETURN})
    {
        SCOPED_TRACE(wKey);
        const size_t nBefore = SlideNames().size();
        ::SetFocus(hDelete);
        ::PostMessageW(hDelete, WM_KEYDOWN, wKey, 0x00390001);
        ::PostMessageW(hDelete, WM_KEYUP, wKey, 0xC0390001);
        PumpDialogMessages(hDlg, 30);
        EXPECT_EQ(nBefore - 1, SlideNames().size());
    }
}

TEST_F(SlideRulesTest, ChineseTextsThroughout)
{
    m_services.m_langId = 0x0804;
    Open();
    struct Case
    {
        const char *name;
        std::function<void()> action;
        std::wstring expected;
    };
    const std::wstring picture = Picture("apple.bmp", kRed);
    const Case cases[] = {
        {"an empty list", [&] { ClickButton(IDC_BTN_MAKE); }, L"请先把图片文件添加到列表中"},
        {"remove all",
         [&] {
             AddFiles({picture, picture});
             ClickButton(IDC_BTN_REMOVEALL);
         },
         L"要清空全部 2 张图片吗？"},
        {"quit", [&] { m_dlg->SendMessage(WM_COMMAND, IDCANCEL, 0); }, L"退出 Brivelle 吗？图片列表将会丢失。"},
    };
    m_services.m_nMessageBoxAnswer = IDNO;
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_services.m_messageBoxes.clear();
        c.action();
        ASSERT_EQ(1u, m_services.m_messageBoxes.size());
        EXPECT_EQ(c.expected, m_services.m_messageBoxes[0].text);
    }
    ASSERT_FALSE(m_services.m_openDialogs.empty());
    EXPECT_EQ(0u, m_services.m_openDialogs[0].filter.find(L"图片文件 (*.bmp;"));
    EXPECT_NE(std::wstring::npos, m_services.m_openDialogs[0].filter.find(L"|所有文件 (*.*)|*.*||"));
    m_services.m_bSaveConfirms = false;
    ClickButton(IDC_BTN_MAKE);
    ASSERT_EQ(1u, m_services.m_saveDialogs.size());
    EXPECT_EQ(L"SWF 文件|*.swf|含影片的网页 (*.html)|*.html|", m_services.m_saveDialogs[0].filter);

    // The numbers keep a Chinese interface face whose digits fit their boxes.
    HWND hWidth = m_dlg->GetDlgItem(IDC_EDIT_WIDTH);
    LOGFONTW font{};
    ASSERT_NE(0, ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(hWidth, WM_GETFONT, 0, 0)), sizeof(font), &font));
    EXPECT_EQ(GB2312_CHARSET, font.lfCharSet);
    CWindowDC dc(hWidth);
    CSelectObject selected(dc.Get(), reinterpret_cast<HFONT>(::SendMessageW(hWidth, WM_GETFONT, 0, 0)));
    SIZE digits{};
    ::GetTextExtentPoint32W(dc.Get(), L"65500", 5, &digits);
    RECT rc{};
    ::GetClientRect(hWidth, &rc);
    EXPECT_GE(digits.cy, 12) << "digits large enough to read";
    EXPECT_LE(digits.cy, rc.bottom);
    EXPECT_LE(digits.cx, rc.right);
}
