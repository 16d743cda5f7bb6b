// Placeholder for the subnet sweep's members of the main window, so the program links until the sweep arrives.
#include "app/KestrinDlg.h"

void CKestrinDlg::OnBnClickedAutoAcquire() {}

UINT CKestrinDlg::SweepThreadProc(void*) { return 0; }

std::string CKestrinDlg::GetLocalAddress() { return std::string(); }

std::string CKestrinDlg::ResolveMacText(const std::string&) { return std::string(); }

LRESULT CKestrinDlg::OnSweepHostFound(WPARAM, LPARAM) { return 0; }

LRESULT CKestrinDlg::OnSweepFinished(WPARAM, LPARAM) { return 0; }

void CKestrinDlg::OnDestroy() { CDialog::OnDestroy(); }
