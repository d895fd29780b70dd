// Slide lists, drops, dragging, undo and remembered settings, driven through the real main dialog.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"
#include "build/SlideList.h"

#include <shellapi.h>
#include <shlobj.h>

#include <filesystem>

namespace
{
using ListFilesTest = SlideDialogTest;

// An HDROP as Explorer hands it over: DROPFILES, then the wide paths, each NUL-ended, and one more NUL.
HDROP MakeDrop(const std::vector<std::wstring> &paths)
{
    std::wstring names;
    for (const std::wstring &path : paths)
        names += path + L'\0';
    names += L'\0';
    HGLOBAL hGlobal = ::GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto *pDrop = static_cast<DROPFILES *>(::GlobalLock(hGlobal));
    pDrop->pFiles = sizeof(DROPFILES);
    pDrop->fWide = TRUE;
    memcpy(reinterpret_cast<char *>(pDrop) + sizeof(DROPFILES), names.data(), names.size() * sizeof(wchar_t));
    ::GlobalUnlock(hGlobal);
    return static_cast<HDROP>(hGlobal);
}

std::wstring WindowTitle(HWND hWnd)
{
    wchar_t text[300] = {};
    ::GetWindowTextW(hWnd, text, 300);
    return text;
}
} // namespace

class ListDialogTest : public ListFilesTest
{
  protected:
    void Drop(const std::vector<std::wstring> &paths)
    {
        ::PostMessageW(m_dlg->m_hWnd, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(paths)), 0);
        PumpMessages(30);
    }
    // A key pressed with Ctrl (and Shift) held in window hTarget, through the filter the modal loop runs.
    void Shortcut(HWND hTarget, WORD wKey, bool bShift = false)
    {
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        keys[VK_SHIFT] = bShift ? 0x80 : 0;
        ::SetKeyboardState(keys);
        ::PostMessageW(hTarget, WM_KEYDOWN, wKey, 1);
        MSG msg{};
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (!::CallMsgFilterW(&msg, MSGF_DIALOGBOX) && !::IsDialogMessageW(m_dlg->m_hWnd, &msg))
            {
                ::TranslateMessage(&msg);
                ::DispatchMessageW(&msg);
            }
        }
        keys[VK_CONTROL] = 0;
        keys[VK_SHIFT] = 0;
        ::SetKeyboardState(keys);
    }
    HWND List() const
    {
        return m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    }
    // Drags slide nItem along the list and lets it go over the middle of item nOver, or past the last item.
    void DragSlide(int nItem, int nOver, bool bPastEnd = false)
    {
        NMLISTVIEW notify{};
        notify.hdr.hwndFrom = List();
        notify.hdr.idFrom = IDC_LIST_IMAGES;
        notify.hdr.code = static_cast<UINT>(LVN_BEGINDRAG);
        notify.iItem = nItem;
        m_dlg->SendMessage(WM_NOTIFY, IDC_LIST_IMAGES, reinterpret_cast<LPARAM>(&notify));
        RECT rc{};
        rc.left = LVIR_BOUNDS;
        ::SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(nOver), reinterpret_cast<LPARAM>(&rc));
        POINT pt{bPastEnd ? rc.right + 4 : rc.left + 2, (rc.top + rc.bottom) / 2};
        ::MapWindowPoints(List(), m_dlg->m_hWnd, &pt, 1);
        m_dlg->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(pt.x, pt.y));
        // The gap the insertion mark stands in: the number of items whose middle lies left of it.
        m_nMarkGap = -1;
        HWND hMark = m_dlg->GetDlgItem(IDC_INSERT_MARK);
        if (hMark != nullptr && ::IsWindowVisible(hMark))
        {
            RECT rcMark{};
            ::GetWindowRect(hMark, &rcMark);
            ::MapWindowPoints(nullptr, List(), reinterpret_cast<POINT *>(&rcMark), 2);
            m_nMarkGap = 0;
            for (int i = 0; i < static_cast<int>(::SendMessageW(List(), LVM_GETITEMCOUNT, 0, 0)); ++i)
            {
                RECT rcItem{};
                rcItem.left = LVIR_BOUNDS;
                ::SendMessageW(List(), LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rcItem));
                if ((rcItem.left + rcItem.right) / 2 < rcMark.left)
                    ++m_nMarkGap;
            }
        }
        m_dlg->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(pt.x, pt.y));
    }
    SlideState State() const
    {
        return SlideState{m_dlg->Model().m_images, m_dlg->Model().m_nCurSel};
    }
    void ExpectState(const SlideState &expected) const
    {
        EXPECT_EQ(expected.images, m_dlg->Model().m_images);
        EXPECT_EQ(expected.nCurSel, m_dlg->Model().m_nCurSel);
        EXPECT_EQ(expected.images.empty() ? -1 : expected.nCurSel, SelectedItem());
        ExpectInStep();
    }
    std::wstring WriteList(const std::string &name, const std::string &text)
    {
        const std::filesystem::path path = m_dir.Path() / name;
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path.wstring();
    }

    int m_nMarkGap = -1;
};

