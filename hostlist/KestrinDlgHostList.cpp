// The main window's host list file members: the load fills the list, the writers pass the records on.
#include "app/HostRecords.h"
#include "app/HostRows.h"
#include "app/KestrinDlg.h"
#include "hostlist/HostListFile.h"

void CKestrinDlg::LoadHostList() {
  // Normally empty here; a list filled before must not lose its records.
  ReleaseHostRecords();
  m_listHosts.DeleteAllItems();
  std::vector<HostEntry> entries;
  hostlist::LoadHostList([&entries](const HostEntry& entry) { entries.push_back(entry); });
  // Sized once and drawn once, when all rows are in: a long list shows at once.
  m_listHosts.SetItemCount(static_cast<int>(entries.size()));
  HostRowBatch rows(m_listHosts);
  int row = 0;
  for (const HostEntry& entry : entries) {
    HostEntry* record = NewHostRecord(entry);
    if (rows.Insert(row, record) == -1) {
      DeleteHostRecord(record);
      continue;
    }
    ++row;
  }
}

namespace {

// Once an action has waited its few seconds for another process in vain, its later changes try
// once: a sweep must not freeze the window for a wait per batch of hosts.
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

int CKestrinDlg::StoreHostEntries(const std::vector<HostEntry>& entries, ListSaveTally* tally) {
  return Tally(hostlist::StoreHostEntries(entries, LockWaitAfter(tally)), tally);
}

int CKestrinDlg::RemoveHostEntries(const std::vector<HostEntry>& entries, ListSaveTally* tally) {
  return Tally(hostlist::RemoveHostEntries(entries, LockWaitAfter(tally)), tally);
}
