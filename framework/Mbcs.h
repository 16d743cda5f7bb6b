// Character-wise handling of narrow text in the ANSI code page (double-byte on Japanese systems).
#pragma once
#include <cstddef>

namespace mbcs {

// True when c starts a double-byte character: the system's ANSI code page on Windows,
// code page 932 (Shift-JIS) elsewhere, since that is what the program's files hold.
bool IsLeadByte(unsigned char c);

// Byte length of the whole character at text[0] of a text of length bytes: 1 for a single-byte
// character, 2 for a lead byte with a byte the code page accepts after it, and 0 for a lead byte
// without one (the last byte of the text, or followed by a byte that cannot trail it); 0 also
// when length is 0. On Windows the system decides, for whatever ANSI code page is in force (their
// trail byte ranges differ); elsewhere code page 932's ranges do.
size_t WholeCharLength(const char* text, size_t length);

// Byte length of the character at text[0] of a text of length bytes as readers step through it:
// 2 for a lead byte with any byte after it (whether or not it may trail it: the system and the
// list's readers take it along), else 1; 0 when length is 0.
size_t CharLength(const char* text, size_t length);

// Length in bytes of the longest prefix of text[0..length) that is at most maxBytes long
// and does not end in the middle of a double-byte character.
size_t FitPrefix(const char* text, size_t length, size_t maxBytes);

}  // namespace mbcs
