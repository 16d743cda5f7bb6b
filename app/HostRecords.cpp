// Making and freeing the rows' host records, with a count of the live ones.
#include "app/HostRecords.h"

#include <atomic>

namespace {
std::atomic<long> g_liveRecords{0};
}

HostEntry* NewHostRecord(const HostEntry& entry) {
  auto* record = new HostEntry;
  std::memcpy(record, &entry, sizeof(HostEntry));
  ++g_liveRecords;
  return record;
}

void DeleteHostRecord(HostEntry* record) {
  if (record == nullptr) return;
  delete record;
  --g_liveRecords;
}

long LiveHostRecordCount() { return g_liveRecords.load(); }
