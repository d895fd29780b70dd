// The make-movie command and the preview in the main dialog: the movie written, the files left behind,
// the messages, the player's place and its life.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "build/WebPage.h"
#include "preview/SwfPlayback.h"
#include "swf/SwfTestReader.h"

#include <commdlg.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace
{
class MovieCommandsTest : public SlideDialogTest
{
  protected:
    void AddThree()
    {
        AddFiles({Picture("r.bmp", kRed), Picture("g.jpg", kGreen), Picture("b.bmp", kBlue)});
    }
    // Confirms the Save As dialog with this path and clicks the make button.
    void Make(const std::wstring &output)
    {
        m_services.m_bSaveConfirms = true;
        m_services.m_strSavePath = output;
        ClickButton(IDC_BTN_MAKE);
    }
    SwfMovie ReadMovie(const std::wstring &path)
    {
        SwfMovie movie;
        const std::string error = ParseSwfMovie(ReadWholeFile(fs::path(path)), movie);
        EXPECT_EQ("", error) << Utf8FromWide(path);
        return movie;
    }
    std::vector<std::wstring> MessageTexts() const
    {
        std::vector<std::wstring> texts;
        for (const CFakeSystemServices::MessageBoxCall &call : m_services.m_messageBoxes)
            texts.push_back(call.text);
        return texts;
    }
    // The image area's rectangle in the dialog's client coordinates.
    RECT AreaRect() const
    {
        RECT rc{};
        ::GetWindowRect(m_dlg->GetDlgItem(IDC_IMAGE_AREA), &rc);
        ::MapWindowPoints(nullptr, m_dlg->m_hWnd, reinterpret_cast<POINT *>(&rc), 2);
        return rc;
    }
    RECT PlayerRect() const
    {
        RECT rc{};
        ::GetWindowRect(m_dlg->Player()->m_hWnd, &rc);
        ::MapWindowPoints(nullptr, m_dlg->m_hWnd, reinterpret_cast<POINT *>(&rc), 2);
        return rc;
    }
    void SetAreaSize(int nWidth, int nHeight)
    {
        ::SetWindowPos(m_dlg->GetDlgItem(IDC_IMAGE_AREA), nullptr, 0, 0, nWidth, nHeight,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};
} // namespace

TEST_F(MovieCommandsTest, AnEmptyListGivesOnlyTheMessage)
{
    Open();
    Make(m_pictures + L"never.swf");
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_EQ(L"Please add image files to list", m_services.m_messageBoxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONWARNING), m_services.m_messageBoxes[0].nType);
    EXPECT_TRUE(m_services.m_saveDialogs.empty());
    EXPECT_FALSE(fs::exists(fs::path(m_pictures + L"never.swf")));
    EXPECT_EQ(nullptr, m_dlg->Player());
}

TEST_F(MovieCommandsTest, ARefusedSettingStopsMakeBeforeTheSaveAsDialog)
{
    struct Case
    {
        int nEdit;
        const wchar_t *text;
    };
    const Case cases[] = {{IDC_EDIT_WIDTH, L"0"}, {IDC_EDIT_HEIGHT, L"99999"}, {IDC_EDIT_FPS, L"fast"}};
    Open();
    AddThree();
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        m_services.m_messageBoxes.clear();
        m_dlg->SetDlgItemText(c.nEdit, c.text);
        Make(m_pictures + L"never.swf");
        EXPECT_EQ(1u, m_services.m_messageBoxes.size()) << "the validation message only";
        EXPECT_TRUE(m_services.m_saveDialogs.empty());
        EXPECT_EQ(nullptr, m_dlg->Player());
        m_dlg->SetDlgItemText(c.nEdit, L"64");
    }
    EXPECT_FALSE(fs::exists(fs::path(m_pictures + L"never.swf")));
}

