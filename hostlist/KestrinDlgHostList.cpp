// The main window's host list file members: the load fills the list, the writers pass the record on.
#include "app/HostRecords.h"
#include "app/HostRows.h"
#include "app/KestrinDlg.h"
#include "hostlist/HostListFile.h"

void CKestrinDlg::LoadHostList() {
  // Normally empty here; a list filled before must not lose its records.
  ReleaseHostRecords();
  m_listHosts.DeleteAllItems();
  int row = 0;
  hostlist::LoadHostList([this, &row](const HostEntry& entry) {
    HostEntry* record = NewHostRecord(entry);
    if (InsertHostRow(m_listHosts, row, record) == -1) {
      DeleteHostRecord(record);
      return;
    }
    ++row;
  });
}

int CKestrinDlg::StoreHostEntry(const HostEntry& entry) { return hostlist::StoreHostEntry(entry); }

void CKestrinDlg::RemoveHostEntry(const HostEntry& entry) { hostlist::RemoveHostEntry(entry); }
