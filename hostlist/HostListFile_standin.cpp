// TEMPORARY stand-in for the host list file operations until the real ones are merged; removed then.
#include <cstdio>
#include <cstring>
#include <string>

#include "framework/AfxString.h"
#include "hostlist/HostListFile.h"

namespace hostlist {

void LoadHostList(const std::function<void(const HostEntry&)>& addRow) {
  FILE* file = std::fopen("./MacList.txt", "r");
  if (file == nullptr) return;
  char line[256];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    CString text(line);
    const int first = text.Find(',');
    if (first < 0) continue;
    CString rest = text.Mid(first + 1);
    const int second = rest.Find(',');
    if (second < 0) continue;
    CString broadcast = rest.Mid(second + 1);
    broadcast.TrimRight();
    broadcast.TrimLeft();
    HostEntry entry{};
    const CString mac = text.Left(first);
    const CString alias = rest.Left(second);
    CopyTextToField(entry.szMac, sizeof entry.szMac, mac, static_cast<size_t>(mac.GetLength()));
    CopyTextToField(entry.szAlias, sizeof entry.szAlias, alias, static_cast<size_t>(alias.GetLength()));
    CopyTextToField(entry.szBroadcast, sizeof entry.szBroadcast, broadcast, static_cast<size_t>(broadcast.GetLength()));
    addRow(entry);
  }
  std::fclose(file);
}

namespace {
std::string LineOf(const HostEntry& entry) {
  return std::string(entry.szMac) + "," + entry.szAlias + "," + entry.szBroadcast + "\n";
}
std::string AddressField(const char* line) {
  const char* comma = std::strchr(line, ',');
  return comma ? std::string(line, static_cast<size_t>(comma - line)) : std::string("\x01no comma");
}
}  // namespace

int StoreHostEntry(const HostEntry& entry) {
  const std::string newLine = LineOf(entry);
  FILE* in = std::fopen("./MacList.txt", "r");
  if (in == nullptr) {
    FILE* out = std::fopen("./MacList.txt", "w");
    if (out == nullptr) return -1;
    std::fputs(newLine.c_str(), out);
    return std::fclose(out);
  }
  FILE* out = std::fopen("./MacTemp.txt", "w");
  if (out == nullptr) { std::fclose(in); return -1; }
  bool matched = false;
  char line[256];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (AddressField(line) == entry.szMac) { std::fputs(newLine.c_str(), out); matched = true; }
    else std::fputs(line, out);
  }
  if (!matched) std::fputs(newLine.c_str(), out);
  std::fclose(in);
  std::fclose(out);
  std::remove("./MacList.txt");
  return std::rename("./MacTemp.txt", "./MacList.txt");
}

int RemoveHostEntry(const HostEntry& entry) {
  FILE* in = std::fopen("./MacList.txt", "r");
  if (in == nullptr) return 0;
  FILE* out = std::fopen("./MacTemp.txt", "w");
  if (out == nullptr) { std::fclose(in); return -1; }
  char line[2049];
  while (std::fgets(line, sizeof line, in) != nullptr) {
    if (std::strchr(line, ',') == nullptr || AddressField(line) == entry.szMac) continue;
    std::fputs(line, out);
  }
  std::fclose(in);
  std::fclose(out);
  std::remove("./MacList.txt");
  return std::rename("./MacTemp.txt", "./MacList.txt");
}

}  // namespace hostlist
