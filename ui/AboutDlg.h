// CAboutDlg: the about box.
#pragma once

#include "framework/Dialog.h"

// The about box, shown modally from the main dialog's system menu, centred over it, in the main
// dialog's language; everything else is the dialog default.
class CAboutDlg : public CDialog
{
  public:
    explicit CAboutDlg(bool bEnglish = true);
    ~CAboutDlg() override;

  protected:
    BOOL OnInitDialog() override;

  private:
    bool m_bEnglish;
};
