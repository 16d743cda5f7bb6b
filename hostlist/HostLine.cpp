// Splitting and composing host lines, character by character in the ANSI code page.
#include "hostlist/HostLine.h"

#include <cstring>

#include "framework/AfxString.h"
#include "framework/Mbcs.h"

namespace hostlist {

size_t FindComma(std::string_view line, size_t from) {
  size_t pos = from;
  while (pos < line.size()) {
    if (line[pos] == ',') return pos;
    pos += mbcs::CharLength(line.data() + pos, line.size() - pos);  // a lead byte takes the next byte with it
  }
  return std::string_view::npos;
}

std::optional<std::string_view> AddressField(std::string_view line) {
  const size_t comma = FindComma(line);
  if (comma == std::string_view::npos) return std::nullopt;
  return line.substr(0, comma);
}

bool ParseHostLine(std::string_view line, HostEntry& entry) {
  const size_t first = FindComma(line);
  if (first == std::string_view::npos) return false;
  const size_t second = FindComma(line, first + 1);
  if (second == std::string_view::npos) return false;

  const std::string_view rest = line.substr(second + 1);
  CString broadcast(std::string(rest.data(), rest.size()));
  broadcast.TrimRight();
  broadcast.TrimLeft();

  HostEntry parsed;
  std::memset(&parsed, 0, sizeof(parsed));
  CopyTextToField(parsed.szMac, line.substr(0, first));
  CopyTextToField(parsed.szAlias, line.substr(first + 1, second - first - 1));
  CopyTextToField(parsed.szBroadcast, broadcast.str());
  entry = parsed;
  return true;
}

std::string ComposeHostLine(const HostEntry& entry) {
  const std::string mac = FieldText(entry.szMac);
  const std::string alias = FieldText(entry.szAlias);
  const std::string broadcast = FieldText(entry.szBroadcast);
  std::string line;
  line.reserve(mac.size() + alias.size() + broadcast.size() + 4);
  line.append(mac).append(1, ',').append(alias).append(1, ',').append(broadcast).append("\r\n");
  return line;
}

}  // namespace hostlist
