// CAboutDlg: the about box from template 100.
#include "ui/AboutDlg.h"

#include "res/resource.h"
#include "ui/UiText.h"

CAboutDlg::CAboutDlg(bool bEnglish) : CDialog(IDD_ABOUTBOX, nullptr), m_bEnglish(bEnglish)
{
}

CAboutDlg::~CAboutDlg() = default;

BOOL CAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_bEnglish)
    {
        SetWindowText(UiString(UiText::AboutCaption, false));
        // The version line keeps its number; only the word is translated.
        std::wstring version = GetDlgItemText(IDC_ABOUT_VERSION);
        const std::wstring word = UiString(UiText::AboutVersionWord, true);
        const size_t nAt = version.find(word);
        if (nAt != std::wstring::npos)
            SetDlgItemText(IDC_ABOUT_VERSION,
                           version.replace(nAt, word.size(), UiString(UiText::AboutVersionWord, false)));
        SetDlgItemText(IDC_ABOUT_INFO, UiString(UiText::AboutInfo, false));
        SetDlgItemText(IDOK, UiString(UiText::AboutOk, false));
    }
    CenterWindow();
    return TRUE;
}
