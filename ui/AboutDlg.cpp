// CAboutDlg: the about box from template 100.
#include "ui/AboutDlg.h"

#include "res/resource.h"

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX, nullptr)
{
}

CAboutDlg::~CAboutDlg() = default;
