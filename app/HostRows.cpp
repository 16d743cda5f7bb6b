// Host list rows and the records they own.
#include "app/HostRows.h"

int InsertHostRow(CListCtrl& list, int index, HostEntry* record) {
  // Text and record in one message: a row is never without its record.
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = record->szMac;
  item.lParam = reinterpret_cast<LPARAM>(record);
  const int row = list.InsertItem(&item);
  if (row == -1) return -1;
  list.SetItemText(row, 1, record->szAlias);
  list.SetItemText(row, 2, record->szBroadcast);
  return row;
}

HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem) {
  return reinterpret_cast<HostEntry*>(list.GetItemData(nItem));
}

std::unordered_map<std::string, int> FirstRowOfEachAddress(const CListCtrl& list) {
  std::unordered_map<std::string, int> rows;
  const int count = list.GetItemCount();
  for (int item = 0; item < count; ++item) {
    if (const HostEntry* record = HostRecordOfRow(list, item)) rows.emplace(record->szMac, item);
  }
  return rows;
}
