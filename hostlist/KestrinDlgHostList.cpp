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

namespace {

// Once an action has waited its few seconds for another process in vain, its later changes try
// once: a Delete of many rows or a sweep must not freeze the window for a wait per host.
hostlist::LockWait LockWaitAfter(const CKestrinDlg::ListSaveTally* tally) {
  return tally != nullptr && tally->listBusy ? hostlist::LockWait::kTryOnce : hostlist::LockWait::kBounded;
}

int Tally(int result, CKestrinDlg::ListSaveTally* tally) {
  if (tally == nullptr || result == hostlist::kStored) return result;
  tally->notSaved = true;
  if (result == hostlist::kListBusy) tally->listBusy = true;
  return result;
}

}  // namespace

int CKestrinDlg::StoreHostEntry(const HostEntry& entry, ListSaveTally* tally) {
  return Tally(hostlist::StoreHostEntry(entry, LockWaitAfter(tally)), tally);
}

int CKestrinDlg::RemoveHostEntry(const HostEntry& entry, ListSaveTally* tally) {
  return Tally(hostlist::RemoveHostEntry(entry, LockWaitAfter(tally)), tally);
}
