// Rows of the host list: inserting a row that owns its record, and reading a row's record.
#pragma once
#include "core/HostEntry.h"
#include "framework/Controls.h"

// Inserts a row at index (neither selected nor focused) showing record's szMac, szAlias and
// szBroadcast in columns 0, 1 and 2, with record as its item data: the row owns it from then on.
// Returns the row's index, or -1 when the list refused the row (record still belongs to the caller).
int InsertHostRow(CListCtrl& list, int index, HostEntry* record);

// The record row nItem owns, or null when it has none (or there is no such row).
HostEntry* HostRecordOfRow(const CListCtrl& list, int nItem);
