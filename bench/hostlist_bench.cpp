// Times StoreHostEntry and RemoveHostEntry on lists of 1,000 and 10,000 lines (flush to disk
// included) and prints the median per operation, with what the lock every process shares adds
// to each of them: taking and releasing MacList.lock.
// Usage: kestrin_hostlist_bench [work directory] [repetitions]
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "core/HostEntry.h"
#include "hostlist/HostFileIo.h"
#include "hostlist/HostListFile.h"

namespace {

std::string MacText(int index) {
  char text[16];
  std::snprintf(text, sizeof(text), "02%010X", static_cast<unsigned>(index));
  return text;
}

HostEntry Entry(int index, const char* aliasPrefix) {
  HostEntry entry{};
  CopyTextToField(entry.szMac, MacText(index).c_str());
  CopyTextToField(entry.szAlias, (aliasPrefix + std::to_string(index)).c_str());
  CopyTextToField(entry.szBroadcast, "127.0.0.1");
  return entry;
}

void WriteList(int lines) {
  std::ofstream out("MacList.txt", std::ios::binary | std::ios::trunc);
  for (int i = 0; i < lines; ++i) out << MacText(i) << ",host " << i << ",127.0.0.1\r\n";
}

double Milliseconds(const std::function<int()>& operation) {
  const auto start = std::chrono::steady_clock::now();
  if (operation() != 0) {
    std::fprintf(stderr, "a host list operation failed\n");
    std::exit(1);
  }
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> samples) {
  std::sort(samples.begin(), samples.end());
  const size_t middle = samples.size() / 2;
  return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

struct Figures {
  double replace, append, remove, lock;
};

// The part of every rewrite that other processes make necessary, as a rewrite takes it.
double LockMilliseconds() {
  return Milliseconds([] {
    hostlist::io::LockFile lock;
    return lock.TryLock("./MacList.lock") == hostlist::io::LockFile::Result::kLocked ? 0 : 1;
  });
}

// Each timed call is paired with an untimed one that restores the list's length.
Figures Measure(int lines, int repetitions) {
  WriteList(lines);
  std::vector<double> replace, append, remove, lock;
  for (int r = 0; r < repetitions; ++r) {
    const int middle = lines / 2 + r;
    replace.push_back(Milliseconds([&] {
      return hostlist::StoreHostEntry(Entry(middle, r % 2 ? "renamed " : "host "));
    }));
    append.push_back(Milliseconds([&] { return hostlist::StoreHostEntry(Entry(lines + r, "new ")); }));
    hostlist::RemoveHostEntry(Entry(lines + r, ""));
    remove.push_back(Milliseconds([&] { return hostlist::RemoveHostEntry(Entry(r, "")); }));
    hostlist::StoreHostEntry(Entry(r, "host "));
    lock.push_back(LockMilliseconds());
  }
  return {Median(replace), Median(append), Median(remove), Median(lock)};
}

}  // namespace

int main(int argc, char** argv) {
  const std::string base = argc > 1 ? argv[1] : ".";
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 31;
  std::string pattern = base + "/kestrin-hostlist-bench-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr || chdir(pattern.c_str()) != 0) {
    std::perror(pattern.c_str());
    return 1;
  }
  std::printf("host list rewrites in %s, median of %d, each with its flush (fsync)\n", base.c_str(), repetitions);
  std::printf("%8s %15s %15s %15s %12s %13s\n", "lines", "store/replace", "store/append", "remove", "of it: lock",
              "lock/replace");
  Figures small{}, large{};
  for (const int lines : {1000, 10000}) {
    const Figures f = Measure(lines, repetitions);
    (lines == 1000 ? small : large) = f;
    std::printf("%8d %12.3f ms %12.3f ms %12.3f ms %9.3f ms %12.1f%%\n", lines, f.replace, f.append, f.remove, f.lock,
                100 * f.lock / f.replace);
  }
  std::printf("%8s %14.1fx %14.1fx %14.1fx\n", "10k/1k", large.replace / small.replace,
              large.append / small.append, large.remove / small.remove);
  if (chdir(base.c_str()) != 0) return 1;
  std::filesystem::remove_all(pattern);
  return 0;
}
