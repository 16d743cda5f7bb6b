// Character-wise handling of narrow text in the ANSI code page (double-byte on Japanese systems).
#pragma once
#include <cstddef>

namespace mbcs {

// True when c starts a double-byte character: the system's ANSI code page on Windows,
// code page 932 (Shift-JIS) elsewhere, since that is what the program's files hold.
bool IsLeadByte(unsigned char c);

// Byte length of the character at text[0]: 2 for a lead byte followed by a trail byte, else 1.
// A lead byte just before the terminating zero counts as one byte. Returns 0 at the terminator.
size_t CharLength(const char* text);

// First occurrence of needle in text that starts on a character boundary, or nullptr
// (the multibyte substring search: a match may not begin on a trail byte).
const char* FindSubstring(const char* text, const char* needle);

// Length in bytes of the longest prefix of text[0..length) that is at most maxBytes long
// and does not end in the middle of a double-byte character.
size_t FitPrefix(const char* text, size_t length, size_t maxBytes);

}  // namespace mbcs