TEST_F(ListDialogTest, DroppedFilesFoldersAndListsAreAddedOrOpened)
{
    Open();
    const std::wstring a = Picture("a.bmp", kRed);
    const std::wstring b = Picture("b.jpg", kGreen);
    const std::wstring notes = Picture("notes.doc", kGreen);
    std::filesystem::create_directories(m_dir.Path() / "folder" / "sub");
    m_pictures = (m_dir.Path() / "folder").wstring() + L"\\";
    const std::wstring folder = m_dir.Path().wstring() + L"\\folder";
    Picture("img10.bmp", kBlue);
    Picture("img2.bmp", kYellow);
    Picture("Img1.jpg", kGrey);
    Picture("readme.txt", kGrey);
    Picture("sub\\deep.bmp", kPurple);
    const std::wstring list = WriteList("holiday.txt", "folder\\img2.bmp\thttp://example.com/2\r\npictures\\a.bmp\r\n");

    const struct
    {
        const char *pszWhat;
        std::vector<std::wstring> dropped;
        std::vector<std::wstring> slides;
    } kCases[] = {
        {"files, in the order given; other extensions skipped", {b, notes, a}, {L"b.jpg", L"a.bmp"}},
        {"a folder: its pictures in natural order, no subfolder", {folder}, {L"Img1.jpg", L"img2.bmp", L"img10.bmp"}},
        {"a list opens in place of the slides", {list}, {L"img2.bmp", L"a.bmp"}},
    };
    std::vector<std::wstring> expected;
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.pszWhat);
        const size_t nBefore = m_dlg->Model().m_images.size();
        m_services.m_nMessageBoxAnswer = IDNO; // do not save the changes before the list opens
        Drop(c.dropped);
        if (c.dropped[0] == list)
            expected.clear();
        expected.insert(expected.end(), c.slides.begin(), c.slides.end());
        EXPECT_EQ(expected, SlideNames());
        EXPECT_EQ(c.dropped[0] == list ? 0 : static_cast<int>(nBefore), m_dlg->Model().m_nCurSel)
            << "the first new slide is current";
        ExpectInStep();
    }
    EXPECT_EQ(L"http://example.com/2", m_dlg->Model().m_images[0].strUrl);
    EXPECT_EQ(L"holiday.txt \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));
    ASSERT_EQ(1u, m_services.m_messageBoxes.size()) << "one question before the list replaced unsaved slides";
    EXPECT_EQ(L"Save the changes to Untitled?", m_services.m_messageBoxes[0].text);

    // While a movie is built, drops change nothing.
    ::EnableWindow(m_dlg->GetDlgItem(IDC_BTN_ADD), FALSE);
    Drop({a});
    EXPECT_EQ(2u, m_dlg->Model().m_images.size());

    // Brivelle.exe LIST.txt opens the list once the dialog shows.
    m_dlg.reset();
    m_dlg = std::make_unique<CSlideTestDlg>(m_services);
    m_dlg->SetStartupFiles({list});
    ASSERT_TRUE(m_dlg->Create());
    m_app.m_pMainWnd = m_dlg.get();
    PumpMessages(30);
    EXPECT_EQ((std::vector<std::wstring>{L"img2.bmp", L"a.bmp"}), SlideNames());
}

