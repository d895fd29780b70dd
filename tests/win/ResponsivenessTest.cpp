// The main dialog while its workers run: a build that answers, cancels and closes cleanly; thumbnails and
// the image area's pictures that land on the right slides whatever the user does meanwhile.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace
{
class ResponsivenessTest : public SlideDialogTest
{
  protected:
    // One photo-sized picture added nSlides times: a build of it lasts long enough to be caught running.
    void AddLongList(int nSlides = 150)
    {
        const std::wstring photo = m_pictures + L"photo.jpg";
        ASSERT_TRUE(WriteJpeg(Utf8FromWide(photo), MakeCard(2400, 1800, 200, 120, 40), 92));
        AddFiles(std::vector<std::wstring>(static_cast<size_t>(nSlides), photo));
    }
    // Sends a click without waiting for the workers.
    void Click(int nId)
    {
        m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(m_dlg->GetDlgItem(nId)));
    }
    void StartMake(const std::wstring &output)
    {
        m_services.m_bSaveConfirms = true;
        m_services.m_strSavePath = output;
        Click(IDC_BTN_MAKE);
    }
    bool Enabled(int nId) const
    {
        return ::IsWindowEnabled(m_dlg->GetDlgItem(nId)) != FALSE;
    }
    bool Visible(int nId) const
    {
        return ::IsWindowVisible(m_dlg->GetDlgItem(nId)) != FALSE;
    }
    COLORREF AreaColour() const
    {
        const Pixels pixels = CaptureClient(m_dlg->GetDlgItem(IDC_IMAGE_AREA));
        return pixels.data.empty() ? CLR_INVALID : pixels.At(pixels.nWidth / 2, pixels.nHeight / 2);
    }
};
} // namespace

TEST_F(ResponsivenessTest, MakeReturnsAtOnceAndTheWindowAnswersWhileTheBuildRuns)
{
    Open();
    AddLongList();
    const std::wstring output = m_pictures + L"movie.swf";
    StartMake(output);
    ASSERT_TRUE(m_dlg->IsBuilding()) << "the command handler returned while the movie is made";
    EXPECT_TRUE(Visible(IDC_PROGRESS_BUILD));
    EXPECT_TRUE(Visible(IDC_BTN_CANCEL_BUILD));
    for (int nId : {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL, IDC_BTN_MAKE})
        EXPECT_FALSE(Enabled(nId)) << nId;
    // The Delete key in the list changes nothing while the buttons are off.
    PressKeyWithoutWaiting(VK_DELETE);
    EXPECT_EQ(150u, m_dlg->Model().m_images.size());

    // Another thread's messages are answered while the worker builds.
    HWND hDlg = m_dlg->m_hWnd;
    std::atomic<int> nAnswered{0};
    std::atomic<int> nAsked{0};
    std::atomic<bool> bAsking{true};
    std::atomic<bool> bAsked{false};
    std::thread asker([&] {
        while (bAsking)
        {
            DWORD_PTR result = 0;
            ++nAsked;
            if (::SendMessageTimeoutW(hDlg, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result))
                ++nAnswered;
            ::Sleep(10);
        }
        bAsked = true;
    });
    EXPECT_TRUE(PumpUntil([this] { return !m_dlg->IsBuilding(); }, 60000));
    bAsking = false;
    // Its last question is answered too.
    PumpUntil([&] { return bAsked.load(); }, 5000);
    asker.join();
    EXPECT_GT(nAsked.load(), 0);
    EXPECT_EQ(nAsked.load(), nAnswered.load());

    WaitIdle();
    EXPECT_TRUE(fs::exists(output));
    EXPECT_TRUE(m_services.m_messageBoxes.empty());
    EXPECT_FALSE(Visible(IDC_PROGRESS_BUILD));
    EXPECT_TRUE(Visible(IDC_EDIT_URL));
    for (int nId : {IDC_BTN_DELETE, IDC_BTN_ADD, IDC_BTN_LEFT, IDC_BTN_RIGHT, IDC_BTN_REMOVEALL, IDC_BTN_MAKE})
        EXPECT_TRUE(Enabled(nId)) << nId;
    EXPECT_EQ(1, PlayerWindows()) << "the preview starts when the build ends";
}

TEST_F(ResponsivenessTest, CancelOrEscapeLeaveTheOldOutputAndNoTemporaryFile)
{
    Open();
    AddLongList();
    const struct
    {
        const char *name;
        std::function<void()> cancel;
    } cases[] = {
        {"Cancel button", [this] { Click(IDC_BTN_CANCEL_BUILD); }},
        {"Escape", [this] { m_dlg->SendMessage(WM_COMMAND, IDCANCEL, 0); }},
    };
    const std::wstring output = m_pictures + L"old.swf";
    const std::string oldBytes = "an older movie the user keeps";
    {
        std::ofstream file(fs::path(output), std::ios::binary);
        file << oldBytes;
    }
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        StartMake(output);
        ASSERT_TRUE(m_dlg->IsBuilding());
        c.cancel();
        WaitIdle();
        EXPECT_FALSE(m_dlg->IsBuilding());
        EXPECT_TRUE(::IsWindowVisible(m_dlg->m_hWnd)) << "the window stays";
        EXPECT_EQ(oldBytes, ReadWholeFile(fs::path(output)));
        EXPECT_TRUE(fs::is_empty(fs::path(m_temp))) << "no temporary movie or picture left";
        EXPECT_TRUE(m_services.m_messageBoxes.empty()) << "a cancelled build is not an error";
        EXPECT_EQ(0, PlayerWindows());
        EXPECT_TRUE(Enabled(IDC_BTN_MAKE));
    }
}

