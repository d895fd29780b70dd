// CDialog: a dialog from a template, modal or modeless, with data exchange.
#pragma once

#include "framework/DataExchange.h"
#include "framework/Wnd.h"

// A dialog built from a template resource. Its window is subclassed when WM_INITDIALOG arrives, so
// the class's message map sees every later message and Default() is the system's dialog handling.
// Commands that no map entry handles go on to the application object.
class CDialog : public CWnd
{
    BEGIN_MSG_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
    ON_WM_COMMAND(OnCommand)
    END_MSG_MAP()

  public:
    explicit CDialog(UINT nIdTemplate, CWnd *pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally over its parent (or, without one, over the main or active window).
    // Returns the value given to EndDialog, or -1 when the dialog could not be created.
    INT_PTR DoModal();
    // Creates the dialog modeless. True when its window exists.
    bool Create(CWnd *pParentWnd = nullptr);
    void EndDialog(int nResult);

    // Runs the data exchange: true saves and validates the controls' contents into the members,
    // false shows the members in the controls. False when a value was refused.
    bool UpdateData(bool bSaveAndValidate = true);

    // The dialog object linked to a dialog window, or null.
    static CDialog *FromHandle(HWND hWnd);

  protected:
    // The first data exchange (controls from members); TRUE lets the system focus the first control.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange *pDX);
    // IDOK: validate, then end with IDOK.
    virtual void OnOK();
    // IDCANCEL (Escape, the close box, Close in the system menu): end with IDCANCEL.
    virtual void OnCancel();

    UINT m_nIdTemplate;
    CWnd *m_pParentWnd;
    // The warnings of the data exchange, in the dialog's language.
    ExchangePrompts m_exchangePrompts;

    // A command no entry took: from a menu or an accelerator (no control) it goes on to the application.
    LRESULT OnCommand(UINT nId, UINT nCode, HWND hControl);

  private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
};
