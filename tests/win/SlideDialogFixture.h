// A main dialog with pictures on disk, driven through its buttons, list notifications and the fake
// system services; checks that slides, list items and thumbnails stay in step.
#pragma once

#include "WinTestSupport.h"

#include "framework/WinApp.h"
#include "preview/Shockwaveflash1.h"
#include "support/TempDir.h"
#include "ui/BrivelleDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Lets the tests read the dialog's members.
class CSlideTestDlg : public CBrivelleDlg
{
  public:
    using CBrivelleDlg::CBrivelleDlg;

    CSlideModel &Model()
    {
        return m_model;
    }
    std::vector<std::wstring> &TempFrameFiles()
    {
        return m_tempFrameFiles;
    }
    CShockwaveflash1 *Player() const
    {
        return m_pFlash.get();
    }
    HIMAGELIST Thumbnails() const
    {
        return m_imageList.GetSafeHandle();
    }
    HICON AppIcon() const
    {
        return m_hAppIcon;
    }
};

class SlideDialogTest : public testing::Test
{
  protected:
    SlideDialogTest();
    void SetUp() override;
    void TearDown() override;

    void Open();
    // A picture of one colour written into the pictures folder; the format follows the extension
    // (.jpg is JPEG, .gif a one-frame GIF, anything else a BMP under that name).
    std::wstring Picture(const std::string &name, COLORREF colour, int nWidth = 64, int nHeight = 48);
    // Confirms the Open dialog with these paths and clicks the add button.
    void AddFiles(const std::vector<std::wstring> &paths);
    // Clicks, then lets the dialog's workers finish (pictures, added files, a build) as a user waits.
    void ClickButton(int nId);
    void WaitIdle();
    // A click on list item nItem's icon (NM_CLICK at its centre), or at a point when nItem is -1.
    void ClickItem(int nItem, POINT pt = POINT{0, 0});
    // A key pressed and released in the list, which sends its own notifications and moves its selection.
    void PressKey(WORD wVKey);
    void PressKeyWithoutWaiting(WORD wVKey);

    // What the user types into the URL box (the box reports a change, as with typing).
    void TypeUrl(const std::wstring &text);
    std::vector<std::wstring> Labels() const;
    int SelectedItem() const;
    // The colour in the middle of thumbnail nImage.
    COLORREF ThumbnailColour(int nImage) const;
    // The slides, list items and thumbnails agree: same count, item i labelled with slide i's name and
    // showing entry i at x = 16 + 112 i, and entry i has slide i's colour (as the test made its pictures).
    void ExpectInStep() const;
    std::vector<std::wstring> SlideNames() const;
    std::wstring Text(int nId) const
    {
        return m_dlg->GetDlgItemText(nId);
    }
    // Child windows of the dialog with the player's control id.
    int PlayerWindows() const;

    CWinApp m_app;
    CFakeSystemServices m_services;
    std::unique_ptr<CSlideTestDlg> m_dlg;
    TempDir m_dir;
    std::wstring m_pictures; // ends with a backslash
    std::wstring m_temp;     // the fake temporary folder, ends with a backslash
    // The colour of each picture file, by file name.
    std::vector<std::pair<std::wstring, COLORREF>> m_colours;

  private:
    ULONG_PTR m_gdiplusToken = 0;
};

bool ColoursClose(COLORREF a, COLORREF b, int nTolerance = 12);

// Colours of the pictures the tests make.
inline const COLORREF kRed = RGB(220, 30, 30);
inline const COLORREF kGreen = RGB(30, 200, 60);
inline const COLORREF kBlue = RGB(30, 60, 220);
inline const COLORREF kYellow = RGB(240, 220, 20);
inline const COLORREF kGrey = RGB(120, 120, 120);
inline const COLORREF kPurple = RGB(150, 40, 160);
inline const COLORREF kWhite = RGB(255, 255, 255);
