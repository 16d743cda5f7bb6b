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

// name as the file system tells names apart: single-byte letters folded to lower case, double-byte
// characters as they are (a trail byte that looks like a letter is no letter).
std::string FoldedFileName(const std::string& name) {
  std::string folded = name;
  for (size_t at = 0; at < folded.size();) {
    const size_t length = mbcs::CharLength(folded.data() + at, folded.size() - at);
    if (length == 1 && folded[at] >= 'A' && folded[at] <= 'Z') folded[at] = static_cast<char>(folded[at] - 'A' + 'a');
    at += length;
  }
  return folded;
}

}  // namespace

std::string FileNameSafeText(const std::string& text) {
  std::string safe;
  safe.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    const size_t length = mbcs::WholeCharLength(text.data() + at, text.size() - at);
    if (length == 2) {
      safe.append(text, at, 2);
      at += 2;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[at]);
    safe += (length == 0 || IsForbiddenInFileName(c)) ? '_' : static_cast<char>(c);
    ++at;
  }
  return safe;
}

std::string ShortcutFileName(const std::string& alias) {
  return kFileNamePrefix + FileNameSafeText(alias) + kFileNameSuffix;
}

std::string ShortcutArguments(const std::string& macText, const std::string& broadcastText) {
  // The command line trims these, so a blank text is no value either.
  const bool noValue = broadcastText.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
  return "-e " + macText + " -m " + (noValue ? std::string("255.255.255.255") : broadcastText);
}

ShortcutTexts ComposeShortcutTexts(const HostEntry& host, const std::string& descriptionSuffix) {
  const std::string alias = FieldText(host.szAlias);
  const std::string address = FieldText(host.szMac);
  const std::string shown = alias.empty() ? address : alias;
  const std::string withAddress = (alias.empty() ? "" : alias + " ") + "(" + address + ")";
  return {ShortcutFileName(shown), ShortcutFileName(withAddress), shown + descriptionSuffix,
          ShortcutArguments(address, FieldText(host.szBroadcast))};
}

std::string ChooseFileName(const ShortcutTexts& texts, const std::vector<std::string>& namesTaken,
                           const ExistingArgumentsReader& readExisting) {
  const std::string folded = FoldedFileName(texts.fileName);
  for (const std::string& taken : namesTaken) {
    if (FoldedFileName(taken) == folded) return texts.addressFileName;
  }
  std::string arguments;
  if (readExisting(texts.fileName, &arguments) && arguments != texts.arguments) return texts.addressFileName;
  return texts.fileName;
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
