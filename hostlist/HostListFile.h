// Reading and rewriting the host list file MacList.txt (through MacTemp.txt) in the current directory.
//
// One machine per line: "address,alias,broadcast" ending in CR LF. Lines ending in LF alone are
// read as well. Texts are the bytes they are (the ANSI code page), never converted.
//
// Every rewrite writes the whole new list to MacTemp.txt, flushes it to the disk and then puts it
// in the place of MacList.txt in one step: whatever happens, MacList.txt is the complete old list
// or the complete new one. Rewrites and loads are serialised by one lock for the whole process,
// so the window and the sweep's worker may call these from their own threads.
#pragma once
#include <functional>

#include "core/HostEntry.h"

namespace hostlist {

// Calls addRow once for every line of ./MacList.txt that has at least two commas, in file
// order, duplicates included. The address is the text before the first comma, the alias the
// text up to the second, the broadcast text the rest with white space trimmed at both ends.
// A text too long for its field is cut to fit (31, 63, 31 bytes) without splitting a double-byte
// character, and every field is terminated. Does nothing when the file is missing or cannot be
// read; rows read before a read error are still delivered. The rows are handed over after the
// file is closed and the lock released, so addRow may itself store or remove.
void LoadHostList(const std::function<void(const HostEntry&)>& addRow);

// Replaces every line whose address field equals entry.szMac (byte for byte, case-sensitive)
// with the entry's line, or appends the line when none matches; all other lines keep their
// bytes and order. Creates the list when there is none. Returns 0 when the new list is in place;
// non-zero when MacList.txt was left as it was: the list exists but cannot be read, MacTemp.txt
// cannot be written in full, MacList.txt is read-only or cannot be replaced, a text of the entry
// holds a line feed (it would split the line in two), or a line of the list exceeds 64 MiB.
int StoreHostEntry(const HostEntry& entry);

// Removes every line whose address field equals entry.szMac and every line without a comma; all
// other lines keep their bytes and order. Returns 0 when the new list is in place or there is no
// list (nothing is created then); non-zero, for the reasons above, when it was left as it was.
int RemoveHostEntry(const HostEntry& entry);

}  // namespace hostlist
