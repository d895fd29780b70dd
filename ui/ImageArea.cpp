// CImageArea: painting the current slide through the main dialog.
#include "ui/ImageArea.h"

#include "framework/Handles.h"
#include "res/resource.h"
#include "ui/BrivelleDlg.h"

#include <commctrl.h>

void CImageArea::OnPaint()
{
    CPaintDC paint(m_hWnd);
    auto *pDialog = dynamic_cast<CBrivelleDlg *>(CWnd::FromHandlePermanent(GetParent()));
    if (pDialog == nullptr)
        return;
    HWND hList = pDialog->GetDlgItem(IDC_LIST_IMAGES);
    if (hList != nullptr && ::SendMessageW(hList, LVM_GETITEMCOUNT, 0, 0) > 0)
        pDialog->DrawCurrentImage();
    else
        pDialog->ClearImageArea();
}
