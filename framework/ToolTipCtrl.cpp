// CToolTipCtrl: tooltip creation and tools.
#include "framework/ToolTipCtrl.h"

#include <commctrl.h>

namespace
{
// A tool that is a whole window, with the full-size (common controls 6) record.
TOOLINFOW WindowTool(HWND hTool, const std::wstring &text)
{
    TOOLINFOW ti{};
    ti.cbSize = sizeof(TOOLINFOW);
    ti.uFlags = TTF_IDISHWND;
    ti.hwnd = hTool;
    ti.uId = reinterpret_cast<UINT_PTR>(hTool);
    ti.lpszText = const_cast<wchar_t *>(text.c_str());
    return ti;
}
} // namespace

bool CToolTipCtrl::Create(CWnd *pOwnerWnd, DWORD dwStyle)
{
    const RECT rc{CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT};
    return CreateEx(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | dwStyle, rc,
                    pOwnerWnd != nullptr ? pOwnerWnd->m_hWnd : nullptr, 0);
}

bool CToolTipCtrl::AddTool(HWND hTool, const std::wstring &text)
{
    TOOLINFOW ti = WindowTool(hTool, text);
    return SendMessage(TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti)) != FALSE;
}

void CToolTipCtrl::UpdateTipText(HWND hTool, const std::wstring &text)
{
    TOOLINFOW ti = WindowTool(hTool, text);
    SendMessage(TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
}

void CToolTipCtrl::Activate(bool bActivate)
{
    SendMessage(TTM_ACTIVATE, bActivate ? TRUE : FALSE);
}

void CToolTipCtrl::RelayEvent(const MSG &msg)
{
    SendMessage(TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&msg));
}

int CToolTipCtrl::GetToolCount() const
{
    return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT));
}
