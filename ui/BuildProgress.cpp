// CBrivelleDlg: the movie build on its worker: progress bar, Cancel, the taskbar button, closing during a build.
#include "ui/BrivelleDlg.h"

#include "base/Utf8.h"

#include <shobjidl.h>

#include <exception>
#include <new>

namespace
{
// The buttons enabled again when a build ends, in this order.
const int kButtonsAfterBuild[] = {IDC_BTN_DELETE, IDC_BTN_ADD,       IDC_BTN_LEFT,
                                  IDC_BTN_RIGHT,  IDC_BTN_REMOVEALL, IDC_BTN_MAKE};
} // namespace

void CTaskbarProgress::Release::operator()(ITaskbarList3 *pTaskbar) const
{
    pTaskbar->Release();
}

void CTaskbarProgress::Start(HWND hWnd)
{
    m_hWnd = hWnd;
    // Windows 7 and later; elsewhere (or without COM on this thread) the dialog's own bar is enough.
    ITaskbarList3 *pTaskbar = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskbarList3,
                                  reinterpret_cast<void **>(&pTaskbar))) ||
        pTaskbar == nullptr)
        return;
    m_pTaskbar.reset(pTaskbar);
    if (FAILED(m_pTaskbar->HrInit()))
    {
        m_pTaskbar.reset();
        return;
    }
    m_pTaskbar->SetProgressState(m_hWnd, TBPF_NORMAL);
}

void CTaskbarProgress::Set(size_t uDone, size_t uTotal)
{
    if (m_pTaskbar)
        m_pTaskbar->SetProgressValue(m_hWnd, uDone, uTotal);
}

void CTaskbarProgress::End()
{
    if (m_pTaskbar)
        m_pTaskbar->SetProgressState(m_hWnd, TBPF_NOPROGRESS);
    m_pTaskbar.reset();
}

void CBrivelleDlg::StartBuild(BuildJob job)
{
    HWND hWnd = m_hWnd;
    const size_t uTotal = job.slides.size();
    m_pBuild = std::make_unique<CBuildWorker>(
        std::move(job), [hWnd] { ::PostMessageW(hWnd, WM_BUILD_PROGRESS, 0, 0); },
        [hWnd] { ::PostMessageW(hWnd, WM_BUILD_DONE, 0, 0); });
    // Make stays off until the run has ended; the list buttons are off already.
    ::EnableWindow(GetDlgItem(IDC_BTN_MAKE), FALSE);
    ShowBuildProgress(true, uTotal);
    // The keyboard goes with it: a disabled or hidden control keeps no focus.
    ::SetFocus(GetDlgItem(IDC_BTN_CANCEL_BUILD));
    m_taskbar.Start(m_hWnd);
}

void CBrivelleDlg::ShowBuildProgress(bool bShow, size_t uTotal)
{
    HWND hBar = GetDlgItem(IDC_PROGRESS_BUILD);
    ::SendMessageW(hBar, PBM_SETRANGE32, 0, static_cast<LPARAM>(uTotal));
    ::SendMessageW(hBar, PBM_SETPOS, 0, 0);
    // The bar and Cancel stand in the URL row while the movie is made.
    for (int nId : {IDC_LABEL_URL, IDC_EDIT_URL})
        ::ShowWindow(GetDlgItem(nId), bShow ? SW_HIDE : SW_SHOW);
    for (int nId : {IDC_PROGRESS_BUILD, IDC_BTN_CANCEL_BUILD})
        ::ShowWindow(GetDlgItem(nId), bShow ? SW_SHOW : SW_HIDE);
    ::EnableWindow(GetDlgItem(IDC_BTN_CANCEL_BUILD), TRUE);
}

LRESULT CBrivelleDlg::OnBuildProgress()
{
    if (!m_pBuild)
        return 0;
    size_t uDone = 0;
    size_t uTotal = 0;
    m_pBuild->Progress(uDone, uTotal);
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BUILD), PBM_SETRANGE32, 0, static_cast<LPARAM>(uTotal));
    ::SendMessageW(GetDlgItem(IDC_PROGRESS_BUILD), PBM_SETPOS, static_cast<WPARAM>(uDone), 0);
    m_taskbar.Set(uDone, uTotal);
    return 0;
}

LRESULT CBrivelleDlg::OnBuildDone()
{
    if (!m_pBuild || !m_pBuild->Finished())
        return 0;
    const BuildReport report = m_pBuild->Finish();
    m_pBuild.reset();
    m_taskbar.End();
    for (int nId : kButtonsAfterBuild)
        ::EnableWindow(GetDlgItem(nId), TRUE);
    const bool bCancelHadFocus = ::GetFocus() == GetDlgItem(IDC_BTN_CANCEL_BUILD);
    ShowBuildProgress(false, 0);
    if (bCancelHadFocus)
        ::SetFocus(GetDlgItem(IDC_BTN_MAKE));
    if (m_bCloseAfterBuild)
    {
        // The user asked to close during the build and has agreed to lose the list already.
        CDialog::OnCancel();
        return 0;
    }
    try
    {
        FinishBuild(report);
    }
    catch (const std::bad_alloc &)
    {
        ShowNotMade(UiString(UiText::NotEnoughMemory, m_bEnglish));
    }
    catch (const std::exception &e)
    {
        ShowNotMade(WideFromUtf8(e.what()));
    }
    return 0;
}

void CBrivelleDlg::OnCancelBuild()
{
    if (!m_pBuild || m_pBuild->StopRequested())
        return;
    m_pBuild->Stop();
    // The run ends after the slide it is writing; until then Cancel has done its part.
    ::EnableWindow(GetDlgItem(IDC_BTN_CANCEL_BUILD), FALSE);
}

LRESULT CBrivelleDlg::OnClose()
{
    if (!m_pBuild)
        return Default();
    // The close box, Alt+F4 or Close during a build: the usual question first, then the build is
    // stopped and the window closes when the worker has ended.
    if (!ConfirmQuit())
        return 0;
    if (!m_pBuild)
    {
        // It ended while the question was open.
        CDialog::OnCancel();
        return 0;
    }
    m_bCloseAfterBuild = true;
    OnCancelBuild();
    return 0;
}

void CBrivelleDlg::EndBuild()
{
    // The window goes: the run is stopped and waited for, and nothing of it is reported.
    m_pBuild.reset();
    m_taskbar.End();
}

bool CBrivelleDlg::IsBuilding() const
{
    return m_pBuild != nullptr;
}
