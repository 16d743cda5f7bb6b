// Fuzzes the host list file: arbitrary file bytes are loaded, then one entry is stored and removed,
// and every line that did not match must come through byte for byte (a list that reads as UTF-8 is
// converted instead: then its lines are checked for what survives any conversion).
// Input: [control][entry length][entry bytes "mac|alias|broadcast"][file bytes...].
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// What the list holds, worked out independently of the code under test.
std::vector<std::string> SplitLines(const std::string& file) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    const size_t lineFeed = file.find('\n', start);
    if (lineFeed == std::string::npos) {
      lines.push_back(file.substr(start));
      break;
    }
    std::string line = file.substr(start, lineFeed - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = lineFeed + 1;
  }
  return lines;
}

bool IsLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Positions of the commas that start a character.
std::vector<size_t> Commas(const std::string& line) {
  std::vector<size_t> commas;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] == ',') commas.push_back(i);
    else if (IsLeadByte(static_cast<unsigned char>(line[i]))) ++i;
  }
  return commas;
}

// Whether the list reads as UTF-8: the byte-order mark, or only well-formed sequences (by the
// code points they decode to) with at least one of more than a byte.
bool LooksUtf8(const std::string& file) {
  if (file.compare(0, 3, "\xEF\xBB\xBF") == 0) return true;
  bool multiByte = false;
  for (size_t i = 0; i < file.size();) {
    const unsigned char c = static_cast<unsigned char>(file[i]);
    const size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || i + length > file.size()) return false;
    uint32_t code = length == 1 ? c : c & (0x7Fu >> length);
    for (size_t k = 1; k < length; ++k) {
      const unsigned char b = static_cast<unsigned char>(file[i + k]);
      if ((b & 0xC0) != 0x80) return false;
      code = (code << 6) | (b & 0x3Fu);
    }
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    multiByte = multiByte || length > 1;
    i += length;
  }
  return multiByte;
}

std::optional<std::string> AddressField(const std::string& line) {
  const std::vector<size_t> commas = Commas(line);
  if (commas.empty()) return std::nullopt;
  return line.substr(0, commas[0]);
}

template <size_t N>
std::string TerminatedText(const char (&field)[N]) {
  const std::string text = FieldText(field);
  Check(text.size() < N, "a field without its terminating zero");
  return text;
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string file;
  for (const std::string& line : lines) file += line + "\r\n";
  return file;
}

void RunOne(const uint8_t* data, size_t size) {
  const uint8_t control = data[0];
  const size_t entryLength = std::min<size_t>(data[1] % 48, size - 2);
  const std::string entryBytes(reinterpret_cast<const char*>(data + 2), entryLength);
  const std::string file(reinterpret_cast<const char*>(data + 2 + entryLength), size - 2 - entryLength);
  const std::vector<std::string> lines = SplitLines(file);

  {
    std::ofstream out("MacList.txt", std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
  }

  // Load: one row per line with two commas, in order, every field terminated.
  std::vector<HostEntry> rows;
  hostlist::LoadHostList([&](const HostEntry& row) { rows.push_back(row); });
  const bool utf8 = LooksUtf8(file);
  if (utf8) {
    // Converted lines: still one row at most per line, every field terminated.
    Check(rows.size() <= lines.size(), "more rows than lines");
    for (const HostEntry& row : rows) {
      TerminatedText(row.szMac);
      TerminatedText(row.szAlias);
      TerminatedText(row.szBroadcast);
    }
  }
  size_t rowIndex = 0;
  for (const std::string& line : utf8 ? std::vector<std::string>() : lines) {
    if (Commas(line).size() < 2) continue;
    Check(rowIndex < rows.size(), "a line with two commas loaded no row");
    const std::string mac = TerminatedText(rows[rowIndex].szMac);
    TerminatedText(rows[rowIndex].szAlias);
    TerminatedText(rows[rowIndex].szBroadcast);
    Check(line.compare(0, mac.size(), mac) == 0, "a row's address is not the start of its line");
    ++rowIndex;
  }
  Check(utf8 || rowIndex == rows.size(), "more rows than lines with two commas");

  // The entry: from the input bytes, or with the address of one of the file's lines.
  const size_t bar1 = std::min(entryBytes.find('|'), entryBytes.size());
  const size_t bar2 = std::min(entryBytes.find('|', std::min(bar1 + 1, entryBytes.size())), entryBytes.size());
  std::string mac = entryBytes.substr(0, bar1);
  if ((control & 1) && !lines.empty()) {
    if (auto address = AddressField(lines[(control >> 1) % lines.size()])) mac = *address;
  }
  const std::string_view bytes(entryBytes);
  const HostEntry entry = MakeHost(std::string_view(mac).substr(0, mac.find('\0')),
                                   bytes.substr(std::min(bar1 + 1, bytes.size()), bar2 - std::min(bar1 + 1, bar2)),
                                   bytes.substr(std::min(bar2 + 1, bytes.size())));
  const std::string key = TerminatedText(entry.szMac);
  const std::string newLine = key + "," + TerminatedText(entry.szAlias) + "," + TerminatedText(entry.szBroadcast);
  const bool refusable = newLine.find('\n') != std::string::npos;

  // Store: matching lines replaced in place, or the line appended; all others byte for byte.
  std::vector<std::string> stored;
  bool matched = false;
  for (const std::string& line : lines) {
    const auto address = AddressField(line);
    const bool match = address && *address == key;
    matched = matched || match;
    stored.push_back(match ? newLine : line);
  }
  if (!matched) stored.push_back(newLine);
  const int storeResult = hostlist::StoreHostEntry(entry);
  if (storeResult == 0) {
    Check(!refusable, "a line feed inside a text was stored");
    const std::string after = ReadList().value_or("");
    if (utf8) {
      Check(after.compare(0, 3, "\xEF\xBB\xBF") != 0, "the byte-order mark was kept");
      Check(after.find(newLine + "\r\n") != std::string::npos, "the stored line is missing");
    } else {
      Check(after == Joined(stored), "store changed lines it should have kept");
    }
    Check(access("MacTemp.txt", F_OK) != 0, "MacTemp.txt left after a store");
  } else {
    Check(refusable, "store failed");
    Check(ReadList() == file, "a failed store touched the list");
  }

  // Remove: matching lines and lines without a comma go; all others byte for byte, unless the
  // list now reads as UTF-8 (the stored line may have made it so) and is converted.
  const std::string beforeRemove = ReadList().value_or("");
  if (LooksUtf8(beforeRemove)) {
    Check(hostlist::RemoveHostEntry(entry) == 0, "remove failed");
    return;
  }
  std::vector<std::string> kept;
  for (const std::string& line : SplitLines(beforeRemove)) {
    const auto address = AddressField(line);
    if (address && *address != key) kept.push_back(line);
  }
  Check(hostlist::RemoveHostEntry(entry) == 0, "remove failed");
  Check(ReadList() == Joined(kept), "remove changed lines it should have kept");
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
