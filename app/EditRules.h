// What the main window's fields take from the user: their filters for FilterEditInput, and the address Add takes.
//
// Each says what a typed character, a paste or an input method's result becomes in its field, or
// refuses it (the field then tells the user why). The byte limit counts what they let in.
#pragma once
#include <string>

#include "framework/EditLimit.h"

namespace editrules {

// The hardware address: 0-9, A-F, a-f only, case kept. Full-width input goes in half-width (so
// digits typed where the input method stayed on go in as a paste's do); "-", ":" and "." (the
// separators of written addresses) and the blanks (spaces, tabs, line ends) before and after it
// are left out; anything else left refuses the input whole.
editlimit::Filtered HexDigits(const std::u16string& text);

// Whether text, once HexDigits has made of it what the address edit would, is the 12 digits a
// wake reads whole: Add refuses any other address, which would wake a machine nobody has.
bool IsWholeHardwareAddress(const std::u16string& text);

// The broadcast address: full-width ASCII forms (U+FF01-U+FF5E), the ideographic space and 。
// become their half-width forms; the rest goes in as it is.
editlimit::Filtered HalfWidth(const std::u16string& text);

// The alias: a comma becomes "，", so the text can stand in one field of a comma-separated line.
editlimit::Filtered FullWidthComma(const std::u16string& text);

}  // namespace editrules
