// The slide list commands, thumbnails and the image area, driven through the real main dialog.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"

#include <filesystem>

namespace
{
using SlideListTest = SlideDialogTest;

// The colour in the middle of the image area as the screen shows it.
COLORREF AreaColour(HWND hArea, double fx = 0.5, double fy = 0.5)
{
    const Pixels pixels = CaptureClient(hArea);
    if (pixels.data.empty())
        return CLR_INVALID;
    return pixels.At(static_cast<int>(fx * (pixels.nWidth - 1)), static_cast<int>(fy * (pixels.nHeight - 1)));
}
} // namespace

TEST_F(SlideListTest, AddTakesTheImageExtensionsInAnyCaseAndNothingElse)
{
    Open();
    const std::wstring a = Picture("A.JPG", kRed);
    const std::wstring photo = Picture("photo.jpeg", kGreen);
    const std::wstring scan = Picture("scan.TIFF", kGreen);
    const std::wstring shot = Picture("shot.Jpe", kPurple);
    const std::wstring icon = Picture("icon.ico", kGreen);
    const std::wstring notes = Picture("notes.jpg.txt", kGreen);
    const std::wstring b = Picture("B.Gif", kBlue);
    const std::wstring c = Picture("c.Png", kBlue);
    const std::wstring d = Picture("d.tif", kYellow);
    const std::wstring e = Picture("e.bmp", kGrey);
    AddFiles({a, photo, scan, shot, icon, notes, b, c, d, e});

    ASSERT_EQ(1u, m_services.m_openDialogs.size());
    const CFakeSystemServices::OpenDialogCall &call = m_services.m_openDialogs[0];
    EXPECT_EQ(L"Image file (*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png)|"
              L"*.bmp;*.jpg;*.jpeg;*.jpe;*.gif;*.tif;*.tiff;*.png|all Files (*.*)|*.*||",
              call.filter);
    EXPECT_EQ(0x206u, call.dwFlags);
    EXPECT_EQ(267265u, call.nBufferChars);
    EXPECT_EQ(L"", call.initialFolder) << "the first Open dialog starts where the system chooses";

    EXPECT_EQ((std::vector<std::wstring>{L"A.JPG", L"photo.jpeg", L"scan.TIFF", L"shot.Jpe", L"B.Gif", L"c.Png",
                                         L"d.tif", L"e.bmp"}),
              SlideNames());
    EXPECT_EQ(m_pictures, m_dlg->Model().m_images[0].strFolder);
    EXPECT_TRUE(m_dlg->Model().m_images[0].strUrl.empty());
    ExpectInStep();
    EXPECT_EQ(0, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(0, SelectedItem());
    EXPECT_TRUE(m_dlg->TempFrameFiles().empty()) << "a one-frame GIF is added as itself";

    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    PumpMessages(50);
    for (int i = 0; i < 3; ++i)
    {
        POINT pt{};
        ::SendMessageW(hList, LVM_GETITEMPOSITION, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&pt));
        EXPECT_EQ(16 + 112 * i, pt.x) << "item " << i;
    }
    EXPECT_EQ(hList, ::GetFocus());
}

