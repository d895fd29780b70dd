// Dialog data exchange: members to controls and back, with validation.
#pragma once

#include <windows.h>

#include <string>

class CWnd;

// The warnings a refused value brings, in the dialog's language; %1 and %2 stand for the limits.
struct ExchangePrompts
{
    std::wstring strInteger = L"Please enter an integer.";
    std::wstring strIntegerRange = L"Please enter an integer between %1 and %2.";
};

// One run of a dialog's data exchange. The first refused value stops it: the user is told why, the
// offending edit box gets the focus with its text selected, and no later line of the exchange runs.
class CDataExchange
{
  public:
    CDataExchange(CWnd &dlgWnd, bool bSaveAndValidate, const ExchangePrompts &prompts = ExchangePrompts());

    // True: controls to members, with validation. False: members to controls.
    const bool m_bSaveAndValidate;
    CWnd &m_dlgWnd;
    const ExchangePrompts &m_prompts;

    bool HasFailed() const
    {
        return m_bFailed;
    }
    // The control that the next validation failure points at.
    HWND PrepareEditCtrl(int nId);
    HWND PrepareCtrl(int nId);
    // Shows the warning, focuses and selects the last prepared edit box, and stops the exchange.
    void Fail(const std::wstring &message);

  private:
    HWND m_hLastControl = nullptr;
    bool m_bLastIsEdit = false;
    bool m_bFailed = false;
};

// Links control nId to a control object; only the first exchange subclasses it.
void DDX_Control(CDataExchange *pDX, int nId, CWnd &control);
// An int in an edit box: shown as a signed decimal; read from the box's first 63 characters.
void DDX_Text(CDataExchange *pDX, int nId, int &value);
// On saving: value must lie in nMin..nMax.
void DDV_MinMaxInt(CDataExchange *pDX, int value, int nMin, int nMax);

// Reads a decimal integer at the start of text the way "%d" does: leading blanks, an optional sign,
// then digits; anything after the digits is ignored. A number beyond the int range gives INT_MAX or
// INT_MIN. False when no digit follows the blanks and the sign.
bool ScanDecimalInt(const std::wstring &text, int &value);

// How many characters of an edit box the integer exchange reads.
constexpr size_t kExchangeTextLimit = 63;
