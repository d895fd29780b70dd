// CAboutDlg: the about box.
#pragma once

#include "framework/Dialog.h"

// The about box, shown modally from the main dialog's system menu; everything is the dialog default.
class CAboutDlg : public CDialog
{
  public:
    CAboutDlg();
    ~CAboutDlg() override;
};
