// CImageArea: the static control of the main dialog that shows the current slide.
#pragma once

#include "framework/Static.h"

// The image area, control 1001 of the main dialog; the dialog's data exchange binds it.
class CImageArea : public CStatic
{
  public:
    ~CImageArea() override = default;
};