TEST_F(MovieCommandsTest, ChangingTheListClosesARunningPreviewAndShowsTheCurrentSlide)
{
    struct Case
    {
        const char *name;
        int nButton;
        COLORREF expected; // CLR_NONE: the empty area
    };
    const Case cases[] = {
        {"add", IDC_BTN_ADD, kRed},
        {"delete", IDC_BTN_DELETE, kRed},
        {"move left", IDC_BTN_LEFT, kGreen},
        {"move right", IDC_BTN_RIGHT, kGreen},
        {"remove all", IDC_BTN_REMOVEALL, CLR_NONE},
    };
    for (const Case &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_colours.clear();
        Open();
        const COLORREF background = CaptureClient(m_dlg->GetDlgItem(IDC_IMAGE_AREA)).At(20, 20);
        AddThree();
        ClickItem(1);
        Make(m_pictures + L"shown.swf");
        ASSERT_EQ(1, PlayerWindows());
        m_services.m_openPaths = {Picture("added.bmp", kRed)};
        m_services.m_nMessageBoxAnswer = IDYES;
        ClickButton(c.nButton);
        EXPECT_EQ(0, PlayerWindows());
        EXPECT_EQ(nullptr, m_dlg->Player());
        HWND hArea = m_dlg->GetDlgItem(IDC_IMAGE_AREA);
        EXPECT_TRUE(::IsWindowVisible(hArea));
        const COLORREF shown = CaptureClient(hArea).At(20, 20);
        EXPECT_TRUE(ColoursClose(c.expected == CLR_NONE ? background : c.expected, shown)) << std::hex << shown;
        m_services.m_nMessageBoxAnswer = IDOK;
        m_dlg.reset();
    }
}

TEST_F(MovieCommandsTest, FpsAndDelayModesWriteTheRightMovieToTheChosenPath)
{
    Open();
    AddThree();
    m_dlg->SetDlgItemText(IDC_EDIT_FPS, L"25");
    m_dlg->SetDlgItemText(IDC_EDIT_DELAY, L"5");

    // The list buttons are off while the build runs (the Save As dialog shows), the make button is not.
    std::vector<BOOL> enabledDuringBuild;
    m_services.m_onSaveDialog = [this, &enabledDuringBuild] {
        for (int nId : {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL, IDC_BTN_MAKE})
            enabledDuringBuild.push_back(::IsWindowEnabled(m_dlg->GetDlgItem(nId)));
    };
    const std::wstring fpsMovie = m_pictures + L"fps.swf";
    Make(fpsMovie);
    EXPECT_EQ((std::vector<BOOL>{FALSE, FALSE, FALSE, FALSE, FALSE, TRUE}), enabledDuringBuild);
    for (int nId : {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL})
        EXPECT_TRUE(::IsWindowEnabled(m_dlg->GetDlgItem(nId))) << nId;

    ASSERT_EQ(1u, m_services.m_saveDialogs.size());
    EXPECT_EQ(L"SWF File|*.swf|Web page with movie (*.html)|*.html|", m_services.m_saveDialogs[0].filter);
    EXPECT_EQ(L"swf", m_services.m_saveDialogs[0].defaultExt);
    EXPECT_EQ(static_cast<DWORD>(OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY), m_services.m_saveDialogs[0].dwFlags);
    EXPECT_EQ(m_dlg->m_hWnd, m_services.m_saveDialogs[0].hOwner);
    EXPECT_TRUE(m_services.m_messageBoxes.empty());

    SwfMovie fps = ReadMovie(fpsMovie);
    EXPECT_EQ(3, fps.frameCount);
    EXPECT_EQ(25 * 256, fps.frameRate);
    EXPECT_EQ(256 * 20, fps.frameSize.xmax);
    EXPECT_EQ(192 * 20, fps.frameSize.ymax);

    ::CheckRadioButton(m_dlg->m_hWnd, IDC_RADIO_FPS, IDC_RADIO_DELAY, IDC_RADIO_DELAY);
    const std::wstring delayMovie = m_pictures + L"delay.swf";
    Make(delayMovie);
    SwfMovie delay = ReadMovie(delayMovie);
    EXPECT_EQ(15, delay.frameCount);
    EXPECT_EQ(256, delay.frameRate);

    // The temporary folder keeps the movie the preview plays, and no slide picture.
    std::vector<std::wstring> left;
    for (const fs::directory_entry &entry : fs::directory_iterator(fs::path(m_temp)))
        left.push_back(entry.path().filename().wstring());
    EXPECT_EQ(std::vector<std::wstring>{L"ftmptest0.swf"}, left);
    EXPECT_EQ(ReadWholeFile(fs::path(delayMovie)), ReadWholeFile(fs::path(m_temp + L"ftmptest0.swf")));
    EXPECT_EQ(3u, m_dlg->Model().m_images.size()) << "the slides stay as they were";
}

