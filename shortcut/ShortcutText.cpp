// Composing a desktop shortcut's texts from a host's stored texts, character by character.
#include "shortcut/ShortcutText.h"

#include "framework/Mbcs.h"

#include <cstring>

namespace shortcut {

namespace {

const char kFileNamePrefix[] = "\\Kestrin ";
const char kFileNameSuffix[] = ".lnk";

bool IsForbiddenInFileName(unsigned char c) {
  return c < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
}

}  // namespace

std::string FileNameSafeAlias(const std::string& alias) {
  std::string safe;
  safe.reserve(alias.size());
  size_t at = 0;
  while (at < alias.size()) {
    const size_t length = mbcs::WholeCharLength(alias.data() + at, alias.size() - at);
    if (length == 2) {
      safe.append(alias, at, 2);
      at += 2;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(alias[at]);
    safe += (length == 0 || IsForbiddenInFileName(c)) ? '_' : static_cast<char>(c);
    ++at;
  }
  return safe;
}

std::string ShortcutFileName(const std::string& alias) {
  return kFileNamePrefix + FileNameSafeAlias(alias) + kFileNameSuffix;
}

std::string ShortcutArguments(const std::string& macText, const std::string& broadcastText) {
  // The command line trims these, so a blank text is no value either.
  const bool noValue = broadcastText.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
  return "-e " + macText + " -m " + (noValue ? std::string("255.255.255.255") : broadcastText);
}

ShortcutTexts ComposeShortcutTexts(const HostEntry& host, const std::string& descriptionSuffix) {
  const std::string alias = FieldText(host.szAlias);
  return {ShortcutFileName(alias), alias + descriptionSuffix,
          ShortcutArguments(FieldText(host.szMac), FieldText(host.szBroadcast))};
}

std::string ShortcutLinkPath(const std::string& folder, const std::string& fileName) {
  if (folder.empty()) return "";
  // Only a whole single-byte backslash ends the folder with a separator, not a trail byte 0x5C.
  bool endsInSeparator = false;
  for (size_t at = 0; at < folder.size();) {
    const size_t length = mbcs::WholeCharLength(folder.data() + at, folder.size() - at);
    endsInSeparator = (length == 1 && folder[at] == '\\');
    at += length == 0 ? 1 : length;
  }
  std::string path = folder;
  path.append(fileName, (endsInSeparator && !fileName.empty() && fileName[0] == '\\') ? 1 : 0,
              std::string::npos);
  if (path.size() > kMaxLinkPathBytes) return "";
  return path;
}

}  // namespace shortcut
