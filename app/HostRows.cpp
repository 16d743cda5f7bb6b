// Host list rows and the records they own.
#include "app/HostRows.h"

int InsertHostRow(CListCtrl& list, int index, HostEntry* record) {
  const int row = list.InsertItem(index, record->szMac);
  if (row == -1) return -1;
  list.SetItemText(row, 1, record->szAlias);
  list.SetItemText(row, 2, record->szBroadcast);
  if (!list.SetItemData(row, reinterpret_cast<DWORD_PTR>(record))) {
    list.DeleteItem(row);  // a row without its record would show a host nothing can wake
    return -1;
  }
  return row;
}

HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem) {
  return reinterpret_cast<HostEntry*>(list.GetItemData(nItem));
}