TEST_F(MovieCommandsTest, TheTypedAddressIsCommittedAndAnExistingOutputReplaced)
{
    Open();
    AddThree();
    const std::wstring output = m_pictures + L"old.swf";
    ASSERT_TRUE(WriteWholeFile(fs::path(output), std::string(100000, 'x')));
    m_dlg->SetDlgItemText(IDC_EDIT_URL, L"http://example.com/first");
    Make(output);
    EXPECT_EQ(L"http://example.com/first", m_dlg->Model().m_images[0].strUrl);
    SwfMovie movie = ReadMovie(output);
    EXPECT_EQ(3, movie.frameCount);
    EXPECT_EQ(movie.fileLength, fs::file_size(fs::path(output)));
}

TEST_F(MovieCommandsTest, TheDecidedProblemsAreReportedInPlainMessages)
{
    Open();
    AddThree();

    // A rate the movie cannot hold: nothing is written.
    m_dlg->SetDlgItemText(IDC_EDIT_FPS, L"300");
    Make(m_pictures + L"fast.swf");
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, m_services.m_messageBoxes[0].text.find(L"frame rate of 300")) << MessageTexts()[0];
    EXPECT_FALSE(fs::exists(fs::path(m_pictures + L"fast.swf")));
    EXPECT_EQ(nullptr, m_dlg->Player());

    // A missing picture: the movie is made with a blank slide and the file is named.
    m_dlg->SetDlgItemText(IDC_EDIT_FPS, L"2");
    fs::remove(fs::path(m_pictures + L"g.jpg"));
    m_services.m_messageBoxes.clear();
    Make(m_pictures + L"partial.swf");
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, m_services.m_messageBoxes[0].text.find(L"g.jpg")) << MessageTexts()[0];
    EXPECT_EQ(3, ReadMovie(m_pictures + L"partial.swf").frameCount);

    // A copy that fails is reported, and the preview still plays the new movie.
    m_services.m_messageBoxes.clear();
    fs::remove(fs::path(m_temp + L"ftmptest0.swf"));
    m_dlg->SetDlgItemText(IDC_EDIT_FPS, L"7");
    Make(m_pictures + L"no-such-folder\\out.swf");
    ASSERT_EQ(2u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, m_services.m_messageBoxes[1].text.find(L"no-such-folder")) << MessageTexts()[1];
    ASSERT_NE(nullptr, m_dlg->Player());
    ASSERT_NE(nullptr, m_dlg->Player()->Playback());
    EXPECT_EQ(7 * 256, m_dlg->Player()->Playback()->FrameRate256()) << "the preview shows the new movie";
    EXPECT_TRUE(m_dlg->Player()->IsPlaying());
}

TEST_F(MovieCommandsTest, SavingOverASlidesPictureOrTheTemporaryMovieIsRefusedAndWritesNothing)
{
    Open();
    AddThree();
    Make(m_pictures + L"first.swf");
    ASSERT_TRUE(fs::exists(fs::path(m_temp + L"ftmptest0.swf")));
    const std::string red = ReadWholeFile(fs::path(m_pictures + L"r.bmp"));
    const std::string temp = ReadWholeFile(fs::path(m_temp + L"ftmptest0.swf"));
    const struct
    {
        std::wstring output;
        const wchar_t *says;
    } cases[] = {
        {m_pictures + L"r.bmp", L"is also an input"},
        {m_pictures + L"R.BMP", L"is also an input"},
        {m_pictures + L".\\g.jpg", L"is also an input"},
        {m_temp + L"FTMPTEST0.swf", L"temporary movie"},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(Utf8FromWide(c.output));
        m_services.m_messageBoxes.clear();
        Make(c.output);
        ASSERT_EQ(1u, m_services.m_messageBoxes.size());
        EXPECT_NE(std::wstring::npos, MessageTexts()[0].find(c.says)) << MessageTexts()[0];
        EXPECT_TRUE(ReadWholeFile(fs::path(m_pictures + L"r.bmp")) == red);
        EXPECT_TRUE(ReadWholeFile(fs::path(m_temp + L"ftmptest0.swf")) == temp);
    }
}

