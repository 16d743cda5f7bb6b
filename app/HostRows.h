// Rows of the host list: a row's record, and rows read and changed as one batch, each row owning its record.
#pragma once
#include <string>
#include <unordered_map>

#include "core/HostEntry.h"
#include "framework/Controls.h"

// The record row nItem owns, or null when it has none (or there is no such row).
HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem);

// Many rows read and changed as one batch: the list draws nothing while this lives, and its
// whole client area once at the end. The rows' messages go straight to the list view's own
// procedure: none of the list's subclasses handles them, and under wine each message that passes
// a subclass costs round trips to the server, which made 10,000 rows take seconds.
class HostRowBatch {
 public:
  explicit HostRowBatch(CListCtrl& list);
  ~HostRowBatch();
  HostRowBatch(const HostRowBatch&) = delete;
  HostRowBatch& operator=(const HostRowBatch&) = delete;

  int Count();
  // The next selected row after row (-1: from the first), or -1.
  int NextSelected(int row);
  HostEntry* RecordOf(int row);
  // Inserts a row at index (neither selected nor focused) showing record's szMac, szAlias and
  // szBroadcast in columns 0, 1 and 2, with record as its item data: the row owns it from then on.
  // Returns the row's index, or -1 when the list refused the row (record still belongs to the caller).
  int Insert(int index, HostEntry* record);
  // Columns 1 and 2 show alias and broadcast.
  void SetTexts(int row, const char* alias, const char* broadcast);
  // Deletes the row and then frees its record.
  void DeleteWithRecord(int row);
  // The first row of each address text (szMac).
  std::unordered_map<std::string, int> FirstRowOfEachAddress();

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  CListCtrl& m_list;
  WNDPROC m_listViewProc;
};
