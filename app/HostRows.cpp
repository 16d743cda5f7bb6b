// Host list rows and the records they own.
#include "app/HostRows.h"

#include "app/HostRecords.h"

HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem) {
  return reinterpret_cast<HostEntry*>(list.GetItemData(nItem));
}

HostRowBatch::HostRowBatch(CListCtrl& list)
    : m_list(list),
      m_listViewProc(reinterpret_cast<WNDPROC>(::GetClassLongPtrW(list.GetSafeHwnd(), GCLP_WNDPROC))) {
  m_list.SetRedraw(FALSE);
}

HostRowBatch::~HostRowBatch() {
  m_list.SetRedraw(TRUE);
  // WM_SETREDRAW TRUE only lets drawing happen again; what changed meanwhile must be invalidated.
  m_list.Invalidate();
}

LRESULT HostRowBatch::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::CallWindowProcW(m_listViewProc, m_list.GetSafeHwnd(), message, wParam, lParam);
}

int HostRowBatch::Count() { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }

int HostRowBatch::NextSelected(int row) {
  return static_cast<int>(Send(LVM_GETNEXTITEM, static_cast<WPARAM>(row), MAKELPARAM(LVNI_SELECTED, 0)));
}

HostEntry* HostRowBatch::RecordOf(int row) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return Send(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? reinterpret_cast<HostEntry*>(item.lParam) : nullptr;
}

int HostRowBatch::Insert(int index, HostEntry* record) {
  // Text and record in one message: a row is never without its record.
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = index;
  item.pszText = record->szMac;
  item.lParam = reinterpret_cast<LPARAM>(record);
  const int row = static_cast<int>(Send(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
  if (row != -1) SetTexts(row, record->szAlias, record->szBroadcast);
  return row;
}

void HostRowBatch::SetTexts(int row, const char* alias, const char* broadcast) {
  LVITEMA item{};
  item.iSubItem = 1;
  item.pszText = const_cast<char*>(alias);
  Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  item.iSubItem = 2;
  item.pszText = const_cast<char*>(broadcast);
  Send(LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void HostRowBatch::DeleteWithRecord(int row) {
  HostEntry* record = RecordOf(row);
  Send(LVM_DELETEITEM, static_cast<WPARAM>(row));
  DeleteHostRecord(record);
}

std::unordered_map<std::string, int> HostRowBatch::FirstRowOfEachAddress() {
  std::unordered_map<std::string, int> rows;
  const int count = Count();
  for (int row = 0; row < count; ++row) {
    if (const HostEntry* record = RecordOf(row)) rows.emplace(record->szMac, row);
  }
  return rows;
}