TEST_F(ListDialogTest, DraggedSlideMovesWithItsAddressAndStaysCurrent)
{
    Open();
    const struct
    {
        int nFrom, nOver;
        bool bPastEnd;
        int nGap;
        std::vector<std::wstring> order;
    } kCases[] = {
        {1, 3, true, 4, {L"a.bmp", L"c.bmp", L"d.bmp", L"b.bmp"}},
        {3, 0, false, 0, {L"d.bmp", L"a.bmp", L"b.bmp", L"c.bmp"}},
        {0, 2, false, 2, {L"b.bmp", L"a.bmp", L"c.bmp", L"d.bmp"}},
    };
    Picture("a.bmp", kRed);
    Picture("b.bmp", kGreen);
    Picture("c.bmp", kBlue);
    Picture("d.bmp", kYellow);
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.nFrom);
        m_services.m_nMessageBoxAnswer = IDYES;
        ClickButton(IDC_BTN_REMOVEALL);
        AddFiles({m_pictures + L"a.bmp", m_pictures + L"b.bmp", m_pictures + L"c.bmp", m_pictures + L"d.bmp"});
        ClickItem(c.nFrom);
        TypeUrl(L"http://moved/");
        DragSlide(c.nFrom, c.nOver, c.bPastEnd);
        EXPECT_EQ(c.nGap, m_nMarkGap) << "the insertion mark shows where the slide lands";
        EXPECT_FALSE(::IsWindowVisible(m_dlg->GetDlgItem(IDC_INSERT_MARK))) << "and goes once it has";
        EXPECT_EQ(c.order, SlideNames());
        const auto &images = m_dlg->Model().m_images;
        const size_t nMoved = static_cast<size_t>(m_dlg->Model().m_nCurSel);
        EXPECT_EQ(std::wstring(L"abcd").substr(static_cast<size_t>(c.nFrom), 1) + L".bmp", images[nMoved].strFileName)
            << "the dragged slide stays current";
        EXPECT_EQ(L"http://moved/", images[nMoved].strUrl);
        EXPECT_EQ(L"http://moved/", Text(IDC_EDIT_URL));
        EXPECT_EQ(static_cast<int>(nMoved), SelectedItem());
        ExpectInStep();
    }
}

