// Fuzzes a shortcut's texts from arbitrary record bytes: nothing cut, one safe file name, bounded link path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/Mbcs.h"
#include "shortcut/ShortcutText.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The first 128 bytes are a record as found in memory (terminated or not); the rest a folder.
  HostEntry host;
  std::memset(&host, 0, sizeof host);
  std::memcpy(&host, data, size < sizeof host ? size : sizeof host);
  const std::string folder = size > sizeof host
                                 ? std::string(reinterpret_cast<const char*>(data) + sizeof host, size - sizeof host)
                                 : std::string("C:\\Users\\Public\\Desktop");

  const shortcut::ShortcutTexts texts = shortcut::ComposeShortcutTexts(host, " start");
  const std::string alias = FieldText(host.szAlias);
  const std::string shown = alias.empty() ? FieldText(host.szMac) : alias;  // what names the host
  Check(texts.description == shown + " start");
  // A blank broadcast text would leave "-m" without a value: the address the Wake button uses instead.
  const std::string broadcast = FieldText(host.szBroadcast);
  const bool blank = broadcast.find_first_not_of(" \t\n\v\f\r") == std::string::npos;
  Check(texts.arguments == "-e " + FieldText(host.szMac) + " -m " + (blank ? "255.255.255.255" : broadcast));

  // One path component each: after the leading separator, no whole character is one a name cannot hold.
  const std::string& name = texts.fileName;
  Check(name.size() == 9 + shown.size() + 4);
  Check(texts.addressFileName.size() > name.size());
  for (const std::string& each : {name, texts.addressFileName}) {
    Check(each.compare(0, 9, "\\Kestrin ") == 0 && each.compare(each.size() - 4, 4, ".lnk") == 0);
    for (size_t at = 1; at < each.size();) {
      const size_t length = mbcs::WholeCharLength(each.data() + at, each.size() - at);
      Check(length != 0);
      if (length == 1) {
        const unsigned char c = static_cast<unsigned char>(each[at]);
        Check(c >= 0x20 && std::strchr("\\/:*?\"<>|", c) == nullptr);
      }
      at += length;
    }
  }

  const std::string path = shortcut::ShortcutLinkPath(folder, name);
  Check(path.size() <= shortcut::kMaxLinkPathBytes);
  if (!path.empty()) Check(path.compare(path.size() - (name.size() - 1), std::string::npos, name, 1) == 0);
  return 0;
}
