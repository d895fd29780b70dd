// The main dialog fixture: pictures on disk, GDI+ started, commands sent as a user's clicks send them.
#include "SlideDialogFixture.h"

#include "base/Utf8.h"
#include "bench/pictures/SamplePictures.h"

#include <objidl.h>

#include <gdiplus.h>

#include <cstdlib>
#include <filesystem>

SlideDialogTest::SlideDialogTest()
{
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&m_gdiplusToken, &input, nullptr);
}

void SlideDialogTest::SetUp()
{
    std::filesystem::create_directories(m_dir.Path() / "pictures");
    std::filesystem::create_directories(m_dir.Path() / "temp");
    m_pictures = (m_dir.Path() / "pictures").wstring() + L"\\";
    m_temp = (m_dir.Path() / "temp").wstring() + L"\\";
    m_services.m_strTempFolder = m_temp;
}

void SlideDialogTest::TearDown()
{
    m_app.m_pMainWnd = nullptr;
    m_dlg.reset();
    Gdiplus::GdiplusShutdown(m_gdiplusToken);
}

void SlideDialogTest::Open()
{
    m_dlg = std::make_unique<CSlideTestDlg>(m_services);
    ASSERT_TRUE(m_dlg->Create());
    m_app.m_pMainWnd = m_dlg.get();
    ::SetForegroundWindow(m_dlg->m_hWnd);
    PumpMessages(20);
}

std::wstring SlideDialogTest::Picture(const std::string &name, COLORREF colour, int nWidth, int nHeight)
{
    const std::string path = Utf8FromWide(m_pictures) + name;
    const Raster card = MakeCard(nWidth, nHeight, GetRValue(colour), GetGValue(colour), GetBValue(colour));
    std::string extension = name.size() >= 4 ? name.substr(name.size() - 4) : std::string();
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    bool bWritten = false;
    if (extension == ".jpg")
        bWritten = WriteJpeg(path, card, 95);
    else if (extension == ".gif")
        bWritten = WriteAnimatedGif(path, 1);
    else
        bWritten = WriteBmp(path, card);
    EXPECT_TRUE(bWritten) << path;
    const std::wstring fileName = WideFromUtf8(name);
    if (extension != ".gif")
        m_colours.emplace_back(fileName, colour);
    return m_pictures + fileName;
}

void SlideDialogTest::AddFiles(const std::vector<std::wstring> &paths)
{
    m_services.m_bOpenConfirms = true;
    m_services.m_openPaths = paths;
    ClickButton(IDC_BTN_ADD);
}

void SlideDialogTest::ClickButton(int nId)
{
    m_dlg->SendMessage(WM_COMMAND, MAKEWPARAM(nId, BN_CLICKED), reinterpret_cast<LPARAM>(m_dlg->GetDlgItem(nId)));
    WaitIdle();
}

void SlideDialogTest::WaitIdle()
{
    if (m_dlg == nullptr || m_dlg->m_hWnd == nullptr)
        return;
    PumpMessages(5);
    EXPECT_TRUE(PumpUntil([this] { return m_dlg->m_hWnd == nullptr || !m_dlg->HasPendingWork(); }, 30000));
    // The messages the last result posted, and the paints they caused.
    PumpMessages(5);
}

void SlideDialogTest::ClickItem(int nItem, POINT pt)
{
    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    if (nItem >= 0)
    {
        // The user scrolls to an item before clicking it.
        ::SendMessageW(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(nItem), FALSE);
        RECT rc{};
        rc.left = LVIR_ICON;
        ::SendMessageW(hList, LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&rc));
        pt = POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    NMITEMACTIVATE notify{};
    notify.hdr.hwndFrom = hList;
    notify.hdr.idFrom = IDC_LIST_IMAGES;
    notify.hdr.code = static_cast<UINT>(NM_CLICK);
    notify.iItem = nItem;
    notify.ptAction = pt;
    m_dlg->SendMessage(WM_NOTIFY, IDC_LIST_IMAGES, reinterpret_cast<LPARAM>(&notify));
    WaitIdle();
}

