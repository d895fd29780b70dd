// CImageArea: the static control of the main dialog that shows the current slide.
#pragma once

#include "framework/Static.h"

// The image area, control 1001 of the main dialog; the dialog's data exchange binds it. It paints
// the current slide through the dialog, or the dialog's background while the list is empty.
class CImageArea : public CStatic
{
    BEGIN_MSG_MAP(CImageArea, CStatic)
    ON_WM_PAINT(OnPaint)
    END_MSG_MAP()

  public:
    ~CImageArea() override = default;

  protected:
    void OnPaint();
};
