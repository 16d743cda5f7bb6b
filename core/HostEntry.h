// HostEntry: the fixed 128-byte record of one machine (hardware address, alias, broadcast address).
#pragma once
#include <cstddef>
#include <cstring>

struct HostEntry {
  char szMac[32];        // hardware-address text, normally 12 hexadecimal digits
  char szAlias[64];      // free text in the ANSI code page
  char szBroadcast[32];  // dotted-quad broadcast address; may be empty
};
static_assert(sizeof(HostEntry) == 128, "HostEntry is stored and copied as 128 bytes");

// Copies length bytes of text into a field of size bytes, cut to fit without splitting a
// double-byte character, and terminates it. Returns false when the text had to be cut.
bool CopyTextToField(char* field, size_t size, const char* text, size_t length);

template <size_t N>
bool CopyTextToField(char (&field)[N], const char* text) {
  return CopyTextToField(field, N, text, std::strlen(text));
}