void SlideDialogTest::PressKey(WORD wVKey)
{
    PressKeyWithoutWaiting(wVKey);
    WaitIdle();
}

void SlideDialogTest::PressKeyWithoutWaiting(WORD wVKey)
{
    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    ::SendMessageW(hList, WM_KEYDOWN, wVKey, 1);
    ::SendMessageW(hList, WM_KEYUP, wVKey, 0xC0000001);
}

void SlideDialogTest::TypeUrl(const std::wstring &text)
{
    m_dlg->SetDlgItemText(IDC_EDIT_URL, text);
}

std::vector<std::wstring> SlideDialogTest::Labels() const
{
    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    std::vector<std::wstring> labels;
    const int nCount = static_cast<int>(::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < nCount; ++i)
    {
        wchar_t text[300] = {};
        LVITEMW item{};
        item.iSubItem = 0;
        item.pszText = text;
        item.cchTextMax = 300;
        ::SendMessageW(hList, LVM_GETITEMTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        labels.emplace_back(text);
    }
    return labels;
}

int SlideDialogTest::SelectedItem() const
{
    return static_cast<int>(
        ::SendMessageW(m_dlg->GetDlgItem(IDC_LIST_IMAGES), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

COLORREF SlideDialogTest::ThumbnailColour(int nImage) const
{
    CCanvas canvas(96, 72, RGB(1, 2, 3));
    ::ImageList_Draw(m_dlg->Thumbnails(), nImage, canvas.DC(), 0, 0, ILD_NORMAL);
    return canvas.At(48, 36);
}

std::vector<std::wstring> SlideDialogTest::SlideNames() const
{
    std::vector<std::wstring> names;
    for (const ImageItem &slide : m_dlg->Model().m_images)
        names.push_back(slide.strFileName);
    return names;
}

void SlideDialogTest::ExpectInStep() const
{
    const std::vector<std::wstring> names = SlideNames();
    ASSERT_EQ(names, Labels()) << "one list item per slide, labelled with its file name";
    ASSERT_EQ(static_cast<int>(names.size()), ::ImageList_GetImageCount(m_dlg->Thumbnails()))
        << "one thumbnail per slide";
    HWND hList = m_dlg->GetDlgItem(IDC_LIST_IMAGES);
    for (int i = 0; i < static_cast<int>(names.size()); ++i)
    {
        SCOPED_TRACE(i);
        LVITEMW item{};
        item.mask = LVIF_IMAGE;
        item.iItem = i;
        ::SendMessageW(hList, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(i, item.iImage) << "item i shows thumbnail i";
        // Positions are client coordinates, so a scrolled list moves them all: compare with item 0.
        POINT pt{};
        ::SendMessageW(hList, LVM_GETITEMPOSITION, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&pt));
        POINT first{};
        ::SendMessageW(hList, LVM_GETITEMPOSITION, 0, reinterpret_cast<LPARAM>(&first));
        EXPECT_EQ(112 * i, pt.x - first.x) << "items stand in one row, 112 pixels apart";
        EXPECT_EQ(first.y, pt.y);
        for (const auto &[name, colour] : m_colours)
        {
            if (name != names[static_cast<size_t>(i)])
                continue;
            EXPECT_TRUE(ColoursClose(colour, ThumbnailColour(i)))
                << std::hex << "thumbnail " << ThumbnailColour(i) << ", picture " << colour;
        }
    }
}

int SlideDialogTest::PlayerWindows() const
{
    int nCount = 0;
    for (HWND hChild = ::GetWindow(m_dlg->m_hWnd, GW_CHILD); hChild != nullptr;
         hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        if (::GetDlgCtrlID(hChild) == IDC_FLASH_PLAYER)
            ++nCount;
    }
    return nCount;
}

bool ColoursClose(COLORREF a, COLORREF b, int nTolerance)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= nTolerance && std::abs(GetGValue(a) - GetGValue(b)) <= nTolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= nTolerance;
}
