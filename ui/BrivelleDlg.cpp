// CBrivelleDlg: construction, initialisation, data exchange, spins, system menu, painting and help.
#include "ui/BrivelleDlg.h"

#include "framework/DataExchange.h"
#include "framework/Handles.h"
#include "framework/WinApp.h"
#include "preview/Shockwaveflash1.h"
#include "ui/AboutDlg.h"
#include "ui/HelpPage.h"

#include <algorithm>

CBrivelleDlg::CBrivelleDlg(ISystemServices &services, CWnd *pParentWnd)
    : CDialog(IDD_BRIVELLE_DIALOG, pParentWnd), m_services(services)
{
    m_model.m_nFps = 1;
    m_model.m_nDelay = 1;
    m_model.m_nWidth = 256;
    m_model.m_nHeight = 192;
    m_hAppIcon = ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

CBrivelleDlg::~CBrivelleDlg()
{
    EndBackgroundWork();
    // A modeless dialog still open goes now, while its handlers and members exist.
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

bool CBrivelleDlg::FileExists(const std::wstring &path)
{
    return m_services.FileExists(path);
}

void CBrivelleDlg::DoDataExchange(CDataExchange *pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_LIST_IMAGES, m_list);
    DDX_Control(pDX, IDC_IMAGE_AREA, m_imageArea);
    DDX_Control(pDX, IDC_BTN_ADD, m_btnAdd);
    // The number boxes in the order they are checked: the first refused one ends the exchange.
    const struct
    {
        int nId;
        int &nValue;
        int nMin;
        int nMax;
    } numbers[] = {
        {IDC_EDIT_FPS, m_model.m_nFps, kMinTiming, kMaxTiming},
        {IDC_EDIT_DELAY, m_model.m_nDelay, kMinTiming, kMaxTiming},
        {IDC_EDIT_WIDTH, m_model.m_nWidth, kMinMovieSize, kMaxMovieSize},
        {IDC_EDIT_HEIGHT, m_model.m_nHeight, kMinMovieSize, kMaxMovieSize},
    };
    for (const auto &number : numbers)
    {
        DDX_Text(pDX, number.nId, number.nValue);
        DDV_MinMaxInt(pDX, number.nValue, number.nMin, number.nMax);
    }
    DDX_Control(pDX, IDC_SPIN_FPS, m_spinFps);
    DDX_Control(pDX, IDC_SPIN_DELAY, m_spinDelay);
    DDX_Control(pDX, IDC_BTN_DELETE, m_btnDelete);
    DDX_Control(pDX, IDC_BTN_LEFT, m_btnMoveLeft);
    DDX_Control(pDX, IDC_BTN_RIGHT, m_btnMoveRight);
    DDX_Control(pDX, IDC_BTN_REMOVEALL, m_btnRemoveAll);
    DDX_Control(pDX, IDC_BTN_MAKE, m_btnMake);
    DDX_Control(pDX, IDC_BTN_HELP, m_btnHelp);
}

BOOL CBrivelleDlg::OnInitDialog()
{
    LoadSettings();
    CDialog::OnInitDialog();
    StartBackgroundWork();

    m_bEnglish = m_services.SystemDefaultLangId() != kChineseLangId;
    m_exchangePrompts.strInteger = UiString(UiText::EnterInteger, m_bEnglish);
    m_exchangePrompts.strIntegerRange = UiString(UiText::EnterIntegerInRange, m_bEnglish);
    AppendAboutItem();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hAppIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hAppIcon));

    m_imageList.Create(96, 72, ILC_COLOR24, 0, 1);
    m_list.SetImageList(&m_imageList, LVSIL_NORMAL);
    // One row of items 112 pixels apart, low enough to stay one row with the horizontal scroll bar.
    const RECT rcList = m_list.GetClientRect();
    m_list.SetIconSpacing(ItemLeft(1) - ItemLeft(0), rcList.bottom - rcList.top - ::GetSystemMetrics(SM_CYHSCROLL));
    m_model.m_nCurSel = 0;

    m_fontUrl.CreateFont(18, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, 0x20, L"Arial");
    ::SendMessageW(GetDlgItem(IDC_EDIT_URL), WM_SETFONT, reinterpret_cast<WPARAM>(m_fontUrl.GetSafeHandle()), TRUE);

    if (!m_bEnglish)
        ApplyChineseFont();
    ApplySkins();
    ApplyLabels();

    for (CSpinButtonCtrl *pSpin : {&m_spinFps, &m_spinDelay})
    {
        pSpin->SetRange(1, 100);
        pSpin->SetPos(1);
    }
    CheckRadioButton(IDC_RADIO_FPS, IDC_RADIO_DELAY, m_bStartFpsMode ? IDC_RADIO_FPS : IDC_RADIO_DELAY);
    m_pFlash.reset();
    ShowSlideUrl();
    SetDlgItemText(IDC_BTN_CANCEL_BUILD, UiString(UiText::CancelBuild, m_bEnglish));

    m_strDialogCaption = GetWindowText();
    ::DragAcceptFiles(m_hWnd, TRUE);
    InstallShortcuts();
    if (!m_startupFiles.empty())
        PostMessage(kMsgOpenStartupFiles);
    return TRUE;
}