TEST_F(MovieCommandsTest, TheWebPageTypeWritesThePageTheMovieAndThePlayerBesideThem)
{
    // The player files beside a stand-in for Brivelle.exe.
    const fs::path program = m_dir.Path() / L"program";
    fs::create_directories(program / L"ruffle");
    ASSERT_TRUE(WriteWholeFile(program / L"ruffle" / L"ruffle.js", "loader"));
    ASSERT_TRUE(WriteWholeFile(program / L"ruffle" / L"core.wasm", "module"));
    m_services.m_strModulePath = (program / L"Brivelle.exe").wstring();
    m_services.m_langId = 0x0804;
    Open();
    AddThree();
    const std::wstring page = m_pictures + L"show.html", movie = m_pictures + L"show.swf";
    ASSERT_TRUE(WriteWholeFile(fs::path(movie), "an older movie"));

    // The movie beside the page exists: declining keeps it, and nothing is made.
    m_services.m_nMessageBoxAnswer = IDNO;
    Make(page);
    EXPECT_EQ(L"SWF \u6587\u4EF6|*.swf|\u542B\u5F71\u7247\u7684\u7F51\u9875 (*.html)|*.html|",
              m_services.m_saveDialogs.at(0).filter);
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING), m_services.m_messageBoxes[0].nType);
    EXPECT_NE(std::wstring::npos, MessageTexts()[0].find(movie)) << MessageTexts()[0];
    EXPECT_EQ("an older movie", ReadWholeFile(fs::path(movie)));
    EXPECT_FALSE(fs::exists(fs::path(page)));
    EXPECT_EQ(nullptr, m_dlg->Player());

    m_services.m_nMessageBoxAnswer = IDYES;
    Make(page);
    EXPECT_EQ(2u, m_services.m_messageBoxes.size()) << "the question, and nothing else";
    EXPECT_EQ(3, ReadMovie(movie).frameCount);
    EXPECT_EQ(MakeWebPage("show.swf", 256, 192), ReadWholeFile(fs::path(page)));
    EXPECT_EQ("module", ReadWholeFile(fs::path(m_pictures + L"ruffle\\core.wasm")));
    ASSERT_NE(nullptr, m_dlg->Player());
    EXPECT_TRUE(m_dlg->Player()->IsPlaying());

    // Without the player files nothing is made, and the message (in Chinese here) names the folder.
    fs::remove_all(program / L"ruffle");
    m_services.m_messageBoxes.clear();
    Make(m_pictures + L"other.html");
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, MessageTexts()[0].find(L"(ruffle)")) << MessageTexts()[0];
    EXPECT_FALSE(fs::exists(fs::path(m_pictures + L"other.swf")));
    EXPECT_FALSE(fs::exists(fs::path(m_pictures + L"other.html")));
}

TEST_F(MovieCommandsTest, ThePlayerIsCentredWhenTheMovieFitsAndCoversTheAreaWhenNot)
{
    struct Case
    {
        int nAreaWidth;
        int nAreaHeight;
        int nMovieWidth;
        int nMovieHeight;
        RECT expected; // relative to the area's top left corner
    };
    const Case cases[] = {
        {600, 400, 256, 192, RECT{172, 104, 172 + 256, 104 + 192}},
        {601, 400, 256, 192, RECT{172, 104, 172 + 256, 104 + 192}}, // 172.5 rounds down
        {600, 401, 256, 192, RECT{172, 104, 172 + 256, 104 + 192}},
        {600, 400, 800, 192, RECT{0, 0, 600, 400}},
        {600, 400, 256, 500, RECT{0, 0, 600, 400}},
        {600, 400, 600, 400, RECT{0, 0, 600, 400}},
    };
    Open();
    AddThree();
    Make(m_pictures + L"movie.swf");
    const std::wstring tempMovie = m_temp + L"ftmptest0.swf";
    for (const Case &c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.nAreaWidth << "x" << c.nAreaHeight << " " << c.nMovieWidth << "x"
                                        << c.nMovieHeight);
        ::ShowWindow(m_dlg->GetDlgItem(IDC_IMAGE_AREA), SW_SHOW);
        SetAreaSize(c.nAreaWidth, c.nAreaHeight);
        m_dlg->SetDlgItemText(IDC_EDIT_WIDTH, std::to_wstring(c.nMovieWidth));
        m_dlg->SetDlgItemText(IDC_EDIT_HEIGHT, std::to_wstring(c.nMovieHeight));
        m_dlg->ShowPreview(tempMovie);
        ASSERT_NE(nullptr, m_dlg->Player());
        const RECT area = AreaRect();
        const RECT player = PlayerRect();
        EXPECT_EQ(area.left + c.expected.left, player.left);
        EXPECT_EQ(area.top + c.expected.top, player.top);
        EXPECT_EQ(area.left + c.expected.right, player.right);
        EXPECT_EQ(area.top + c.expected.bottom, player.bottom);
        EXPECT_FALSE(::IsWindowVisible(m_dlg->GetDlgItem(IDC_IMAGE_AREA)));
        EXPECT_EQ(1, PlayerWindows());
    }
}

