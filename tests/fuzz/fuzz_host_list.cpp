// Fuzzes the host list file: arbitrary file bytes are loaded, then one entry is stored and removed,
// with the checks that hold for any list; which lines survive a rewrite, and how, the native tables
// in tests/native/HostList*Test.cpp check exactly.
// Input: [control][entry length][entry bytes "mac|alias|broadcast"][file bytes...].
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "core/HostEntry.h"
#include "hostlist/HostListFile.h"
#include "tests/support/TestHost.h"

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "host list fuzz check failed: %s\n", what);
    std::abort();
  }
}

std::optional<std::string> ReadList() {
  std::ifstream in("MacList.txt", std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The text before the first comma of the file's line number index (counted around), so that a store
// and a remove may also match a line; without a comma, the whole line.
std::string AddressOfLine(const std::string& file, size_t index) {
  const size_t lineCount = std::count(file.begin(), file.end(), '\n') + 1;
  size_t start = 0;
  for (size_t n = index % lineCount; n > 0; --n) start = file.find('\n', start) + 1;
  const std::string line = file.substr(start, file.find('\n', start) - start);
  return line.substr(0, line.find(','));
}

template <size_t N>
std::string TerminatedText(const char (&field)[N]) {
  const std::string text = FieldText(field);
  Check(text.size() < N, "a field without its terminating zero");
  return text;
}

void RunOne(const uint8_t* data, size_t size) {
  const uint8_t control = data[0];
  const size_t entryLength = std::min<size_t>(data[1] % 48, size - 2);
  const std::string entryBytes(reinterpret_cast<const char*>(data + 2), entryLength);
  const std::string file(reinterpret_cast<const char*>(data + 2 + entryLength), size - 2 - entryLength);
  {
    std::ofstream out("MacList.txt", std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
  }

  // Load: one row at most per line, every field terminated.
  size_t rows = 0;
  hostlist::LoadHostList([&](const HostEntry& row) {
    ++rows;
    TerminatedText(row.szMac);
    TerminatedText(row.szAlias);
    TerminatedText(row.szBroadcast);
  });
  Check(rows <= static_cast<size_t>(std::count(file.begin(), file.end(), '\n')) + 1, "more rows than lines");

  // The entry: from the input bytes, or with the address of one of the file's lines.
  const size_t bar1 = std::min(entryBytes.find('|'), entryBytes.size());
  const size_t bar2 = std::min(entryBytes.find('|', std::min(bar1 + 1, entryBytes.size())), entryBytes.size());
  const std::string mac = (control & 1) ? AddressOfLine(file, control >> 1) : entryBytes.substr(0, bar1);
  const std::string_view bytes(entryBytes);
  const HostEntry entry = MakeHost(std::string_view(mac).substr(0, mac.find('\0')),
                                   bytes.substr(std::min(bar1 + 1, bytes.size()), bar2 - std::min(bar1 + 1, bar2)),
                                   bytes.substr(std::min(bar2 + 1, bytes.size())));
  const std::string newLine = TerminatedText(entry.szMac) + "," + TerminatedText(entry.szAlias) + "," +
                              TerminatedText(entry.szBroadcast);

  // Store: the line is there afterwards, whatever the list held, unless it would split in two.
  if (hostlist::StoreHostEntry(entry) == 0) {
    Check(newLine.find('\n') == std::string::npos, "a line feed inside a text was stored");
    const std::string after = ReadList().value_or("");
    Check(after.find(newLine + "\r\n") != std::string::npos, "the stored line is missing");
    Check(access("MacTemp.txt", F_OK) != 0, "MacTemp.txt left after a store");
  } else {
    Check(newLine.find('\n') != std::string::npos, "store failed");
    Check(ReadList() == file, "a failed store touched the list");
  }
  Check(hostlist::RemoveHostEntry(entry) == 0, "remove failed");
}

}  // namespace

// Each input in a private directory of its own, in memory when /dev/shm is there (flushes to
// disk cost nothing), taken down again after it: libFuzzer ends without running exit handlers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  static const std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
  std::string dir = base + "/kestrin-fuzz-hostlist-XXXXXX";
  const int home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  Check(home >= 0 && mkdtemp(dir.data()) != nullptr && chdir(dir.c_str()) == 0, "cannot enter a scratch directory");
  RunOne(data, size);
  // The list, its copy and the lock a rewrite leaves (as a real run does) go; anything else left fails.
  for (const char* name : {"MacList.txt", "MacTemp.txt", "MacList.lock"}) std::remove(name);
  Check(fchdir(home) == 0 && rmdir(dir.c_str()) == 0, "something was left in the scratch directory");
  close(home);
  return 0;
}
