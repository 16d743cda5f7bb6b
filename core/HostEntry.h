// HostEntry: the fixed 128-byte record of one machine (hardware address, alias, broadcast address).
#pragma once
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

struct HostEntry {
  char szMac[32];        // hardware-address text, normally 12 hexadecimal digits
  char szAlias[64];      // free text in the ANSI code page
  char szBroadcast[32];  // dotted-quad broadcast address; may be empty
};
static_assert(sizeof(HostEntry) == 128, "HostEntry is stored and copied as 128 bytes");

// A fixed field's text: up to its terminator, or the whole field when it has none.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  const void* end = std::memchr(field, '\0', N);
  return std::string(field, end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - field) : N);
}

// The one way a text goes into a field: the text up to its first zero byte, cut to fit the field
// beside its terminator without splitting a double-byte character, and terminated. The bytes
// after the terminator are left as they were. Returns false when the text had to be cut.
bool CopyTextToField(char* field, size_t size, std::string_view text);

template <size_t N>
bool CopyTextToField(char (&field)[N], std::string_view text) {
  return CopyTextToField(field, N, text);
}

// text made fit to stand as an alias in MacList.txt, where "," ends the alias and a line ends at
// a line feed: each half-width "," becomes the full-width "，" (code page 932 0x81 0x43, two bytes
// where it was one), the control characters 0x00-0x1F and 0x7F are dropped, and so is a lead byte
// with no byte after it to pair with, which a reader would join with the "," that follows the
// alias. Double-byte characters stay whole. The result is not cut to the field.
std::string CleanAliasText(std::string_view text);
