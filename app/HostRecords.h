// The heap records the host list's rows own: one HostEntry per row, made and freed only here.
#pragma once
#include "core/HostEntry.h"

// A new record holding a copy of all 128 bytes of entry. Never null (allocation failure ends the program).
HostEntry* NewHostRecord(const HostEntry& entry);

// Frees a record made by NewHostRecord; null is ignored.
void DeleteHostRecord(HostEntry* record);

// Records made and not yet freed, in the whole process: lets tests see that none is lost.
long LiveHostRecordCount();