TEST_F(SlideListTest, AddingToFiveSlidesMakesTheFirstNewOneCurrentAndRestoresTheDirectory)
{
    Open();
    AddFiles({Picture("1.bmp", kRed), Picture("2.bmp", kGreen), Picture("3.bmp", kBlue), Picture("4.bmp", kYellow),
              Picture("5.bmp", kGrey)});
    ClickItem(2);
    ASSERT_EQ(2, m_dlg->Model().m_nCurSel);

    wchar_t before[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, before);
    m_services.m_onOpenDialog = [this] { ::SetCurrentDirectoryW(m_pictures.c_str()); };
    AddFiles({Picture("6.bmp", kPurple), Picture("7.bmp", kRed)});
    wchar_t after[MAX_PATH] = {};
    ::GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    ASSERT_EQ(2u, m_services.m_openDialogs.size());
    EXPECT_EQ(m_pictures, m_services.m_openDialogs[1].initialFolder) << "where the last pictures came from";

    EXPECT_EQ(5, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(5, SelectedItem());
    ExpectInStep();
    EXPECT_TRUE(ColoursClose(kPurple, AreaColour(m_dlg->GetDlgItem(IDC_IMAGE_AREA))));

    // A cancelled dialog changes nothing.
    m_services.m_bOpenConfirms = false;
    ClickButton(IDC_BTN_ADD);
    EXPECT_EQ(7u, m_dlg->Model().m_images.size());
    EXPECT_EQ(5, m_dlg->Model().m_nCurSel);
    ExpectInStep();
}

TEST_F(SlideListTest, AnUnreadablePictureGetsAPlaceholderAndTheRestStayAligned)
{
    Open();
    const std::wstring broken = m_pictures + L"broken.png";
    ASSERT_TRUE(WriteWholeFile(std::filesystem::path(broken), "not a picture at all"));
    AddFiles({Picture("a.bmp", kRed), broken, Picture("c.bmp", kBlue)});
    ExpectInStep();
    EXPECT_FALSE(ColoursClose(kRed, ThumbnailColour(1)));
    EXPECT_FALSE(ColoursClose(kBlue, ThumbnailColour(1)));
}

TEST_F(SlideListTest, AnAnimatedGifBecomesOneSlidePerFrameWhoseFilesGoOnDestroy)
{
    Open();
    const std::wstring anim = m_pictures + L"anim.gif";
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(anim), 3));
    AddFiles({Picture("a.bmp", kRed), anim});

    EXPECT_EQ((std::vector<std::wstring>{L"a.bmp", L"anim_frame0.gif", L"anim_frame1.gif", L"anim_frame2.gif"}),
              SlideNames());
    ExpectInStep();
    const std::vector<std::wstring> frames = m_dlg->TempFrameFiles();
    ASSERT_EQ(3u, frames.size());
    for (size_t i = 1; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        const ImageItem &slide = m_dlg->Model().m_images[i];
        EXPECT_EQ(0u, slide.strFolder.rfind(m_temp, 0)) << "frames live in the temporary folder";
        EXPECT_EQ(frames[i - 1], slide.FullPath());
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(frames[i - 1])));
    }
    // The frames differ: a red, a green and a blue ball.
    EXPECT_NE(ThumbnailColour(1), ThumbnailColour(2));

    // Frame files outlive their slides until the dialog goes.
    ClickButton(IDC_BTN_REMOVEALL);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(frames[0])));
    m_dlg->DestroyWindow();
    for (const std::wstring &frame : frames)
        EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(frame))) << Utf8FromWide(frame);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(anim))) << "the source GIF stays";
}

TEST_F(SlideListTest, DeleteKeepsTheListInStepAndPicksTheCurrentSlide)
{
    struct Case
    {
        int nCurrent;
        int nExpected;
        std::vector<std::wstring> remaining;
    };
    const Case cases[] = {
        {3, 0, {L"0.bmp", L"1.bmp", L"2.bmp"}}, // the last: the first becomes current
        {2, 0, {L"0.bmp", L"1.bmp", L"3.bmp"}}, // the last but one: the first too
        {1, 1, {L"0.bmp", L"2.bmp", L"3.bmp"}}, // otherwise the one that followed
        {0, 0, {L"1.bmp", L"2.bmp", L"3.bmp"}},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.nCurrent);
        m_colours.clear();
        Open();
        AddFiles(
            {Picture("0.bmp", kRed), Picture("1.bmp", kGreen), Picture("2.bmp", kBlue), Picture("3.bmp", kYellow)});
        if (c.nCurrent != 0)
            ClickItem(c.nCurrent);
        ASSERT_EQ(c.nCurrent, m_dlg->Model().m_nCurSel);
        ClickButton(IDC_BTN_DELETE);
        EXPECT_EQ(c.remaining, SlideNames());
        EXPECT_EQ(c.nExpected, m_dlg->Model().m_nCurSel);
        EXPECT_EQ(c.nExpected, SelectedItem());
        ExpectInStep();
        HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
        POINT pt{};
        ::SendMessageW(hList, LVM_GETITEMPOSITION, 2, reinterpret_cast<LPARAM>(&pt));
        EXPECT_EQ(240, pt.x) << "the list is laid out afresh";
        m_dlg.reset();
    }
}

TEST_F(SlideListTest, DeletingTheOnlySlideAndRemoveAllClearTheImageArea)
{
    Open();
    HWND hArea = m_dlg->GetDlgItem(IDC_IMAGE_AREA);
    const COLORREF background = AreaColour(hArea);
    AddFiles({Picture("only.bmp", kRed)});
    EXPECT_TRUE(ColoursClose(kRed, AreaColour(hArea)));
    PressKey(VK_DELETE);
    EXPECT_TRUE(SlideNames().empty());
    ExpectInStep();
    EXPECT_EQ(background, AreaColour(hArea)) << "no stale picture after the list became empty";

    AddFiles({Picture("x.bmp", kGreen), Picture("y.bmp", kBlue), Picture("z.bmp", kYellow)});
    ClickItem(2);
    m_services.m_nMessageBoxAnswer = IDYES;
    ClickButton(IDC_BTN_REMOVEALL);
    ExpectInStep();
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel) << "remove all keeps the index";
    EXPECT_EQ(background, AreaColour(hArea));
    // A repaint with an empty list draws no picture.
    ::RedrawWindow(hArea, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(background, AreaColour(hArea));

    AddFiles({Picture("w.bmp", kPurple)});
    EXPECT_EQ(0, m_dlg->Model().m_nCurSel) << "the next add sets the index before anything uses it";
    ExpectInStep();
}

