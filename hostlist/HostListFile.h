// Reading and rewriting the host list file MacList.txt (through MacTemp.txt) in the current directory.
//
// One machine per line: "address,alias,broadcast" ending in CR LF. Lines ending in LF alone are
// read as well. Texts are the bytes they are (the ANSI code page), never converted, with one
// exception: a list saved as UTF-8 by another program (it begins with the UTF-8 byte-order mark,
// or its bytes are all valid UTF-8 and hold at least one multi-byte sequence) is read converted to
// the ANSI code page, "?" for what that lacks, and a rewrite of it writes every line so converted.
//
// Every rewrite writes the whole new list to MacTemp.txt, flushes it to the disk and then puts it
// in the place of MacList.txt in one step: whatever happens, MacList.txt is the complete old list
// or the complete new one. Rewrites and loads are serialised across threads and across every
// process working in the same folder: each takes a lock on ./MacList.lock, an empty file beside
// the list that is created when first needed and never removed. The system drops the lock when
// its holder ends, however it ends, so nothing is ever left locked. A rewrite that finds the
// lock held waits for it a few seconds at most (the other's rewrite normally takes milliseconds)
// and then gives up without touching the list; each rewrite reads the list as it is once it
// holds the lock, so the changes of two processes both end up in it. A replace refused because
// some other program holds MacList.txt open for a moment is tried again for about a second,
// within the same few seconds; a replace that fails in the end removes MacTemp.txt.
#pragma once
#include <functional>
#include <vector>

#include "core/HostEntry.h"

namespace hostlist {

// Results of StoreHostEntry and RemoveHostEntry.
constexpr int kStored = 0;
constexpr int kNotStored = 1;  // MacList.txt was left as it was
constexpr int kListBusy = 2;   // ... because another process held the list (or another program
                               // held MacList.txt open) for all of the wait

// How long a rewrite waits when another process holds the list.
enum class LockWait {
  kBounded,  // a few seconds
  kTryOnce,  // not at all: for the later changes of an action whose wait has already run out
};

// Calls addRow once for every line of ./MacList.txt that has at least two commas, in file
// order, duplicates included. The address is the text before the first comma, the alias the
// text up to the second, the broadcast text the rest with white space trimmed at both ends.
// A text too long for its field is cut to fit (31, 63, 31 bytes) without splitting a double-byte
// character, and every field is terminated. Does nothing when the file is missing or cannot be
// read; rows read before a read error are still delivered. The rows are handed over after the
// file is closed and the lock released, so addRow may itself store or remove. Without a list it
// creates nothing; when the lock cannot be had (a folder we may only read, another process
// stuck) it reads the list all the same, since a read never changes it.
void LoadHostList(const std::function<void(const HostEntry&)>& addRow);

// Replaces every line whose address field equals entry.szMac (byte for byte, case-sensitive)
// with the entry's line, or appends the line when none matches; all other lines keep their
// bytes and order (their converted bytes, for a list saved as UTF-8). Creates the list when
// there is none. Returns kStored when the new list is in place; kListBusy when another process
// held the list, or another program held MacList.txt open, for all of the wait; kNotStored when
// MacList.txt was left as it was for another reason: the lock file cannot be created, the list
// exists but cannot be read, MacTemp.txt cannot be written in full, MacList.txt is read-only or
// cannot be replaced, a text of the entry holds a line feed (it would split the line in two), or
// a line of the list exceeds 64 MiB.
int StoreHostEntry(const HostEntry& entry, LockWait wait = LockWait::kBounded);

// Removes every line whose address field equals entry.szMac and every line without a comma; all
// other lines keep their bytes and order (converted, as above). Returns kStored when the new
// list is in place or there is no list (nothing is created then, not even the lock file);
// kListBusy or kNotStored, for the reasons above, when it was left as it was.
int RemoveHostEntry(const HostEntry& entry, LockWait wait = LockWait::kBounded);

// The changes of one action, many hosts at once, in one rewrite: MacList.txt ends with exactly
// the bytes that StoreHostEntry (or RemoveHostEntry) called for each entry in turn would leave,
// or stays as it was. An entry stored twice leaves its later line in the place of its first. (An
// address with a comma in it is stored in a rewrite of its own: its line's address field is not
// its own.) The result is that of the first change not stored, or kStored; StoreHostEntries
// stores the others all the same, and refuses an entry with a line feed in a text as
// StoreHostEntry does. No entries: kStored, and nothing is touched.
int StoreHostEntries(const std::vector<HostEntry>& entries, LockWait wait = LockWait::kBounded);
int RemoveHostEntries(const std::vector<HostEntry>& entries, LockWait wait = LockWait::kBounded);

}  // namespace hostlist
