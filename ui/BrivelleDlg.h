// CBrivelleDlg: the main window: slide list, image area, settings, skin buttons.
#pragma once

#include "build/SlideModel.h"
#include "controls/SkinButton.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "framework/SpinButtonCtrl.h"
#include "framework/SystemServices.h"
#include "res/resource.h"
#include "ui/ImageArea.h"

#include <commctrl.h>

#include <string>
#include <vector>

class CShockwaveflash1;

// The spin arrows step the timing members up to this; the data exchange accepts only kMaxTiming.
constexpr int kMaxSpinTiming = 9999999;
// The system language that selects the Chinese texts (Simplified Chinese, PRC).
constexpr LANGID kChineseLangId = 0x0804;

// The application's one modal dialog. It owns the slides and settings, the thumbnail list, the image
// area and the seven skin buttons; everything it asks of the system goes through ISystemServices.
class CBrivelleDlg : public CDialog
{
    BEGIN_MSG_MAP(CBrivelleDlg, CDialog)
    ON_WM_SYSCOMMAND(OnSysCommand)
    ON_WM_PAINT(OnPaint)
    ON_WM_QUERYDRAGICON(OnQueryDragIcon)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SPIN_FPS, OnDeltaPosFps, NMUPDOWN)
    ON_NOTIFY(UDN_DELTAPOS, IDC_SPIN_DELAY, OnDeltaPosDelay, NMUPDOWN)
    ON_WM_DESTROY(OnDestroy)
    ON_BN_CLICKED(IDC_BTN_HELP, OnHelpButton)
    END_MSG_MAP()

  public:
    explicit CBrivelleDlg(ISystemServices &services, CWnd *pParentWnd = nullptr);
    ~CBrivelleDlg() override;

    // True when a directory search for path (which may be a pattern) finds a file or folder.
    bool FileExists(const std::wstring &path);

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    // Enter and IDOK do nothing: the dialog ends only through IDCANCEL.
    void OnOK() override;
    int ShowMessageBox(const std::wstring &text, UINT nType) override;

    void OnSysCommand(UINT nId, POINT ptScreen);
    void OnPaint();
    HICON OnQueryDragIcon();
    LRESULT OnDeltaPosFps(NMUPDOWN &notify);
    LRESULT OnDeltaPosDelay(NMUPDOWN &notify);
    void OnDestroy();
    void OnHelpButton();

    ISystemServices &m_services;
    BOOL m_bEnglish = TRUE;
    CListCtrl m_list;
    CImageArea m_imageArea;
    CFont m_fontUrl;
    HICON m_hAppIcon = nullptr;
    std::vector<std::wstring> m_tempFrameFiles;
    CImageList m_imageList;
    CSlideModel m_model; // m_images, m_nCurSel, m_nWidth, m_nHeight, m_nFps, m_nDelay
    CSkinButton m_btnAdd;
    CSpinButtonCtrl m_spinFps;
    CSpinButtonCtrl m_spinDelay;
    CSkinButton m_btnDelete;
    CSkinButton m_btnMoveLeft;
    CSkinButton m_btnMoveRight;
    CSkinButton m_btnRemoveAll;
    CSkinButton m_btnMake;
    CSkinButton m_btnHelp;
    CShockwaveflash1 *m_pFlash = nullptr;

  private:
    void AppendAboutItem();
    void ApplySkins();
    void ApplyLabels();
    // One spin click: refresh from the controls, step by the sign of nDelta, show the members again.
    void StepTiming(int &nValue, int nDelta);
    void DeleteTempFrameFiles();
};
