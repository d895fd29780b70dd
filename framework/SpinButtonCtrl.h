// CSpinButtonCtrl: an up-down control.
#pragma once

#include "framework/Wnd.h"

#include <commctrl.h>

// An up-down control of a dialog; 16-bit range and position.
class CSpinButtonCtrl : public CWnd
{
  public:
    void SetRange(short nLower, short nUpper)
    {
        SendMessage(UDM_SETRANGE, 0, MAKELPARAM(nUpper, nLower));
    }
    void GetRange(int &nLower, int &nUpper) const
    {
        const LRESULT lRange = SendMessage(UDM_GETRANGE);
        nLower = static_cast<short>(HIWORD(lRange));
        nUpper = static_cast<short>(LOWORD(lRange));
    }
    void SetPos(short nPos)
    {
        SendMessage(UDM_SETPOS, 0, MAKELPARAM(nPos, 0));
    }
    int GetPos() const
    {
        return static_cast<short>(LOWORD(SendMessage(UDM_GETPOS)));
    }
};
