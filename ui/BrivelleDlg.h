// CBrivelleDlg: the main window: slide list, image area, settings, skin buttons.
#pragma once

#include "build/MovieBuilder.h"
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
#include "ui/UiText.h"

#include <commctrl.h>

#include <functional>
#include <memory>
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
    ON_BN_CLICKED(IDC_BTN_ADD, OnAddImages)
    ON_BN_CLICKED(IDC_BTN_DELETE, OnDeleteImage)
    ON_BN_CLICKED(IDC_BTN_LEFT, OnMoveLeft)
    ON_BN_CLICKED(IDC_BTN_RIGHT, OnMoveRight)
    ON_BN_CLICKED(IDC_BTN_REMOVEALL, OnRemoveAll)
    ON_BN_CLICKED(IDC_BTN_MAKE, OnMakeMovie)
    ON_NOTIFY(NM_CLICK, IDC_LIST_IMAGES, OnListClick, NMITEMACTIVATE)
    ON_NOTIFY(LVN_KEYDOWN, IDC_LIST_IMAGES, OnListKeyDown, NMLVKEYDOWN)
    ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_IMAGES, OnListItemChanged, NMLISTVIEW)
    ON_CONTROL(EN_CHANGE, IDC_EDIT_URL, OnUrlChange)
    END_MSG_MAP()

  public:
    explicit CBrivelleDlg(ISystemServices &services, CWnd *pParentWnd = nullptr);
    ~CBrivelleDlg() override;

    // True when a directory search for path (which may be a pattern) finds a file or folder.
    bool FileExists(const std::wstring &path);

    // Draws the current slide's picture stretched over the whole image area (read from its file
    // each time); clears the area when the picture cannot be read.
    void DrawCurrentImage();
    // Fills the image area with the dialog's background.
    void ClearImageArea();
    // Plays a movie file in place of the image area, centred when it fits.
    void ShowPreview(const std::wstring &path);
    // Stops and removes the player, if any.
    void ClosePreview();

  protected:
    void DoDataExchange(CDataExchange *pDX) override;
    BOOL OnInitDialog() override;
    // Enter and IDOK do nothing: the dialog ends only through IDCANCEL.
    void OnOK() override;
    // Escape, the close box, Alt+F4, Close in the system menu: with slides in the list the user is
    // asked first.
    void OnCancel() override;
    int ShowMessageBox(const std::wstring &text, UINT nType) override;

    void OnSysCommand(UINT nId, POINT ptScreen);
    void OnPaint();
    HICON OnQueryDragIcon();
    LRESULT OnDeltaPosFps(NMUPDOWN &notify);
    LRESULT OnDeltaPosDelay(NMUPDOWN &notify);
    void OnDestroy();
    void OnHelpButton();

    // Slide list commands.
    void OnAddImages();
    void OnDeleteImage();
    void OnMoveLeft();
    void OnMoveRight();
    void OnRemoveAll();
    LRESULT OnListClick(NMITEMACTIVATE &notify);
    LRESULT OnListKeyDown(NMLVKEYDOWN &notify);
    LRESULT OnListItemChanged(NMLISTVIEW &notify);
    void OnUrlChange();

    // The movie.
    void OnMakeMovie();
    // Returns 1 when the movie was written and handed to the preview, 0 when the run stopped early.
    int BuildMovie();

    // Thumbnails, list items and the image area.
    void AddThumbnail(int nSlide);
    void InsertSlideItem(int nSlide);
    // Items stand in one row: a 16-pixel gap before each 96-pixel thumbnail.
    static int ItemLeft(int nItem)
    {
        return 16 + (16 + 96) * nItem;
    }
    // Puts every item in its place in the row and fits the list's scroll range to them.
    void LayOutList();
    void ShowImageArea();

    ISystemServices &m_services;
    BOOL m_bEnglish = TRUE;
    CListCtrl m_list;
    CImageArea m_imageArea;
    CFont m_fontUrl;
    CFont m_fontDialog;
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
    std::unique_ptr<CShockwaveflash1> m_pFlash;
    // The slide whose address the URL box shows (-1: none), and whether the user edited the box since
    // it was filled.
    int m_nUrlSlide = -1;
    bool m_bUrlEdited = false;
    // Inside ChangeSlides: the list's notifications come from the command itself.
    bool m_bChangingSlides = false;
    // The folder the last added pictures came from; the Open dialog starts there.
    std::wstring m_strLastFolder;

  private:
    void AppendAboutItem();
    void ApplySkins();
    void ApplyLabels();
    // One spin click: refresh from the controls, step by the sign of nDelta, show the members again.
    void StepTiming(int &nValue, int nDelta);
    void DeleteTempFrameFiles();
    // The rule of every command that changes the current slide or the slides under it: the URL box is
    // committed to the slide it was showing, change() runs, and when it reports a change a running
    // preview closes and the list and the image area show the current slide; at the end the URL box
    // shows the current slide's address ("http://" for none).
    void ChangeSlides(const std::function<bool()> &change);
    // Asks for pictures and adds them.
    bool AddImages();
    // Adds the files with an accepted extension at the end of the list, an animated GIF as one slide per
    // frame; the first one added becomes current. False when nothing was added.
    bool AddFiles(const std::vector<std::wstring> &paths);
    bool DeleteCurrent();
    bool MoveCurrent(bool bLeft);
    // Makes slide nSlide current when it is another slide.
    void SelectSlide(int nSlide);
    // Stores an edit of the URL box into the slide the box was showing.
    void CommitUrlEdit();
    // Shows the current slide's address in the URL box and notes which slide that is.
    void ShowSlideUrl();
    // Gives the slide's item the selected and focused state.
    void SelectItem(int nItem);
    // True when ending the program would lose the slide list: it holds slides. (Once lists can be saved,
    // only when it changed since it was saved or opened.)
    bool ListWouldBeLost() const;
    // Exchanges two thumbnails by drawing both and putting them back.
    void SwapThumbnails(int nFirst, int nSecond);
    void EnableListButtons(bool bEnable);
    // Tells the user what went wrong in a run that wrote a movie or refused to.
    void ReportBuildProblems(const BuildReport &report, const std::wstring &outputPath);
    // "The movie was not made: " and why.
    void ShowNotMade(const std::wstring &reason);
    // Gives the dialog's controls a font with Chinese characters whose digits stay readable.
    void ApplyChineseFont();
};
