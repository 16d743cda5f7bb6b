// Reading and rewriting the host list file MacList.txt (through MacTemp.txt) in the current directory.
#pragma once
#include <functional>

#include "core/HostEntry.h"

namespace hostlist {

// Calls addRow once for every valid line of ./MacList.txt (at least two commas), in file order,
// with every field terminated and within its size. Does nothing when the file cannot be opened.
void LoadHostList(const std::function<void(const HostEntry&)>& addRow);

// Replaces every line whose address field equals entry.szMac (byte for byte, case-sensitive)
// with the entry's line, or appends the line when none matches. Returns 0 when the new list is
// in place; non-zero when MacList.txt was left as it was.
int StoreHostEntry(const HostEntry& entry);

// Removes every line whose address field equals entry.szMac and every line without a comma.
// Returns 0 when the new list is in place (or there was no list); non-zero when it was left as it was.
int RemoveHostEntry(const HostEntry& entry);

}  // namespace hostlist
