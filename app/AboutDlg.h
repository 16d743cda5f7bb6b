// CAboutDlg: the About box (template 100), opened from the main window's system menu.
#pragma once
#include "framework/Dialog.h"
#include "res/resource.h"

class CAboutDlg : public CDialog {
 public:
  enum { IDD = IDD_ABOUTBOX };

  CAboutDlg() : CDialog(IDD) {}
  ~CAboutDlg() override = default;

 protected:
  void DoDataExchange(CDataExchange* pDX) override { CDialog::DoDataExchange(pDX); }

  DECLARE_MESSAGE_MAP()
};
