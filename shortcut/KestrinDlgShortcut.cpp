// The main window's Icon button: one desktop shortcut per selected host, each waking that one machine.
#include "app/HostRows.h"
#include "app/KestrinDlg.h"
#include "shortcut/DesktopShortcut_win32.h"

void CKestrinDlg::OnBnClickedIcon() {
  for (int item = m_listHosts.GetNextItem(-1, LVNI_SELECTED); item != -1;
       item = m_listHosts.GetNextItem(item, LVNI_SELECTED)) {
    CreateDesktopShortcut(item);
  }
}

void CKestrinDlg::CreateDesktopShortcut(int nItem) {
  const HostEntry* record = HostRecordOfRow(m_listHosts, nItem);
  if (record == nullptr) return;
  // Nothing is reported: a host without a shortcut simply has none on the desktop.
  shortcut::PlaceDesktopShortcut(*record, GetSafeHwnd());
}
