// CSkinButton: an owner-drawn button painted from bitmaps, shaped by a mask, with an optional tooltip.
#pragma once

#include "framework/Bitmap.h"
#include "framework/Button.h"
#include "framework/ToolTipCtrl.h"

#include <string>

// Posted by a radio-kind skin button to the other controls of its group when it becomes checked.
constexpr UINT WM_SKINBUTTON_UNCHECK = WM_USER + 256;

// A button that paints one bitmap per state (normal, pressed, hover, disabled, focused), takes its
// window shape from a mask (white is outside), tracks hover and press, shows a tooltip, and gives
// owner-drawn buttons check-box and radio-button behaviour when their template style asks for it.
class CSkinButton : public CButton
{
    BEGIN_MSG_MAP(CSkinButton, CButton)
    ON_WM_ERASEBKGND(OnEraseBkgnd)
    ON_WM_LBUTTONDOWN(OnLButtonDown)
    ON_WM_LBUTTONUP(OnLButtonUp)
    ON_WM_MOUSEMOVE(OnMouseMove)
    ON_WM_LBUTTONDBLCLK(OnLButtonDblClk)
    ON_WM_KILLFOCUS(OnKillFocus)
    ON_WM_KEYDOWN(OnKeyDown)
    ON_WM_GETDLGCODE(OnGetDlgCode)
    ON_WM_MOUSELEAVE(OnMouseLeave)
    ON_MESSAGE_VOID(WM_SKINBUTTON_UNCHECK, OnSkinButtonUncheck)
    ON_BM_SETCHECK(OnSetCheck)
    ON_BM_GETCHECK(OnGetCheck)
    END_MSG_MAP()

  public:
    // Button kinds, the values of BS_PUSHBUTTON, BS_CHECKBOX and BS_RADIOBUTTON.
    static constexpr int kPushButton = 0;
    static constexpr int kCheckBox = 2;
    static constexpr int kRadioButton = 4;
    // Draw modes.
    static constexpr short kDrawNormal = 0; // one to one, window resized to the mask
    static constexpr short kDrawStretch = 1;
    static constexpr short kDrawTile = 2;

    CSkinButton();
    ~CSkinButton() override;

    // Loads the faces and the mask by resource id (0: none), sets the draw mode (clamped to 0..2), the
    // border flag and the focus margin (negative: 0), and shapes the window from the mask.
    void ApplySkin(UINT nNormal, UINT nDown, UINT nHover, UINT nDisabled, UINT nFocus, UINT nMask, short nDrawMode,
                   short nBorder, short nFocusMargin);
    // Creates the tooltip on first use, else changes its text.
    void SetTipText(std::wstring text);
    // Names the button through its window text, which screen readers announce, without drawing that
    // text over the faces.
    void SetAccessibleName(const std::wstring &name);

  protected:
    // Classifies the button from its template style and makes it owner-drawn.
    void PreSubclassWindow() override;
    void DrawItem(const DRAWITEMSTRUCT &dis) override;

    // Draws one face into r: mode 0 one to one, 1 stretched, both through the mask if there is one;
    // mode 2 tiled without the mask.
    void PaintSkinBitmap(HDC hDC, HBITMAP hBitmap, RECT r, int nDrawMode);
    void TileSkinBitmap(HDC hDC, HBITMAP hBitmap, int nLeft, int nTop, int nRight, int nBottom);
    // The region of every pixel whose colour differs from crTransparent, or null.
    HRGN BuildMaskRegion(HBITMAP hBitmap, COLORREF crTransparent);
    // Hands a mouse message to the tooltip, if there is one.
    void ForwardToTip(UINT uMsg, UINT nFlags, POINT pt);
    static int BitmapWidth(HBITMAP hBitmap);
    static int BitmapHeight(HBITMAP hBitmap);

    BOOL OnEraseBkgnd(HDC hDC);
    void OnLButtonDown(UINT nFlags, POINT pt);
    void OnLButtonUp(UINT nFlags, POINT pt);
    void OnMouseMove(UINT nFlags, POINT pt);
    void OnLButtonDblClk(UINT nFlags, POINT pt);
    void OnKillFocus(HWND hNewFocus);
    void OnKeyDown(UINT nChar, UINT nRepeatCount, UINT nFlags);
    UINT OnGetDlgCode(const MSG *pMsg);
    void OnMouseLeave();
    LRESULT OnSkinButtonUncheck();
    LRESULT OnSetCheck(int nCheck);
    LRESULT OnGetCheck();

    bool m_bChecked = false;
    int m_nButtonKind = kPushButton;
    bool m_bHover = false;
    bool m_bPressed = false;
    CToolTipCtrl m_tip;
    CBitmap m_bmpNormal;
    CBitmap m_bmpDown;
    CBitmap m_bmpDisabled;
    CBitmap m_bmpMask;
    CBitmap m_bmpHover;
    CBitmap m_bmpFocus;
    short m_nFocusMargin = 0;
    COLORREF m_crText;
    int m_bBorder = FALSE;
    short m_nDrawMode = kDrawStretch;
    bool m_bDrawCaption = true;

  private:
    // The user's check action (release over the button, or space): a check box toggles, a radio
    // button becomes checked. Push buttons ignore it.
    void CheckByUser();
    void PaintFace(HDC hDC, const CBitmap &face, const RECT &r);
    // Posts WM_SKINBUTTON_UNCHECK to the other controls of the dialog group.
    void UncheckGroup();
};
