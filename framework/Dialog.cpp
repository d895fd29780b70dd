// CDialog: creation from templates, the dialog procedure and data exchange.
#include "framework/Dialog.h"

#include "framework/DataExchange.h"
#include "framework/WinApp.h"

CDialog::CDialog(UINT nIdTemplate, CWnd *pParentWnd) : m_nIdTemplate(nIdTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal()
{
    AfxPrepareCommonControls();
    HWND hOwner = AfxGetSafeOwner(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr);
    if (hOwner == m_hWnd)
        hOwner = nullptr;
    return ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIdTemplate), hOwner, DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(CWnd *pParentWnd)
{
    if (m_hWnd != nullptr)
        return false;
    AfxPrepareCommonControls();
    if (pParentWnd != nullptr)
        m_pParentWnd = pParentWnd;
    HWND hParent = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    HWND hWnd = ::CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIdTemplate), hParent, DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hWnd != nullptr && hWnd == m_hWnd;
}

void CDialog::EndDialog(int nResult)
{
    ::EndDialog(m_hWnd, nResult);
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    CDataExchange dx(*this, bSaveAndValidate, m_exchangePrompts);
    DoDataExchange(&dx);
    return !dx.HasFailed();
}

CDialog *CDialog::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr || ::GetWindowLongPtrW(hWnd, DWLP_DLGPROC) != reinterpret_cast<LONG_PTR>(DialogProc))
        return nullptr;
    return reinterpret_cast<CDialog *>(::GetWindowLongPtrW(hWnd, DWLP_USER));
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(false);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange *pDX)
{
    static_cast<void>(pDX);
}

void CDialog::OnOK()
{
    if (UpdateData(true))
        EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::OnCommand(UINT nId, UINT nCode, HWND hControl)
{
    CWinApp *pApp = AfxGetApp();
    if (hControl == nullptr && (GetStyle() & WS_CHILD) == 0 && pApp != nullptr && pApp->OnCmdMsg(nId, nCode))
        return 0;
    return Default();
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    static_cast<void>(wParam);
    // Every later message reaches the object through the subclass first; returning FALSE here gives
    // the system's dialog handling to whatever the map leaves to Default().
    if (uMsg != WM_INITDIALOG)
        return FALSE;
    CDialog *pDlg = reinterpret_cast<CDialog *>(lParam);
    ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
    if (!pDlg->AttachBySubclass(hWnd))
        return FALSE;
    return pDlg->OnInitDialog();
}