TEST_F(SlideListTest, MovesWrapAtTheEndsAndCarryThumbnailLabelAndAddress)
{
    Open();
    AddFiles({Picture("0.bmp", kRed), Picture("1.bmp", kGreen), Picture("2.bmp", kBlue), Picture("3.bmp", kYellow)});
    m_dlg->Model().m_images[0].strUrl = L"http://zero.example/";

    ClickButton(IDC_BTN_LEFT); // the first moves onto the last
    EXPECT_EQ((std::vector<std::wstring>{L"3.bmp", L"1.bmp", L"2.bmp", L"0.bmp"}), SlideNames());
    EXPECT_EQ(3, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(3, SelectedItem());
    EXPECT_EQ(L"http://zero.example/", m_dlg->Model().m_images[3].strUrl);
    ExpectInStep();
    EXPECT_TRUE(ColoursClose(kRed, AreaColour(m_dlg->GetDlgItem(IDC_IMAGE_AREA))));

    ClickButton(IDC_BTN_RIGHT); // the last moves onto the first
    EXPECT_EQ((std::vector<std::wstring>{L"0.bmp", L"1.bmp", L"2.bmp", L"3.bmp"}), SlideNames());
    EXPECT_EQ(0, m_dlg->Model().m_nCurSel);
    ExpectInStep();

    ClickButton(IDC_BTN_RIGHT);
    ClickButton(IDC_BTN_RIGHT);
    EXPECT_EQ((std::vector<std::wstring>{L"1.bmp", L"2.bmp", L"0.bmp", L"3.bmp"}), SlideNames());
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel);
    ExpectInStep();
    ClickButton(IDC_BTN_LEFT);
    EXPECT_EQ((std::vector<std::wstring>{L"1.bmp", L"0.bmp", L"2.bmp", L"3.bmp"}), SlideNames());
    ExpectInStep();
}

TEST_F(SlideListTest, AMoveWithOneSlideOrNoneChangesNothing)
{
    Open();
    ClickButton(IDC_BTN_LEFT);
    ClickButton(IDC_BTN_RIGHT);
    ClickButton(IDC_BTN_DELETE);
    ExpectInStep();
    AddFiles({Picture("solo.bmp", kBlue)});
    ClickButton(IDC_BTN_LEFT);
    ClickButton(IDC_BTN_RIGHT);
    EXPECT_EQ(0, m_dlg->Model().m_nCurSel);
    ExpectInStep();
}

TEST_F(SlideListTest, ClickAndArrowsCommitTheTypedAddressAndShowTheNewSlidesOne)
{
    Open();
    AddFiles({Picture("0.bmp", kRed), Picture("1.bmp", kGreen), Picture("2.bmp", kBlue)});
    HWND hArea = m_dlg->GetDlgItem(IDC_IMAGE_AREA);

    m_dlg->SetDlgItemText(IDC_EDIT_URL, L"http://first.example/");
    ClickItem(2);
    EXPECT_EQ(L"http://first.example/", m_dlg->Model().m_images[0].strUrl);
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(L"http://", Text(IDC_EDIT_URL));
    EXPECT_TRUE(ColoursClose(kBlue, AreaColour(hArea)));

    m_dlg->SetDlgItemText(IDC_EDIT_URL, L"x"); // one character: kept, shown as "http://"
    PressKey(VK_LEFT);
    EXPECT_EQ(L"x", m_dlg->Model().m_images[2].strUrl);
    EXPECT_EQ(1, m_dlg->Model().m_nCurSel);
    EXPECT_TRUE(ColoursClose(kGreen, AreaColour(hArea)));
    PressKey(VK_LEFT);
    EXPECT_EQ(L"http://first.example/", Text(IDC_EDIT_URL));
    PressKey(VK_LEFT); // no wrap at the first
    EXPECT_EQ(0, m_dlg->Model().m_nCurSel);
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT);
    PressKey(VK_RIGHT); // nor at the last
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(L"http://", Text(IDC_EDIT_URL));

    // A click beside the items, or on the current one, changes nothing.
    m_dlg->SetDlgItemText(IDC_EDIT_URL, L"http://late.example/");
    ClickItem(-1, POINT{2000, 5});
    ClickItem(2);
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(L"x", m_dlg->Model().m_images[2].strUrl) << "nothing committed yet";
    EXPECT_EQ(L"http://late.example/", Text(IDC_EDIT_URL));
}

