// The main window's input rules: hexadecimal digits, half-width forms and the full-width comma.
#include "app/EditRules.h"

namespace editrules {
namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// What addresses are written with between their digit groups: ipconfig's "-", the ":" of most
// other tools and the "." of groups of four.
bool IsSeparator(char16_t c) { return c == u'-' || c == u':' || c == u'.'; }

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

char16_t ToHalfWidth(char16_t c) {
  if (c >= 0xFF01 && c <= 0xFF5E) return static_cast<char16_t>(c - 0xFF01 + 0x21);
  if (c == 0x3000) return u' ';
  if (c == 0x3002) return u'.';
  return c;
}

}  // namespace

editlimit::Filtered HexDigits(const std::u16string& text) {
  const std::u16string half = HalfWidth(text).text;
  size_t first = 0, end = half.size();
  while (first < end && IsBlank(half[first])) ++first;
  while (end > first && IsBlank(half[end - 1])) --end;
  std::u16string digits;
  for (size_t i = first; i < end; ++i) {
    if (IsSeparator(half[i])) continue;
    if (!IsHexDigit(half[i])) return {std::u16string(), true};
    digits += half[i];
  }
  return {digits, false};
}

bool IsWholeHardwareAddress(const std::u16string& text) {
  constexpr size_t kDigits = 12;
  const editlimit::Filtered digits = HexDigits(text);
  return !digits.refused && digits.text.size() == kDigits;
}

editlimit::Filtered HalfWidth(const std::u16string& text) {
  std::u16string half(text);
  for (char16_t& c : half) c = ToHalfWidth(c);
  return {half, false};
}

editlimit::Filtered FullWidthComma(const std::u16string& text) {
  std::u16string converted(text);
  for (char16_t& c : converted) {
    if (c == u',') c = 0xFF0C;
  }
  return {converted, false};
}

}  // namespace editrules
