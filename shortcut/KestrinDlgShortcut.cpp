// Placeholder for the desktop shortcut's members of the main window, so the program links until they arrive.
#include "app/KestrinDlg.h"

void CKestrinDlg::OnBnClickedIcon() {}

void CKestrinDlg::CreateDesktopShortcut(int) {}

HRESULT CKestrinDlg::CreateShellLink(const char*, const char*, const char*, const char*, const char*, const char*, int,
                                     int) {
  return E_NOTIMPL;
}
