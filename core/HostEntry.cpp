// Filling HostEntry fields without ever writing past them.
#include "core/HostEntry.h"

#include "framework/Mbcs.h"

bool CopyTextToField(char* field, size_t size, std::string_view text) {
  text = text.substr(0, text.find('\0'));
  if (size == 0) return text.empty();
  const size_t kept = mbcs::FitPrefix(text.data(), text.size(), size - 1);
  std::memcpy(field, text.data(), kept);
  field[kept] = '\0';
  return kept == text.size();
}

std::string CleanAliasText(std::string_view text) {
  static const char kFullWidthComma[] = "\x81\x43";  // ，
  std::string clean;
  clean.reserve(text.size());
  for (size_t at = 0; at < text.size(); ++at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (mbcs::IsLeadByte(c)) {
      // A reader takes the next byte with the lead byte: only a trail byte may be there, never the
      // comma or line end after the alias.
      if (mbcs::WholeCharLength(text.data() + at, text.size() - at) == 2) clean.append(text.substr(at++, 2));
    } else if (c == ',') {
      clean += kFullWidthComma;
    } else if (c >= 0x20 && c != 0x7F) {
      clean += static_cast<char>(c);
    }
  }
  return clean;
}