TEST_F(ListDialogTest, SavedListIsReadBackByTheSharedReaderAndWrittenBackByteForByte)
{
    Open();
    std::filesystem::create_directories(m_dir.Path() / "pictures" / "sub");
    AddFiles({Picture("a.bmp", kRed), Picture("sub\\b.jpg", kGreen), Picture("c d.bmp", kBlue)});
    ClickItem(1);
    TypeUrl(L"https://例子.测试/路径");
    const std::wstring list = m_pictures + L"holiday.txt";
    m_services.m_bSaveConfirms = true;
    m_services.m_strSavePath = list;
    Shortcut(List(), 'S');
    ASSERT_EQ(1u, m_services.m_saveDialogs.size()) << "a list without a name asks for one";
    EXPECT_EQ(L"txt", m_services.m_saveDialogs[0].defaultExt);
    EXPECT_EQ(L"holiday.txt \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));

    const std::string bytes = ReadWholeFile(std::filesystem::path(list));
    EXPECT_EQ(
        "a.bmp\r\nsub\\b.jpg\thttps://\xE4\xBE\x8B\xE5\xAD\x90.\xE6\xB5\x8B\xE8\xAF\x95/\xE8\xB7\xAF\xE5\xBE\x84\r\n"
        "c d.bmp\r\n",
        bytes);
    std::vector<SlideListEntry> entries;
    SlideListProblem problem;
    ASSERT_TRUE(ReadSlideListFile(Utf8FromWide(list), entries, problem));
    ASSERT_EQ(3u, entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(m_dlg->Model().m_images[i].FullPath(), WideFromUtf8(entries[i].strPath));
        EXPECT_EQ(m_dlg->Model().m_images[i].strUrl, entries[i].strUrl);
    }
    ASSERT_TRUE(WriteSlideListFile(Utf8FromWide(list), entries, problem));
    EXPECT_EQ(bytes, ReadWholeFile(std::filesystem::path(list)));

    // A change shows in the title; Ctrl+S saves to the same file without asking, Ctrl+Shift+S asks.
    ClickButton(IDC_BTN_RIGHT);
    EXPECT_EQ(L"holiday.txt* \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));
    Shortcut(m_dlg->GetDlgItem(IDC_EDIT_URL), 'S');
    EXPECT_EQ(1u, m_services.m_saveDialogs.size());
    EXPECT_EQ(L"holiday.txt \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));
    Shortcut(List(), 'S', true);
    ASSERT_EQ(2u, m_services.m_saveDialogs.size());
    EXPECT_EQ(list, m_services.m_saveDialogs[1].initialPath);

    // Opened again: the same slides and addresses; a missing picture stays a slide and is named once.
    std::filesystem::remove(m_dir.Path() / "pictures" / "a.bmp");
    const SlideState saved = State();
    m_services.m_bOpenConfirms = true;
    m_services.m_openPaths = {list};
    Shortcut(List(), 'O');
    EXPECT_EQ(saved.images, m_dlg->Model().m_images);
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, m_services.m_messageBoxes[0].text.find(m_pictures + L"a.bmp"));
    EXPECT_EQ(3, ::ImageList_GetImageCount(m_dlg->Thumbnails()));

    // A list that cannot be read changes nothing and says why.
    const std::string utf16 = std::string("\xFF\xFE") + std::string("a\0.\0b\0", 6);
    ASSERT_TRUE(WriteWholeFile(std::filesystem::path(list), utf16));
    Shortcut(List(), 'O');
    EXPECT_EQ(saved.images, m_dlg->Model().m_images);
    ASSERT_EQ(2u, m_services.m_messageBoxes.size());
    EXPECT_EQ(L"The list " + list + L" could not be opened: it is UTF-16 text; save it as UTF-8.",
              m_services.m_messageBoxes[1].text);
}

TEST_F(ListDialogTest, UndoAndRedoRestoreEveryKindOfChangeExactly)
{
    Open();
    const std::wstring a = Picture("a.bmp", kRed);
    const std::wstring b = Picture("b.bmp", kGreen);
    const std::wstring c = Picture("c.bmp", kBlue);
    const std::wstring d = Picture("d.bmp", kYellow);
    const std::wstring list = WriteList("other.txt", "pictures\\d.bmp\thttp://d/\r\n");
    const struct
    {
        const char *pszWhat;
        std::function<void()> change;
    } kCases[] = {
        {"add", [&] { AddFiles({d}); }},
        {"delete", [&] { ClickButton(IDC_BTN_DELETE); }},
        {"move left", [&] { ClickButton(IDC_BTN_LEFT); }},
        {"move right", [&] { ClickButton(IDC_BTN_RIGHT); }},
        {"drag", [&] { DragSlide(1, 2, true); }},
        {"remove all",
         [&] {
             m_services.m_nMessageBoxAnswer = IDYES;
             ClickButton(IDC_BTN_REMOVEALL);
         }},
        {"address change",
         [&] {
             TypeUrl(L"http://typed/");
             ClickItem(2);
         }},
        {"remove link", [&] { m_dlg->SendMessage(WM_COMMAND, IDM_REMOVE_LINK, 0); }},
        {"open list",
         [&] {
             m_services.m_nMessageBoxAnswer = IDNO;
             m_services.m_bOpenConfirms = true;
             m_services.m_openPaths = {list};
             m_dlg->SendMessage(WM_COMMAND, IDM_OPEN_LIST, 0);
         }},
    };
    AddFiles({a, b, c});
    for (const auto &k : kCases)
    {
        SCOPED_TRACE(k.pszWhat);
        ClickItem(1);
        TypeUrl(L"http://b/");
        ClickItem(0);
        ClickItem(1);
        const SlideState before = State();
        k.change();
        const SlideState after = State();
        ASSERT_NE(before.images, after.images);
        Shortcut(List(), 'Z');
        ExpectState(before);
        EXPECT_EQ(L"http://b/", Text(IDC_EDIT_URL));
        Shortcut(List(), 'Y');
        ExpectState(after);
        Shortcut(List(), 'Z');
        ExpectState(before);
    }
    // Undoing the opened list went back to the unnamed list; redoing it, to the list file, unchanged.
    EXPECT_EQ(L"Untitled* \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));
    Shortcut(List(), 'Y');
    EXPECT_EQ(L"other.txt \x2014 Brivelle", WindowTitle(m_dlg->m_hWnd));
}

TEST_F(ListDialogTest, CtrlZInTheAddressBoxUndoesTheTypingNotTheList)
{
    Open();
    AddFiles({Picture("a.bmp", kRed), Picture("b.bmp", kGreen)});
    HWND hUrl = m_dlg->GetDlgItem(IDC_EDIT_URL);
    Shortcut(hUrl, 'Z');
    EXPECT_EQ(2u, m_dlg->Model().m_images.size());
    Shortcut(List(), 'Z');
    EXPECT_TRUE(m_dlg->Model().m_images.empty());
    Shortcut(hUrl, 'Y');
    EXPECT_EQ(2u, m_dlg->Model().m_images.size());
}

TEST_F(ListDialogTest, SettingsSurviveARestartAndADamagedFileGivesTheDefaults)
{
    m_services.m_strAppDataFolder = m_dir.Path().wstring();
    const std::filesystem::path ini = m_dir.Path() / "Brivelle" / "Brivelle.ini";
    Open();
    EXPECT_EQ(L"256", Text(IDC_EDIT_WIDTH)) << "no file: the defaults";
    m_dlg->SetDlgItemText(IDC_EDIT_WIDTH, L"640");
    m_dlg->SetDlgItemText(IDC_EDIT_HEIGHT, L"99999999");
    m_dlg->SetDlgItemText(IDC_EDIT_DELAY, L"5");
    m_dlg->CheckRadioButton(IDC_RADIO_FPS, IDC_RADIO_DELAY, IDC_RADIO_DELAY);
    AddFiles({Picture("a.bmp", kRed)});
    m_dlg.reset();

    const struct
    {
        const char *pszWhat;
        const char *pszFile; // null: as the last run left it
        const wchar_t *pszWidth, *pszHeight, *pszDelay;
        bool bDelayMode;
        const wchar_t *pszPictureFolder;
    } kCases[] = {
        {"as the last run left it", nullptr, L"640", L"192", L"5", true, nullptr},
        {"damaged", "\x01\x02[Brivelle]\nWidth=12x\nHeight=65501\nDelay=0\nTiming=\xFF\n", L"256", L"192", L"1", false,
         L""},
        {"partly damaged", "[Brivelle]\r\nWidth=800\r\nHeight=-3\r\nTiming=delay\r\nPictureFolder=C:\\p\\\r\n", L"800",
         L"192", L"1", true, L"C:\\p\\"},
    };
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.pszWhat);
        if (c.pszFile != nullptr)
        {
            ASSERT_TRUE(WriteWholeFile(ini, c.pszFile));
        }
        Open();
        EXPECT_EQ(c.pszWidth, Text(IDC_EDIT_WIDTH));
        EXPECT_EQ(c.pszHeight, Text(IDC_EDIT_HEIGHT));
        EXPECT_EQ(c.pszDelay, Text(IDC_EDIT_DELAY));
        EXPECT_EQ(c.bDelayMode ? IDC_RADIO_DELAY : IDC_RADIO_FPS,
                  m_dlg->GetCheckedRadioButton(IDC_RADIO_FPS, IDC_RADIO_DELAY));
        m_services.m_bOpenConfirms = false;
        ClickButton(IDC_BTN_ADD);
        EXPECT_EQ(c.pszPictureFolder ? std::wstring(c.pszPictureFolder) : m_pictures,
                  m_services.m_openDialogs.back().initialFolder);
        EXPECT_TRUE(m_services.m_messageBoxes.empty()) << "nothing is said about the settings file";
        m_dlg.reset();
    }
}

TEST(ListShortcutModalTest, ShortcutsReachTheModalDialogWhereverTheFocusIs)
{
    CWinApp app;
    for (const int nFocus : {IDC_LIST_IMAGES, IDC_EDIT_WIDTH})
    {
        SCOPED_TRACE(nFocus);
        CFakeSystemServices services;
        CSlideTestDlg dlg(services);
        int nStage = 0;
        CModalWatcher watcher([&] {
            if (dlg.m_hWnd == nullptr || !::IsWindowVisible(dlg.m_hWnd))
                return false;
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_CONTROL] = nStage == 0 ? 0x80 : 0;
            ::SetKeyboardState(keys);
            if (nStage++ == 0)
            {
                ::SetFocus(::GetDlgItem(dlg.m_hWnd, nFocus));
                ::PostMessageW(::GetDlgItem(dlg.m_hWnd, nFocus), WM_KEYDOWN, 'O', 0x00180001);
                return false;
            }
            ::PostMessageW(::GetDlgItem(dlg.m_hWnd, IDC_EDIT_URL), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            return true;
        });
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
        EXPECT_EQ(1u, services.m_openDialogs.size()) << "Ctrl+O asked for a list";
    }
}

TEST_F(ListDialogTest, FramesOfAnAnimatedGifAreSavedAsTheGifOnlyWhileTheyStayTogether)
{
    Open();
    const std::wstring anim = m_pictures + L"anim.gif";
    ASSERT_TRUE(WriteAnimatedGif(Utf8FromWide(anim), 3));
    AddFiles({anim, Picture("a.bmp", kRed)});
    ASSERT_EQ(4u, m_dlg->Model().m_images.size());
    const std::wstring list = m_pictures + L"l.txt";
    m_services.m_bSaveConfirms = true;
    m_services.m_strSavePath = list;
    m_dlg->SendMessage(WM_COMMAND, IDM_SAVE_LIST, 0);
    EXPECT_EQ("anim.gif\r\na.bmp\r\n", ReadWholeFile(std::filesystem::path(list)));

    // Frames out of order cannot be written: the user is told which slide, and the file stays as it was.
    ClickItem(1);
    ClickButton(IDC_BTN_LEFT);
    m_dlg->SendMessage(WM_COMMAND, IDM_SAVE_LIST, 0);
    ASSERT_EQ(1u, m_services.m_messageBoxes.size());
    EXPECT_NE(std::wstring::npos, m_services.m_messageBoxes[0].text.find(L"slide 1 is a frame"));
    EXPECT_EQ("anim.gif\r\na.bmp\r\n", ReadWholeFile(std::filesystem::path(list)));

    // Opened, the GIF is split again, every frame with the line's address.
    ASSERT_TRUE(WriteWholeFile(std::filesystem::path(list), "anim.gif\thttp://anim/\r\n"));
    m_services.m_nMessageBoxAnswer = IDNO;
    m_services.m_bOpenConfirms = true;
    m_services.m_openPaths = {list};
    m_dlg->SendMessage(WM_COMMAND, IDM_OPEN_LIST, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"anim_frame0.gif", L"anim_frame1.gif", L"anim_frame2.gif"}), SlideNames());
    for (const ImageItem &slide : m_dlg->Model().m_images)
        EXPECT_EQ(L"http://anim/", slide.strUrl);
}