void CBrivelleDlg::AppendAboutItem()
{
    const wchar_t *pText = nullptr;
    const int nLength = ::LoadStringW(AfxGetResourceHandle(), IDS_ABOUTBOX, reinterpret_cast<LPWSTR>(&pText), 0);
    if (nLength <= 0 || pText == nullptr)
        return;
    const std::wstring text = m_bEnglish ? std::wstring(pText, static_cast<size_t>(nLength))
                                         : std::wstring(UiString(UiText::AboutItem, m_bEnglish));
    HMENU hSystemMenu = GetSystemMenu(false);
    if (hSystemMenu == nullptr)
        return;
    ::AppendMenuW(hSystemMenu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(hSystemMenu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

namespace
{
BOOL CALLBACK NoteFontFace(const LOGFONTW *pFont, const TEXTMETRICW *pMetrics, DWORD nType, LPARAM lParam)
{
    static_cast<void>(pMetrics);
    static_cast<void>(nType);
    reinterpret_cast<std::vector<std::wstring> *>(lParam)->push_back(pFont->lfFaceName);
    return TRUE;
}

// The first of the usual Chinese interface faces that is installed, else any face with Chinese
// characters, else none.
std::wstring ChineseFace()
{
    std::vector<std::wstring> faces;
    {
        CWindowDC screen(nullptr);
        LOGFONTW wanted{};
        wanted.lfCharSet = GB2312_CHARSET;
        ::EnumFontFamiliesExW(screen.Get(), &wanted, NoteFontFace, reinterpret_cast<LPARAM>(&faces), 0);
    }
    for (const wchar_t *pszFace : {L"Microsoft YaHei UI", L"Microsoft YaHei", L"SimSun", L"WenQuanYi Micro Hei"})
    {
        if (std::find(faces.begin(), faces.end(), pszFace) != faces.end())
            return pszFace;
    }
    for (const std::wstring &face : faces)
    {
        // Vertical faces ("@...") write sideways.
        if (!face.empty() && face[0] != L'@')
            return face;
    }
    return std::wstring();
}
} // namespace

void CBrivelleDlg::ApplyChineseFont()
{
    // The template's font has no Chinese characters: the system substitutes one whose digits come out
    // small and faint. A 9-point Chinese interface face keeps labels and numbers clear.
    const std::wstring face = ChineseFace();
    if (face.empty())
        return;
    int nPixelsPerInch = 96;
    {
        CWindowDC screen(nullptr);
        nPixelsPerInch = ::GetDeviceCaps(screen.Get(), LOGPIXELSY);
    }
    if (!m_fontDialog.CreateFont(-::MulDiv(9, nPixelsPerInch, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                 GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, face.c_str()))
        return;
    for (HWND hChild = ::GetWindow(m_hWnd, GW_CHILD); hChild != nullptr; hChild = ::GetWindow(hChild, GW_HWNDNEXT))
    {
        // The URL box keeps its own font.
        if (::GetDlgCtrlID(hChild) != IDC_EDIT_URL)
            ::SendMessageW(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(m_fontDialog.GetSafeHandle()), TRUE);
    }
}

void CBrivelleDlg::ApplySkins()
{
    struct ButtonSkin
    {
        CSkinButton CBrivelleDlg::*pButton;
        UINT nNormal;
        UINT nDown;
        UINT nHover;
        UINT nDisabled;
        UINT nMask;
        short nFocusMargin;
        const wchar_t *pszEnglish;
        const wchar_t *pszChinese;
        const wchar_t *pszLabelEnglish;
        const wchar_t *pszLabelChinese;
    };
    static const ButtonSkin kSkins[] = {
        {&CBrivelleDlg::m_btnAdd, IDB_ADD_NORMAL, IDB_ADD_DOWN, IDB_ADD_HOVER, IDB_ADD_DISABLED, IDB_MASK_SMALL, 4,
         L"Add image files to list", L"添加图片文件到列表中", L"Add", L"添加"},
        {&CBrivelleDlg::m_btnDelete, IDB_DELETE_NORMAL, IDB_DELETE_DOWN, IDB_DELETE_HOVER, IDB_DELETE_DISABLED,
         IDB_MASK_SMALL, 4, L"Delete a image file from list", L"从列表中移除当前的图片", L"Delete", L"删除"},
        {&CBrivelleDlg::m_btnMoveLeft, IDB_LEFT_NORMAL, IDB_LEFT_DOWN, IDB_LEFT_HOVER, IDB_LEFT_DISABLED,
         IDB_MASK_SMALL, 4, L"Left move", L"左移图片", L"Move left", L"左移"},
        {&CBrivelleDlg::m_btnMoveRight, IDB_RIGHT_NORMAL, IDB_RIGHT_DOWN, IDB_RIGHT_HOVER, IDB_RIGHT_DISABLED,
         IDB_MASK_SMALL, 4, L"Right move", L"右移图片", L"Move right", L"右移"},
        {&CBrivelleDlg::m_btnRemoveAll, IDB_REMOVEALL_NORMAL, IDB_REMOVEALL_DOWN, IDB_REMOVEALL_HOVER,
         IDB_REMOVEALL_DISABLED, IDB_MASK_SMALL, 4, L"Remove All", L"清空所有图片", L"Remove all", L"清空"},
        {&CBrivelleDlg::m_btnMake, IDB_MAKE_NORMAL, IDB_MAKE_DOWN, IDB_MAKE_HOVER, IDB_MAKE_DISABLED, IDB_MASK_MAKE, 5,
         L"Make a flash animation file(.swf)", L"制作flash动画文件(.swf)", L"Make", L"制作"},
        {&CBrivelleDlg::m_btnHelp, IDB_HELP_NORMAL, IDB_HELP_DOWN, IDB_HELP_HOVER, IDB_HELP_DISABLED, IDB_MASK_HELP, 3,
         L"Help", L"帮助", L"Help", L"帮助"},
    };
    for (const ButtonSkin &skin : kSkins)
    {
        CSkinButton &button = this->*skin.pButton;
        button.SetTipText(m_bEnglish ? skin.pszEnglish : skin.pszChinese);
        // A dotted focus rectangle inside the face shows where the keyboard is.
        button.ApplySkin(skin.nNormal, skin.nDown, skin.nHover, skin.nDisabled, 0, skin.nMask, CSkinButton::kDrawNormal,
                         0, skin.nFocusMargin);
        button.SetAccessibleName(m_bEnglish ? skin.pszLabelEnglish : skin.pszLabelChinese);
    }
}

void CBrivelleDlg::ApplyLabels()
{
    struct Label
    {
        int nId;
        const wchar_t *pszEnglish;
        const wchar_t *pszChinese;
    };
    static const Label kLabels[] = {
        {IDC_GROUP_TIME, L"Display Time", L"时间设置"},
        {IDC_RADIO_FPS, L"FPS(Frames Per Second)", L"FPS(每秒钟的帧数)"},
        {IDC_RADIO_DELAY, L"Delay time(Second)", L"间隔时间(秒)"},
        {IDC_GROUP_SIZE, L"Image size", L"图片的大小"},
        {IDC_LABEL_WIDTH, L"Width", L"宽度"},
        {IDC_LABEL_HEIGHT, L"Height", L"高度"},
        {IDC_LABEL_URL, L"URL:", L"超链接:"},
    };
    for (const Label &label : kLabels)
        SetDlgItemText(label.nId, m_bEnglish ? label.pszEnglish : label.pszChinese);
}

void CBrivelleDlg::OnOK()
{
}

void CBrivelleDlg::OnCancel()
{
    // Escape during a build cancels the build; the window stays.
    if (IsBuilding())
    {
        OnCancelBuild();
        return;
    }
    // Escape while a slide is dragged ends the drag, not the program.
    if (m_nDragSlide >= 0)
    {
        EndSlideDrag(false, POINT{0, 0});
        return;
    }
    if (ConfirmQuit())
        CDialog::OnCancel();
}

bool CBrivelleDlg::ConfirmQuit()
{
    return !ListWouldBeLost() || ShowMessageBox(UiString(UiText::QuitQuestion, m_bEnglish),
                                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

bool CBrivelleDlg::ListWouldBeLost() const
{
    // An address typed but not yet stored counts, when there is a slide to store it in.
    return HasUnsavedChanges() || (m_bUrlEdited && m_model.IsSlide(m_nUrlSlide));
}

int CBrivelleDlg::ShowMessageBox(const std::wstring &text, UINT nType)
{
    return m_services.ShowMessageBox(m_hWnd, text, nType);
}

void CBrivelleDlg::OnSysCommand(UINT nId, POINT ptScreen)
{
    static_cast<void>(ptScreen);
    if ((nId & 0xFFF0) == IDM_ABOUTBOX)
    {
        CAboutDlg about(m_bEnglish);
        about.DoModal();
        return;
    }
    Default();
}

void CBrivelleDlg::OnPaint()
{
    if (!IsIconic())
    {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    const int cxIcon = ::GetSystemMetrics(SM_CXICON);
    const int cyIcon = ::GetSystemMetrics(SM_CYICON);
    const RECT rc = GetClientRect();
    const int x = (rc.right - rc.left - cxIcon + 1) / 2;
    const int y = (rc.bottom - rc.top - cyIcon + 1) / 2;
    ::DrawIcon(dc.Get(), x, y, m_hAppIcon);
}

HICON CBrivelleDlg::OnQueryDragIcon()
{
    return m_hAppIcon;
}

LRESULT CBrivelleDlg::OnDeltaPosFps(NMUPDOWN &notify)
{
    StepTiming(m_model.m_nFps, notify.iDelta);
    return 1;
}

LRESULT CBrivelleDlg::OnDeltaPosDelay(NMUPDOWN &notify)
{
    StepTiming(m_model.m_nDelay, notify.iDelta);
    return 1;
}

void CBrivelleDlg::StepTiming(int &nValue, int nDelta)
{
    UpdateData(true);
    if (nDelta > 0 && nValue < kMaxSpinTiming)
        ++nValue;
    else if (nDelta < 0 && nValue > 1)
        --nValue;
    UpdateData(false);
}

void CBrivelleDlg::OnDestroy()
{
    // The boxes still exist here; once the children are gone their values would be.
    SaveSettings();
    RemoveShortcuts();
    Default();
    ClosePreview();
    EndBackgroundWork();
    DeleteTempFrameFiles();
}

void CBrivelleDlg::OnHelpButton()
{
    const std::wstring path = HelpPagePath(m_services.ModulePath());
    if (FileExists(path))
        m_services.ShellOpen(path);
}