TEST_F(MovieCommandsTest, BuildsInARowLeaveOnePlayerThatAListClickRemoves)
{
    Open();
    AddThree();
    m_dlg->SetDlgItemText(IDC_EDIT_FPS, L"10");
    Make(m_pictures + L"one.swf");
    ASSERT_NE(nullptr, m_dlg->Player());
    HWND hFirst = m_dlg->Player()->m_hWnd;
    ASSERT_NE(nullptr, hFirst);
    EXPECT_TRUE(m_dlg->Player()->IsPlaying());
    wchar_t name[64] = {};
    ::GetWindowTextW(hFirst, name, 64);
    EXPECT_STREQ(L"myFlashPlay", name);
    EXPECT_EQ(m_dlg->m_hWnd, ::GetParent(hFirst));
    EXPECT_FALSE(::IsWindowVisible(m_dlg->GetDlgItem(IDC_IMAGE_AREA)));

    // It plays: the frame counter moves at the movie's rate.
    const long long nBefore = m_dlg->Player()->FramesAdvanced();
    PumpMessages(600);
    const long long nAdvanced = m_dlg->Player()->FramesAdvanced() - nBefore;
    EXPECT_GE(nAdvanced, 3);
    EXPECT_LE(nAdvanced, 9);

    Make(m_pictures + L"two.swf");
    EXPECT_FALSE(::IsWindow(hFirst)) << "the first player is destroyed";
    EXPECT_EQ(1, PlayerWindows());
    ASSERT_NE(nullptr, m_dlg->Player());

    ClickItem(1);
    EXPECT_EQ(nullptr, m_dlg->Player());
    EXPECT_EQ(0, PlayerWindows());
    EXPECT_TRUE(::IsWindowVisible(m_dlg->GetDlgItem(IDC_IMAGE_AREA)));
    EXPECT_TRUE(ColoursClose(kGreen, CaptureClient(m_dlg->GetDlgItem(IDC_IMAGE_AREA)).At(20, 20)));

    // A key in the list closes it too.
    Make(m_pictures + L"three.swf");
    EXPECT_EQ(1, PlayerWindows());
    PressKey(VK_RIGHT);
    EXPECT_EQ(0, PlayerWindows());
    EXPECT_EQ(nullptr, m_dlg->Player());
}

TEST_F(MovieCommandsTest, AClickOnThePlayingSlideOpensItsAddressThroughTheShell)
{
    Open();
    AddFiles({Picture("linked.bmp", kRed)});
    m_dlg->SetDlgItemText(IDC_EDIT_URL, L"http://example.org/slide");
    Make(m_pictures + L"linked.swf");
    ASSERT_NE(nullptr, m_dlg->Player());
    HWND hPlayer = m_dlg->Player()->m_hWnd;
    RECT rc{};
    ::GetClientRect(hPlayer, &rc);
    const LPARAM lCentre = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    ::SendMessageW(hPlayer, WM_LBUTTONDOWN, MK_LBUTTON, lCentre);
    ::SendMessageW(hPlayer, WM_LBUTTONUP, 0, lCentre);
    EXPECT_EQ(std::vector<std::wstring>{L"http://example.org/slide"}, m_services.m_shellOpened);
}

TEST_F(MovieCommandsTest, DestroyingTheDialogRemovesThePlayer)
{
    Open();
    AddThree();
    Make(m_pictures + L"gone.swf");
    ASSERT_NE(nullptr, m_dlg->Player());
    HWND hPlayer = m_dlg->Player()->m_hWnd;
    m_dlg->DestroyWindow();
    EXPECT_FALSE(::IsWindow(hPlayer));
    EXPECT_EQ(nullptr, m_dlg->Player());
}
