// CBrivelleDlg: the main window: slide list, image area, settings, skin buttons.
#pragma once

#include "build/FileAdder.h"
#include "build/MovieBuilder.h"
#include "build/SlideHistory.h"
#include "build/SlideModel.h"
#include "controls/SkinButton.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/ImageList.h"
#include "framework/ListCtrl.h"
#include "framework/SpinButtonCtrl.h"
#include "framework/SystemServices.h"
#include "res/resource.h"
#include "ui/BuildWorker.h"
#include "ui/ImageArea.h"
#include "ui/SlidePictures.h"
#include "ui/UiText.h"

#include <commctrl.h>
#include <shellapi.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class CShockwaveflash1;

// What the workers post to the dialog: build progress, the build's end, decoded pictures, added files.
constexpr UINT WM_BUILD_PROGRESS = WM_APP + 1;
constexpr UINT WM_BUILD_DONE = WM_APP + 2;
constexpr UINT WM_PICTURES_READY = WM_APP + 3;
constexpr UINT WM_FILES_READY = WM_APP + 4;
// Posted by the dialog to itself: the next items of slides already added go into the list.
constexpr UINT WM_INSERT_ITEMS = WM_APP + 5;
// Posted to the dialog once it shows, to open what the command line named.
constexpr UINT kMsgOpenStartupFiles = WM_APP + 40;

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
    ON_BN_CLICKED(IDC_BTN_CANCEL_BUILD, OnCancelBuild)
    ON_MESSAGE_VOID(WM_CLOSE, OnClose)
    ON_MESSAGE_VOID(WM_BUILD_PROGRESS, OnBuildProgress)
    ON_MESSAGE_VOID(WM_BUILD_DONE, OnBuildDone)
    ON_MESSAGE_VOID(WM_PICTURES_READY, OnPicturesReady)
    ON_MESSAGE_VOID(WM_FILES_READY, OnFilesReady)
    ON_MESSAGE_VOID(WM_INSERT_ITEMS, OnInsertItems)
    ON_WM_TIMER(OnTimer)
    ON_CONTROL(kImageAreaPainted, IDC_IMAGE_AREA, OnImageAreaPainted)
    ON_COMMAND(IDM_UNDO, OnUndo)
    ON_COMMAND(IDM_REDO, OnRedo)
    ON_COMMAND(IDM_OPEN_LIST, OnOpenList)
    ON_COMMAND(IDM_SAVE_LIST, OnSaveList)
    ON_COMMAND(IDM_SAVE_LIST_AS, OnSaveListAs)
    ON_COMMAND(IDM_REMOVE_LINK, OnRemoveLink)
    ON_WM_DROPFILES(OnDropFiles)
    ON_NOTIFY(LVN_BEGINDRAG, IDC_LIST_IMAGES, OnListBeginDrag, NMLISTVIEW)
    ON_WM_MOUSEMOVE(OnMouseMove)
    ON_WM_LBUTTONUP(OnLButtonUp)
    ON_WM_CAPTURECHANGED(OnCaptureChanged)
    ON_WM_CONTEXTMENU(OnContextMenu)
    ON_MESSAGE_VOID(kMsgOpenStartupFiles, OnOpenStartupFiles)
    END_MSG_MAP()

  public:
    explicit CBrivelleDlg(ISystemServices &services, CWnd *pParentWnd = nullptr);
    ~CBrivelleDlg() override;

    // True when a directory search for path (which may be a pattern) finds a file or folder.
    bool FileExists(const std::wstring &path);

    // Hands the image area the current slide's picture, decoded at its size (kept for the current slide
    // and two on each side); clears the area when the picture cannot be read.
    void DrawCurrentImage();
    // Fills the image area with the dialog's background.
    void ClearImageArea();
    // Plays a movie file in place of the image area, centred when it fits.
    void ShowPreview(const std::wstring &path);
    // Stops and removes the player, if any.
    void ClosePreview();

    // True while a build, a picture or an add is still under way on a worker, or list items wait for
    // their turn.
    bool HasPendingWork() const;
    bool IsBuilding() const;
    // Files named on the command line: a slide list (.txt) opens, pictures and folders are added, once the
    // dialog shows.
    void SetStartupFiles(const std::vector<std::wstring> &files);
    // The dialog's shortcuts, wherever the focus is in it: Ctrl+Z and Ctrl+Y undo and redo list changes
    // (in a text box Ctrl+Z stays the box's own undo), Ctrl+O opens a list, Ctrl+S and Ctrl+Shift+S
    // save it. True when msg was one of them and has been handled.
    bool TranslateShortcut(const MSG &msg);

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
    // Returns 1 when the build started on its worker, 0 when it stopped before.
    int BuildMovie();

    // Thumbnails, list items and the image area.
    void InsertSlideItem(int nSlide);
    // Items stand in one row: a 16-pixel gap before each 96-pixel thumbnail.
    static int ItemLeft(int nItem)
    {
        return 16 + (16 + 96) * nItem;
    }
    // Puts every item in its place in the row and fits the list's scroll range to them.
    void LayOutList();
    // Moves the items that are not in their place in the row, with the list's drawing off.
    void PlaceItems();
    // True when every item stands in its place in the row.
    bool ListInPlace() const;
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
    // True when ending the program would lose the slide list: it has unsaved changes.
    bool ListWouldBeLost() const;
    // True when the program may end: nothing would be lost, or the user agreed to lose it.
    bool ConfirmQuit();
    // Exchanges two thumbnails by drawing both and putting them back.
    void SwapThumbnails(int nFirst, int nSecond);
    void EnableListButtons(bool bEnable);

  protected:
    // Work off the user-interface thread: the build, pictures, added files.
    void StartBackgroundWork();
    void StartPictureWork();
    // Stops every worker and waits for it; nothing of theirs is reported.
    void EndBackgroundWork();
    void StartBuild(BuildJob job);
    void EndBuild();
    void ShowBuildProgress(bool bShow, size_t uTotal);
    // After the run: the preview and the messages, as the result says.
    void FinishBuild(const BuildReport &report);
    void OnCancelBuild();
    LRESULT OnClose();
    LRESULT OnBuildProgress();
    LRESULT OnBuildDone();
    LRESULT OnPicturesReady();
    LRESULT OnFilesReady();
    LRESULT OnInsertItems();
    void OnTimer(UINT_PTR nIdEvent);
    void OnImageAreaPainted();
    // Appends the slides of added files; the first becomes current. False when there were none.
    bool AppendSlides(const AddBatch &batch);
    // The list's items and thumbnail cards follow the slides a few at a time, one message each, so that
    // the window answers while a long list is shown. Inserts the next few, and at least the first
    // nAtLeast, and asks for the rest.
    void InsertNextItems(int nAtLeast);
    // Inserts every item still missing at once, for a command that works on the list.
    void InsertPendingItems();
    void PostPendingItems();
    // Cards for the slides nFirst to nEnd - 1 (appended at the end of the image list), and their thumbnails
    // asked for.
    void AddThumbnails(int nFirst, int nEnd);
    void HurryVisibleThumbnails(int nFirst, int nLast);
    int VisibleItemCount() const;
    std::unique_ptr<CBuildWorker> m_pBuild;
    BuildTarget m_buildTarget;
    CTaskbarProgress m_taskbar;
    bool m_bCloseAfterBuild = false;
    bool m_bInsertItemsPosted = false;
    std::unique_ptr<CSlidePictures> m_pPictures;
    std::unique_ptr<CFileAdder> m_pAdder;

  private:
    // Tells the user what went wrong in a run that wrote a movie or refused to.
    void ReportBuildProblems(const BuildReport &report, const std::wstring &outputPath);
    // "The movie was not made: " and why.
    void ShowNotMade(const std::wstring &reason);
    // Gives the dialog's controls a font with Chinese characters whose digits stay readable.
    void ApplyChineseFont();

    // Slide lists, undo, remembered settings, drops, dragging and the list's menu (ui/ListFiles.cpp,
    // ui/ListEditing.cpp).
  protected:
    void OnUndo();
    void OnRedo();
    void OnOpenList();
    void OnSaveList();
    void OnSaveListAs();
    void OnRemoveLink();
    void OnDropFiles(HDROP hDrop);
    LRESULT OnListBeginDrag(NMLISTVIEW &notify);
    void OnMouseMove(UINT nFlags, POINT ptClient);
    void OnLButtonUp(UINT nFlags, POINT ptClient);
    void OnCaptureChanged(HWND hNewCapture);
    void OnContextMenu(HWND hWnd, POINT ptScreen);
    LRESULT OnOpenStartupFiles();

    // False while a movie is built: commands that change the list then do nothing.
    bool ListCommandsEnabled();
    // True when the slides differ from the list as it was last opened or saved (or from an empty list).
    bool HasUnsavedChanges() const;
    // Replaces the slides with a list file's; missing pictures stay as slides and one message names them.
    bool OpenList(const std::wstring &path);
    // Writes the slides to a list file. False after telling the user why it could not.
    bool SaveList(const std::wstring &path);
    // Asks whether to save unsaved changes first. False when the user cancelled or saving failed.
    bool AskToSaveChanges();
    // Opens a dropped or named list, or adds dropped or named pictures and folders' pictures.
    void OpenOrAddFiles(const std::vector<std::wstring> &paths);
    // "holiday.txt* — Brivelle".
    void UpdateTitle();
    void LoadSettings();
    void SaveSettings();
    std::wstring SettingsPath();
    // Takes every thumbnail and item away and makes them again, in slide order.
    void RebuildList();
    // Moves slide nFrom to index nTo, the slides between shifting by one; it becomes current.
    bool MoveSlide(int nFrom, int nTo);
    // The gap the point (list client coordinates) falls in: 0 before the first item, n after the last.
    int DropGapAt(POINT ptList);
    void EndSlideDrag(bool bDrop, POINT ptClient);
    // Shows the insertion mark in a gap of the list.
    void ShowInsertMark(int nGap);
    // Undoes or redoes one step, inside ChangeSlides.
    bool StepHistory(bool bUndo);
    void InstallShortcuts();
    void RemoveShortcuts();

    std::wstring m_strDialogCaption; // the template's caption
    std::wstring m_strListPath;      // the list file last opened or saved; empty: none
    std::vector<ImageItem> m_savedImages;
    CSlideHistory m_history;
    SlideState m_stateBeforeChange; // the slides as the running ChangeSlides found them
    bool m_bRestoringHistory = false;
    bool m_bOpeningList = false; // inside OpenList: its undo step takes the list file along
    bool m_bStartFpsMode = true;
    std::wstring m_strSaveFolder;
    std::wstring m_strListFolder;
    std::vector<std::wstring> m_startupFiles;
    HHOOK m_hShortcutHook = nullptr;
    int m_nDragSlide = -1; // the slide being dragged along the list; -1: none
    HWND m_hInsertMark = nullptr;
};