namespace
{
BOOL CALLBACK FindMenuWindow(HWND hWnd, LPARAM lParam)
{
    wchar_t className[16] = {};
    ::GetClassNameW(hWnd, className, 16);
    if (::IsWindowVisible(hWnd) && std::wstring(className) == L"#32768")
    {
        *reinterpret_cast<HWND *>(lParam) = hWnd;
        return FALSE;
    }
    return TRUE;
}
} // namespace

TEST_F(ListDialogTest, TheListMenuOffersTheListCommandsAndRunsThem)
{
    Open();
    AddFiles({Picture("a.bmp", kRed), Picture("b.bmp", kGreen)});
    ClickItem(1);
    TypeUrl(L"http://b/");
    ClickItem(0);
    ClickItem(1);
    const std::vector<std::wstring> kLabels = {
        L"&Add pictures...",      L"&Delete\tDel", L"Move &left", L"Move &right",
        L"Remove lin&k",          L"Remove all",   L"",           L"&Open list...\tCtrl+O",
        L"&Save list...\tCtrl+S",
    };
    const struct
    {
        const char *pszWhat;
        bool bBuilding;
        WPARAM chKey; // 0: the menu is dismissed
        std::vector<bool> enabled;
        const wchar_t *pszUrlAfter;
    } kCases[] = {
        {"while a movie is built",
         true,
         0,
         {false, false, false, false, false, false, false, false, true},
         L"http://b/"},
        {"Remove link", false, 'K', {true, true, true, true, true, true, false, true, true}, L"http://"},
    };
    for (const auto &c : kCases)
    {
        SCOPED_TRACE(c.pszWhat);
        ::EnableWindow(m_dlg->GetDlgItem(IDC_BTN_ADD), c.bBuilding ? FALSE : TRUE);
        std::vector<std::wstring> labels;
        std::vector<bool> enabled;
        CModalWatcher watcher([&] {
            HWND hMenuWnd = nullptr;
            ::EnumThreadWindows(::GetCurrentThreadId(), FindMenuWindow, reinterpret_cast<LPARAM>(&hMenuWnd));
            if (hMenuWnd == nullptr)
                return false;
            HMENU hMenu = reinterpret_cast<HMENU>(::SendMessageW(hMenuWnd, MN_GETHMENU, 0, 0));
            for (int i = 0; i < ::GetMenuItemCount(hMenu); ++i)
            {
                wchar_t text[64] = {};
                ::GetMenuStringW(hMenu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
                labels.emplace_back(text);
                const UINT nState = ::GetMenuState(hMenu, static_cast<UINT>(i), MF_BYPOSITION);
                enabled.push_back((nState & (MF_GRAYED | MF_SEPARATOR)) == 0);
            }
            if (c.chKey != 0)
                ::PostMessageW(hMenuWnd, WM_CHAR, c.chKey, 0);
            else
                ::EndMenu();
            return true;
        });
        ::SendMessageW(List(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(List()), MAKELPARAM(-1, -1));
        EXPECT_EQ(kLabels, labels);
        EXPECT_EQ(c.enabled, enabled);
        EXPECT_EQ(c.pszUrlAfter, Text(IDC_EDIT_URL));
    }
}