TEST_F(ResponsivenessTest, ClosingDuringABuildAsksThenStopsItAndCloses)
{
    const std::wstring photo = m_pictures + L"photo.jpg";
    ASSERT_TRUE(WriteJpeg(Utf8FromWide(photo), MakeCard(2400, 1800, 200, 120, 40), 92));
    const std::wstring output = m_pictures + L"closed.swf";
    m_services.m_bOpenConfirms = true;
    m_services.m_openPaths = std::vector<std::wstring>(150, photo);
    m_services.m_bSaveConfirms = true;
    m_services.m_strSavePath = output;
    m_services.m_nMessageBoxAnswer = IDYES;
    CSlideTestDlg dlg(m_services);
    bool bStarted = false;
    CModalWatcher watcher([&] {
        if (dlg.m_hWnd == nullptr || !::IsWindowVisible(dlg.m_hWnd) || bStarted)
            return bStarted;
        for (int nId : {IDC_BTN_ADD, IDC_BTN_MAKE})
            ::SendMessageW(dlg.m_hWnd, WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(dlg.m_hWnd, nId)));
        bStarted = dlg.IsBuilding();
        ::PostMessageW(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(bStarted);
    EXPECT_FALSE(dlg.IsBuilding());
    ASSERT_EQ(1u, m_services.m_messageBoxes.size()) << "only the question whether to quit";
    EXPECT_EQ(L"Quit Brivelle? The slide list will be lost.", m_services.m_messageBoxes[0].text);
    EXPECT_FALSE(fs::exists(fs::path(output)));
    EXPECT_TRUE(fs::is_empty(fs::path(m_temp)));
}

TEST_F(ResponsivenessTest, ThumbnailsLandOnTheirSlidesWhateverChangedWhileTheyWereMade)
{
    Open();
    const COLORREF colours[] = {kRed, kGreen, kBlue, kYellow, kGrey, kPurple};
    std::vector<std::wstring> paths;
    for (int i = 0; i < 12; ++i)
        paths.push_back(Picture("p" + std::to_string(i) + ".jpg", colours[i % 6], 1600, 1200));
    const struct
    {
        const char *name;
        std::function<void()> change;
    } cases[] = {
        {"delete and moves",
         [this] {
             Click(IDC_BTN_DELETE);
             Click(IDC_BTN_RIGHT);
             Click(IDC_BTN_RIGHT);
             Click(IDC_BTN_LEFT);
         }},
        {"remove all, then others added",
         [this] {
             m_services.m_nMessageBoxAnswer = IDYES;
             Click(IDC_BTN_REMOVEALL);
             m_services.m_openPaths = {Picture("late.bmp", kWhite), Picture("later.bmp", kBlue)};
             Click(IDC_BTN_ADD);
         }},
        {"deleted, undone and redone",
         [this] {
             Click(IDC_BTN_DELETE);
             Click(IDM_UNDO);
             Click(IDM_REDO);
             Click(IDM_UNDO);
         }},
        // The second add scrolls the row to its first slide while items of both still wait for their places.
        {"added again to a scrolled row",
         [this, &paths] {
             m_services.m_openPaths = paths;
             Click(IDC_BTN_ADD);
         }},
    };
    for (const auto &c : cases)
    {
        SCOPED_TRACE(c.name);
        m_services.m_bOpenConfirms = true;
        m_services.m_openPaths = paths;
        Click(IDC_BTN_ADD);
        EXPECT_TRUE(m_dlg->HasPendingWork()) << "the thumbnails are still being made";
        c.change();
        WaitIdle();
        ExpectInStep();
        m_services.m_nMessageBoxAnswer = IDYES;
        ClickButton(IDC_BTN_REMOVEALL);
    }
}

TEST_F(ResponsivenessTest, TheImageAreaShowsNeighboursAtOnceAndAFileChangedOnDisk)
{
    Open();
    AddFiles({Picture("a.jpg", kRed), Picture("b.jpg", kGreen), Picture("c.jpg", kBlue)});
    EXPECT_TRUE(ColoursClose(kRed, AreaColour()));
    // The neighbours were decoded ahead: stepping paints before any worker has answered.
    PressKeyWithoutWaiting(VK_RIGHT);
    EXPECT_TRUE(ColoursClose(kGreen, AreaColour()));
    PressKeyWithoutWaiting(VK_RIGHT);
    EXPECT_TRUE(ColoursClose(kBlue, AreaColour()));
    WaitIdle();

    // The first picture changes on disk; stepping back to it shows the new content.
    ASSERT_TRUE(WriteJpeg(Utf8FromWide(m_pictures) + "a.jpg", MakeCard(64, 48, 240, 220, 20), 95));
    PressKey(VK_LEFT);
    PressKey(VK_LEFT);
    EXPECT_TRUE(ColoursClose(kYellow, AreaColour()));
}
