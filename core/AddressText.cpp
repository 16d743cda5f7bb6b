// ParseMacText and ParseBroadcastText, with our own %x/%d readers so every build reads the same bytes
// (the C library's conversions differ between platforms, and overflow in them is undefined).
#include "core/AddressText.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

bool IsScanSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int DigitValue(char c, int base) {
  int value = -1;
  if (c >= '0' && c <= '9') value = c - '0';
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  return value < base ? value : -1;
}

// Reads one number the way a scanf conversion of the base does. Advances p past it and
// returns true with the value modulo 2^32, or returns false when no digit is there.
bool ScanNumber(const char*& p, int base, uint32_t& value) {
  const char* q = p;
  while (IsScanSpace(*q)) ++q;
  bool negative = false;
  if (*q == '+' || *q == '-') negative = (*q++ == '-');
  if (base == 16 && q[0] == '0' && (q[1] == 'x' || q[1] == 'X') && DigitValue(q[2], 16) >= 0) q += 2;
  if (DigitValue(*q, base) < 0) return false;
  uint32_t result = 0;
  for (int digit; (digit = DigitValue(*q, base)) >= 0; ++q) {
    result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  value = negative ? 0u - result : result;
  p = q;
  return true;
}

// Reads up to count numbers separated by one separator character into bytes,
// stopping at the first number or separator that does not match.
template <size_t N>
void ScanBytes(const char* p, int base, char separator, std::array<unsigned char, N>& bytes) {
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) {
      if (*p != separator) return;
      ++p;
    }
    uint32_t value = 0;
    if (!ScanNumber(p, base, value)) return;
    bytes[i] = static_cast<unsigned char>(value & 0xFFu);
  }
}

// The forms other tools print: "00-a0-b1-c2-d3-e4", "00:a0:b1:c2:d3:e4" or "00 a0 b1 c2 d3 e4" (one separator
// throughout, 17 characters) and "00a0.b1c2.d3e4" (14 characters). digitsPerGroup hex digits
// per group, one separator between groups, nothing before or after.
bool ReadSeparatedForm(const char* text, size_t digitsPerGroup, const char* separators, MacAddress& mac) {
  const size_t groups = 12 / digitsPerGroup;
  const size_t length = groups * (digitsPerGroup + 1) - 1;
  if (std::strlen(text) != length) return false;
  const char separator = text[digitsPerGroup];
  if (std::strchr(separators, separator) == nullptr) return false;
  std::string digits;
  for (size_t i = 0; i < length; ++i) {
    const bool separatorPlace = (i + 1) % (digitsPerGroup + 1) == 0;
    if (separatorPlace ? text[i] != separator : DigitValue(text[i], 16) < 0) return false;
    if (!separatorPlace) digits += text[i];
  }
  for (size_t i = 0; i < mac.size(); ++i) {
    mac[i] = static_cast<unsigned char>(DigitValue(digits[2 * i], 16) * 16 + DigitValue(digits[2 * i + 1], 16));
  }
  return true;
}

}  // namespace

MacAddress ParseMacText(const char* text) {
  MacAddress mac = {0, 0, 0, 0, 0, 0};
  if (ReadSeparatedForm(text, 2, "-: ", mac) || ReadSeparatedForm(text, 4, ".", mac)) return mac;
  // Regroup the first 12 characters into pairs "xx-xx-...", ending where the text ends.
  std::string grouped;
  for (size_t i = 0; i < 12 && text[i] != '\0'; ++i) {
    if (i > 0 && i % 2 == 0) grouped += '-';
    grouped += text[i];
  }
  ScanBytes(grouped.c_str(), 16, '-', mac);
  return mac;
}

Ipv4Address ParseBroadcastText(const char* text) {
  Ipv4Address address = {0xFF, 0xFF, 0xFF, 0xFF};
  ScanBytes(text, 10, '.', address);
  return address;
}
