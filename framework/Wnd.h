// CWnd: a window object linked to its window, dispatching messages through its class's message map.
#pragma once

#include "framework/CmdTarget.h"
#include "framework/MessageMap.h"

#include <windows.h>

#include <string>

// A window object. It is linked to its window in one of three ways: windows of a class registered
// with RegisterWindowClass through GWLP_USERDATA, dialogs through DWLP_USER and subclassing, other
// windows (template controls, system classes) through SetWindowSubclass reference data.
class CWnd : public CCmdTarget
{
    BEGIN_MSG_MAP(CWnd, CCmdTarget)
    ON_WM_HELPINFO(OnHelpInfo)
    ON_WM_DRAWITEM(OnDrawItem)
    END_MSG_MAP()

  public:
    CWnd() = default;
    ~CWnd() override;

    HWND m_hWnd = nullptr;

    HWND GetSafeHwnd() const
    {
        return m_hWnd;
    }

    // Links this object to an existing window (a template control, say): PreSubclassWindow runs
    // first, then the window's messages reach this object's map. False if already linked.
    bool SubclassWindow(HWND hWnd);
    bool SubclassDlgItem(int nId, const CWnd &parent);
    // Ends the link made by SubclassWindow and returns the window.
    HWND UnsubclassWindow();
    // The object linked to a window by this framework, or null.
    static CWnd *FromHandlePermanent(HWND hWnd);

    // Registers a window class whose windows are linked to the object that CreateEx passes.
    static bool RegisterWindowClass(const wchar_t *className, UINT classStyle, HBRUSH hBackground);
    // Creates a window; a class of RegisterWindowClass links at WM_NCCREATE, any other is subclassed.
    bool CreateEx(DWORD dwExStyle, const wchar_t *className, const wchar_t *windowName, DWORD dwStyle, const RECT &rc,
                  HWND hParent, UINT_PTR nIdOrMenu);
    bool DestroyWindow();

    LRESULT SendMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(m_hWnd, uMsg, wParam, lParam);
    }
    bool PostMessage(UINT uMsg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(m_hWnd, uMsg, wParam, lParam) != FALSE;
    }

    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring &text)
    {
        ::SetWindowTextW(m_hWnd, text.c_str());
    }
    HWND GetDlgItem(int nId) const
    {
        return ::GetDlgItem(m_hWnd, nId);
    }
    std::wstring GetDlgItemText(int nId) const;
    void SetDlgItemText(int nId, const std::wstring &text)
    {
        ::SetDlgItemTextW(m_hWnd, nId, text.c_str());
    }
    HWND GetParent() const
    {
        return ::GetParent(m_hWnd);
    }
    DWORD GetStyle() const
    {
        return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE));
    }
    // Removes, then adds style bits.
    void ModifyStyle(DWORD dwRemove, DWORD dwAdd);
    void Invalidate(bool bErase = true)
    {
        ::InvalidateRect(m_hWnd, nullptr, bErase ? TRUE : FALSE);
    }
    bool IsWindowVisible() const
    {
        return ::IsWindowVisible(m_hWnd) != FALSE;
    }
    void ShowWindow(int nCmdShow)
    {
        ::ShowWindow(m_hWnd, nCmdShow);
    }
    void EnableWindow(bool bEnable)
    {
        ::EnableWindow(m_hWnd, bEnable ? TRUE : FALSE);
    }
    bool IsIconic() const
    {
        return ::IsIconic(m_hWnd) != FALSE;
    }
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    void SetFont(HFONT hFont, bool bRedraw = true)
    {
        SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw ? TRUE : FALSE);
    }
    void SetRedraw(bool bRedraw)
    {
        SendMessage(WM_SETREDRAW, bRedraw ? TRUE : FALSE);
    }
    HWND SetFocus()
    {
        return ::SetFocus(m_hWnd);
    }
    HMENU GetSystemMenu(bool bRevert) const
    {
        return ::GetSystemMenu(m_hWnd, bRevert ? TRUE : FALSE);
    }
    void CheckRadioButton(int nFirst, int nLast, int nCheck)
    {
        ::CheckRadioButton(m_hWnd, nFirst, nLast, nCheck);
    }
    // The id of the checked button among nFirst..nLast, or 0.
    int GetCheckedRadioButton(int nFirst, int nLast) const;
    // Centres a top-level window over its owner (over the work area when it has none, or the owner is
    // hidden or minimised), kept within the work area of the owner's monitor.
    void CenterWindow();

    // A modal message box over this window; dialogs may route it elsewhere.
    virtual int ShowMessageBox(const std::wstring &text, UINT nType);

  protected:
    // Called before the window's messages start arriving here; the window exists already.
    virtual void PreSubclassWindow()
    {
    }
    // After the last message (WM_NCDESTROY) of the window; the link is gone.
    virtual void PostNcDestroy()
    {
    }
    virtual LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);
    // The default processing of the message being handled now.
    LRESULT Default();
    LRESULT DefWindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam);

    // F1: a top-level window sends the help command to the main window unless Shift, Ctrl or Alt is down.
    BOOL OnHelpInfo(const HELPINFO &info);
    // Owner drawing belongs to the control: WM_DRAWITEM goes back to the child that asked for it.
    LRESULT OnDrawItem(UINT nId, const DRAWITEMSTRUCT &dis);

    // Links a window by subclassing without PreSubclassWindow (windows this object made).
    bool AttachBySubclass(HWND hWnd);

  private:
    struct CurrentMessage
    {
        UINT uMsg;
        WPARAM wParam;
        LPARAM lParam;
    };

    void Unlink();

    static LRESULT CALLBACK StaticWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR uIdSubclass,
                                         DWORD_PTR dwRefData);

    CurrentMessage m_msgCurrent{};
    bool m_bSubclassed = false;
    bool m_bCreated = false;
};
