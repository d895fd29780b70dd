// CBrivelleDlg: the workers behind the window: starting and ending them, and files added by them.
#include "ui/BrivelleDlg.h"

#include "build/FileAdder.h"
#include "ui/SlidePictures.h"

namespace
{
// Added files that arrived while another command ran are looked at again after this timer.
constexpr UINT_PTR kFilesReadyTimer = 1;
} // namespace

void CBrivelleDlg::StartBackgroundWork()
{
    StartPictureWork();
    HWND hWnd = m_hWnd;
    m_pAdder = std::make_unique<CFileAdder>([hWnd] { ::PostMessageW(hWnd, WM_FILES_READY, 0, 0); });
}

void CBrivelleDlg::EndBackgroundWork()
{
    EndBuild();
    // Frame files of adds that never reached the list still go when the window does.
    if (m_pAdder)
    {
        for (const AddBatch &batch : m_pAdder->Close())
            m_tempFrameFiles.insert(m_tempFrameFiles.end(), batch.frameFiles.begin(), batch.frameFiles.end());
        m_pAdder.reset();
    }
    m_pPictures.reset();
}

void CBrivelleDlg::OnTimer(UINT_PTR nIdEvent)
{
    if (nIdEvent != kFilesReadyTimer)
        return;
    ::KillTimer(m_hWnd, kFilesReadyTimer);
    OnFilesReady();
}

bool CBrivelleDlg::HasPendingWork() const
{
    return m_pBuild || (m_pAdder && !m_pAdder->Idle()) || (m_pPictures && !m_pPictures->Idle()) ||
           (m_list.m_hWnd != nullptr && m_list.GetItemCount() < static_cast<int>(m_model.m_images.size()));
}

LRESULT CBrivelleDlg::OnFilesReady()
{
    if (!m_pAdder)
        return 0;
    // Inside another command (a message box of it pumps messages) the slides wait for it to end.
    if (m_bChangingSlides)
    {
        ::SetTimer(m_hWnd, kFilesReadyTimer, 100, nullptr);
        return 0;
    }
    for (const AddBatch &batch : m_pAdder->TakeDone())
        ChangeSlides([this, &batch] { return AppendSlides(batch); });
    return 0;
}