TEST_F(SlideListTest, TheImageAreaShowsTheCurrentPictureStretchedOverItsWholeArea)
{
    Open();
    // 800 x 200: red left half, blue right half.
    Raster wide = MakeCard(800, 200, 220, 30, 30);
    for (int y = 0; y < 200; ++y)
    {
        for (int x = 400; x < 800; ++x)
        {
            uint8_t *p = wide.Row(y) + x * 3;
            p[0] = GetRValue(kBlue);
            p[1] = GetGValue(kBlue);
            p[2] = GetBValue(kBlue);
        }
    }
    ASSERT_TRUE(WriteBmp(Utf8FromWide(m_pictures) + "wide.bmp", wide));
    AddFiles({m_pictures + L"wide.bmp"});
    HWND hArea = m_dlg->GetDlgItem(IDC_IMAGE_AREA);
    for (double fy : {0.02, 0.5, 0.98})
    {
        SCOPED_TRACE(fy);
        EXPECT_TRUE(ColoursClose(kRed, AreaColour(hArea, 0.02, fy)));
        EXPECT_TRUE(ColoursClose(kRed, AreaColour(hArea, 0.45, fy)));
        EXPECT_TRUE(ColoursClose(kBlue, AreaColour(hArea, 0.55, fy)));
        EXPECT_TRUE(ColoursClose(kBlue, AreaColour(hArea, 0.98, fy)));
    }
    // The thumbnail is squeezed to 96 x 72 the same way.
    CCanvas canvas(96, 72, RGB(1, 2, 3));
    ::ImageList_Draw(m_dlg->Thumbnails(), 0, canvas.DC(), 0, 0, ILD_NORMAL);
    EXPECT_TRUE(ColoursClose(kRed, canvas.At(10, 5)));
    EXPECT_TRUE(ColoursClose(kBlue, canvas.At(86, 66)));

    // A repaint looks at the file again: a changed file shows its new content, the thumbnail stays.
    ASSERT_TRUE(WriteBmp(Utf8FromWide(m_pictures) + "wide.bmp",
                         MakeCard(40, 40, GetRValue(kGreen), GetGValue(kGreen), GetBValue(kGreen))));
    ::RedrawWindow(hArea, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    WaitIdle();
    EXPECT_TRUE(ColoursClose(kGreen, AreaColour(hArea)));
    CCanvas again(96, 72, RGB(1, 2, 3));
    ::ImageList_Draw(m_dlg->Thumbnails(), 0, again.DC(), 0, 0, ILD_NORMAL);
    EXPECT_TRUE(ColoursClose(kRed, again.At(10, 5)));
}

TEST_F(SlideListTest, RealKeysAndClicksInTheListMoveTheCurrentSlideWithTheSelection)
{
    Open();
    AddFiles({Picture("0.bmp", kRed), Picture("1.bmp", kGreen), Picture("2.bmp", kBlue)});
    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    ::SetFocus(hList);

    ::SendMessageW(hList, WM_KEYDOWN, VK_RIGHT, 0);
    ::SendMessageW(hList, WM_KEYUP, VK_RIGHT, 0);
    PumpMessages(20);
    EXPECT_EQ(1, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(1, SelectedItem()) << "the list's selection and the current slide move together";

    RECT rc{};
    rc.left = LVIR_ICON;
    ::SendMessageW(hList, LVM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&rc));
    const LPARAM lPoint = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    ::PostMessageW(hList, WM_LBUTTONUP, 0, lPoint);
    ::SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, lPoint);
    PumpMessages(50);
    EXPECT_EQ(2, m_dlg->Model().m_nCurSel);
    EXPECT_EQ(2, SelectedItem());
    EXPECT_TRUE(ColoursClose(kBlue, AreaColour(m_dlg->GetDlgItem(IDC_IMAGE_AREA))));

    ::SendMessageW(hList, WM_KEYDOWN, VK_DELETE, 0);
    PumpMessages(20);
    EXPECT_EQ((std::vector<std::wstring>{L"0.bmp", L"1.bmp"}), SlideNames());
    ExpectInStep();
}
