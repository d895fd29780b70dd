// Dialog data exchange: the int edit boxes, control binding and range validation.
#include "framework/DataExchange.h"

#include "framework/Wnd.h"

#include <climits>
#include <utility>

CDataExchange::CDataExchange(CWnd &dlgWnd, bool bSaveAndValidate, const ExchangePrompts &prompts)
    : m_bSaveAndValidate(bSaveAndValidate), m_dlgWnd(dlgWnd), m_prompts(prompts)
{
}

HWND CDataExchange::PrepareEditCtrl(int nId)
{
    m_hLastControl = m_dlgWnd.GetDlgItem(nId);
    m_bLastIsEdit = true;
    return m_hLastControl;
}

HWND CDataExchange::PrepareCtrl(int nId)
{
    m_hLastControl = m_dlgWnd.GetDlgItem(nId);
    m_bLastIsEdit = false;
    return m_hLastControl;
}

void CDataExchange::Fail(const std::wstring &message)
{
    m_bFailed = true;
    m_dlgWnd.ShowMessageBox(message, MB_OK | MB_ICONEXCLAMATION);
    if (m_hLastControl == nullptr)
        return;
    ::SetFocus(m_hLastControl);
    if (m_bLastIsEdit)
        ::SendMessageW(m_hLastControl, EM_SETSEL, 0, -1);
}

void DDX_Control(CDataExchange *pDX, int nId, CWnd &control)
{
    if (pDX->HasFailed() || control.m_hWnd != nullptr)
        return;
    control.SubclassWindow(pDX->PrepareCtrl(nId));
}

void DDX_Text(CDataExchange *pDX, int nId, int &value)
{
    if (pDX->HasFailed())
        return;
    HWND hEdit = pDX->PrepareEditCtrl(nId);
    if (!pDX->m_bSaveAndValidate)
    {
        ::SetWindowTextW(hEdit, std::to_wstring(value).c_str());
        return;
    }
    wchar_t buffer[kExchangeTextLimit + 1] = {};
    ::GetWindowTextW(hEdit, buffer, static_cast<int>(kExchangeTextLimit + 1));
    int nScanned = 0;
    if (!ScanDecimalInt(buffer, nScanned))
    {
        pDX->Fail(pDX->m_prompts.strInteger);
        return;
    }
    value = nScanned;
}

void DDV_MinMaxInt(CDataExchange *pDX, int value, int nMin, int nMax)
{
    if (pDX->HasFailed() || !pDX->m_bSaveAndValidate)
        return;
    if (value >= nMin && value <= nMax)
        return;
    std::wstring message = pDX->m_prompts.strIntegerRange;
    for (const auto &[pszMark, nLimit] : {std::pair<const wchar_t *, int>{L"%1", nMin}, {L"%2", nMax}})
    {
        const size_t nAt = message.find(pszMark);
        if (nAt != std::wstring::npos)
            message.replace(nAt, 2, std::to_wstring(nLimit));
    }
    pDX->Fail(message);
}

bool ScanDecimalInt(const std::wstring &text, int &value)
{
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == L' ' || (text[i] >= L'\t' && text[i] <= L'\r')))
        ++i;
    bool bNegative = false;
    if (i < n && (text[i] == L'+' || text[i] == L'-'))
    {
        bNegative = text[i] == L'-';
        ++i;
    }
    if (i >= n || text[i] < L'0' || text[i] > L'9')
        return false;
    // Beyond the int range the magnitude stops growing, so it saturates instead of wrapping.
    const long long nLimit = bNegative ? -static_cast<long long>(INT_MIN) : static_cast<long long>(INT_MAX);
    long long nMagnitude = 0;
    for (; i < n && text[i] >= L'0' && text[i] <= L'9'; ++i)
    {
        nMagnitude = nMagnitude * 10 + (text[i] - L'0');
        if (nMagnitude > nLimit)
            nMagnitude = nLimit;
    }
    value = static_cast<int>(bNegative ? -nMagnitude : nMagnitude);
    return true;
}
