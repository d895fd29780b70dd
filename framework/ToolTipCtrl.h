// CToolTipCtrl: a tooltip window with tools identified by their window handles.
#pragma once

#include "framework/Wnd.h"

#include <string>

// A tooltip window. It is a popup owned by the window given to Create and goes with it.
class CToolTipCtrl : public CWnd
{
  public:
    bool Create(CWnd *pOwnerWnd, DWORD dwStyle = 0);
    // Adds the whole window hTool as a tool with this text.
    bool AddTool(HWND hTool, const std::wstring &text);
    void UpdateTipText(HWND hTool, const std::wstring &text);
    void Activate(bool bActivate);
    // Hands a mouse message of a tool to the tooltip, which decides when to show itself.
    void RelayEvent(const MSG &msg);
    int GetToolCount() const;
};
