// Rules for what may enter an edit field, decided on UTF-16 text: the characters a field takes and how they are converted.
//
// The functions in namespace editfilter are portable: they say what a typed character or a
// pasted text becomes in a field of a given kind, and whether the field refuses it (the user is
// then told why). FilterEditInput binds a rule to a control, beside its byte limit (EditLimit.h).
#pragma once
#include <string>

#ifdef _WIN32
#include "framework/Platform.h"
#endif

namespace editfilter {

enum class Rule {
  kAny,            // everything goes in as it is
  kHexDigits,      // 0-9, A-F, a-f only, case kept; the separators of written addresses are left out
  kHalfWidth,      // full-width ASCII forms, the ideographic space and 。 become their half-width forms
  kFullWidthComma  // a comma becomes "，", so the text can stand in one field of a comma-separated line
};

struct Filtered {
  std::u16string text;   // what goes in (may be empty)
  bool refused = false;  // the input was not taken because of a character the field does not take
};

// Full-width U+FF01-U+FF5E as U+0021-U+007E, U+3000 as a blank, U+3002 (。) as "."; the rest as it is.
std::u16string ToHalfWidth(const std::u16string& text);

// What the user's action put in: a typed character, a paste, an input method's result. kHexDigits
// converts it to half-width (so full-width digits typed where the input method stayed on go in
// as a paste's do), removes "-", ":", "." and the blanks (spaces, tabs, line ends) before and
// after it, and refuses it whole when anything but hexadecimal digits is left.
Filtered Filter(Rule rule, const std::u16string& text);

}  // namespace editfilter

#ifdef _WIN32
// Makes edit take only what rule lets in, for everything the user types, pastes (Ctrl+V,
// Shift+Insert, the context menu), undoes or enters through the IME; texts the program sets with
// WM_SETTEXT go in unchanged. A refused input leaves the field as it was and shows refusedText
// (with refusedTitle above it) in the edit's balloon tip. Works with LimitEditToBytes on the same
// control, the filter first: the limit counts the converted text. Window's thread only.
void FilterEditInput(HWND edit, editfilter::Rule rule, const std::wstring& refusedTitle = std::wstring(),
                     const std::wstring& refusedText = std::wstring());
#endif
