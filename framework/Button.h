// CButton: a button control; owner drawing reflected by the parent arrives at DrawItem.
#pragma once

#include "framework/Wnd.h"

// A push button, check box or radio button of a dialog.
class CButton : public CWnd
{
    BEGIN_MSG_MAP(CButton, CWnd)
    ON_WM_DRAWITEM_REFLECT(DrawItem)
    END_MSG_MAP()

  public:
    // BST_PUSHED, BST_CHECKED, BST_FOCUS bits.
    UINT GetState() const
    {
        return static_cast<UINT>(SendMessage(BM_GETSTATE));
    }
    // Shows the button pushed or released.
    void SetState(bool bPushed)
    {
        SendMessage(BM_SETSTATE, bPushed ? TRUE : FALSE);
    }
    int GetCheck() const
    {
        return static_cast<int>(SendMessage(BM_GETCHECK));
    }
    void SetCheck(int nCheck)
    {
        SendMessage(BM_SETCHECK, static_cast<WPARAM>(nCheck));
    }

  protected:
    // Paints an owner-drawn button.
    virtual void DrawItem(const DRAWITEMSTRUCT &dis)
    {
        static_cast<void>(dis);
    }
};
