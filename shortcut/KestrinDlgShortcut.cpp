// The main window's Icon button: one desktop shortcut per selected host, each waking that one machine.
#include "app/HostRows.h"
#include "app/KestrinDlg.h"
#include "framework/MessageBox.h"
#include "shortcut/DesktopShortcut_win32.h"

#include <string>
#include <vector>

void CKestrinDlg::OnBnClickedIcon() {
  if (m_listHosts.GetSelectedCount() == 0) {
    AfxMessageBox(IDS_SELECT_ITEMS_FOR_SHORTCUTS, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // In row order, so of hosts that would share a name the first by row keeps it.
  std::vector<std::string> namesTaken;
  for (int item = m_listHosts.GetNextItem(-1, LVNI_SELECTED); item != -1;
       item = m_listHosts.GetNextItem(item, LVNI_SELECTED)) {
    CreateDesktopShortcut(item, &namesTaken);
  }
}

void CKestrinDlg::CreateDesktopShortcut(int nItem, std::vector<std::string>* namesTaken) {
  const HostEntry* record = HostRecordOfRow(m_listHosts, nItem);
  if (record == nullptr) return;
  // Nothing is reported: a host without a shortcut simply has none on the desktop.
  shortcut::PlaceDesktopShortcut(*record, GetSafeHwnd(), namesTaken);
}
