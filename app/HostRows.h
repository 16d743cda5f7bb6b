// Rows of the host list: inserting a row that owns its record, reading a row's record, and changing many rows as one batch.
#pragma once
#include <string>
#include <unordered_map>

#include "core/HostEntry.h"
#include "framework/Controls.h"

// Inserts a row at index (neither selected nor focused) showing record's szMac, szAlias and
// szBroadcast in columns 0, 1 and 2, with record as its item data: the row owns it from then on.
// Returns the row's index, or -1 when the list refused the row (record still belongs to the caller).
int InsertHostRow(CListCtrl& list, int index, HostEntry* record);

// The record row nItem owns, or null when it has none (or there is no such row).
HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem);

// The first row of each address text (szMac) in the list, for finding many hosts' rows in one pass.
std::unordered_map<std::string, int> FirstRowOfEachAddress(const CListCtrl& list);

// The list draws nothing while this lives, and its whole client area once at the end: a batch of
// row changes costs one drawing, not one per row.
class ListRedrawOff {
 public:
  explicit ListRedrawOff(CListCtrl& list) : m_list(list) { m_list.SetRedraw(FALSE); }
  ~ListRedrawOff() {
    m_list.SetRedraw(TRUE);
    // WM_SETREDRAW TRUE only lets drawing happen again; what changed meanwhile must be invalidated.
    m_list.Invalidate();
  }
  ListRedrawOff(const ListRedrawOff&) = delete;
  ListRedrawOff& operator=(const ListRedrawOff&) = delete;

 private:
  CListCtrl& m_list;
};
