// What a user may enter into an edit control: its limit in bytes of the ANSI code page, and the program's filter.
//
// The program stores field texts as ANSI bytes (code page 932 on Japanese systems), but its edit
// controls are Unicode windows: their own limit (EM_LIMITTEXT) counts UTF-16 units, so it lets a
// Japanese character count one where the record counts two. The functions in namespace editlimit
// decide, on the UTF-16 texts the control holds, how much of what an action put in may stay; they
// are portable and take the byte length of one character from the caller; Decide is the whole
// decision, the field's filter included. LimitEditToBytes and FilterEditInput bind them to a control.
#pragma once
#include <cstddef>
#include <string>

#ifdef _WIN32
#include "framework/Platform.h"
#endif

namespace editlimit {

struct Filtered {
  std::u16string text;   // what goes in (may be empty)
  bool refused = false;  // the input was not taken because of a character the field does not take
};

// What a field makes of what the user's action put in (a typed character, a paste, an input
// method's result): the program's rule for the field. Null lets everything in as it is.
using Filter = Filtered (*)(const std::u16string& text);

// Bytes that one character, text[0..units) (one UTF-16 unit, or a surrogate pair), takes in the code page.
using CharBytes = size_t (*)(const char16_t* text, size_t units);

// The one stretch an action changed: before[start, start + removed) became after[start, start + inserted).
struct Change {
  size_t start = 0;
  size_t removed = 0;
  size_t inserted = 0;
  bool operator==(const Change& other) const {
    return start == other.start && removed == other.removed && inserted == other.inserted;
  }
};

// How before became after, the selection before the action being [selStart, selEnd) (clamped to
// before). When the text outside the selection is unchanged, the action replaced the selection,
// as typing and pasting do: so a pasted text that repeats the text beside it is still the one cut
// later. Otherwise (an undo, say) the change is what lies between the longest common start and
// end. The stretch never begins or ends between the two halves of a surrogate pair.
Change FindChange(const std::u16string& before, const std::u16string& after, size_t selStart, size_t selEnd);

// How many of change's inserted units may stay so that after takes at most maxBytes: the longest
// start of the inserted text that fits beside the text outside the change, cut between characters
// (a surrogate pair stays whole). All of them when after fits; none when the text outside the
// change alone takes maxBytes or more.
size_t KeptUnits(const std::u16string& after, const Change& change, size_t maxBytes, CharBytes bytes);

// before with before[selStart, selEnd) (clamped to before) replaced by insert: what typing or
// pasting insert proposes.
std::u16string ReplaceSelection(const std::u16string& before, size_t selStart, size_t selEnd,
                                const std::u16string& insert);

// What an edit makes of one action of the user.
struct Decision {
  bool asProposed = true;  // the proposed text stands as it is
  // insert is what stays of the action's insertion, converted and cut, in place of
  // before[start, start + removed). Unless asProposed, the edit then holds before with that
  // replacement; an empty insert means nothing of the action stays, not even its deletion: the
  // edit holds before.
  size_t start = 0;
  size_t removed = 0;
  std::u16string insert;
  bool balloon = false;  // the filter refused what the action put in: the edit says why
};

// The action that turned before (selection [selStart, selEnd)) into proposed, held to filter and
// to maxBytes: what it put in (FindChange) is converted by the filter and the longest start of the
// result that fits stays (KeptUnits); nothing of it when the filter refuses it. A proposed text
// equal to before stands (asProposed, nothing inserted).
Decision Decide(const std::u16string& before, const std::u16string& proposed, size_t selStart, size_t selEnd,
                Filter filter, size_t maxBytes, CharBytes bytes);

}  // namespace editlimit

#ifdef _WIN32
// Limits what the user can enter into edit to maxBytes bytes of the ANSI code page (CP_ACP): typing
// (WM_CHAR, WM_IME_CHAR), the IME's result, pasting (WM_PASTE, Ctrl+V, the context menu), undo and
// any other action of the control; what does not fit is not inserted, and a longer insertion keeps
// as much as fits, cut between characters. Sets EM_LIMITTEXT to maxBytes as well, a coarse bound
// in UTF-16 units that keeps the control's own cut of a long paste short. Texts the program sets
// with WM_SETTEXT are not limited; EM_REPLACESEL is, as with a native limit. maxBytes is at least 1;
// calling it again changes the limit. The filter of FilterEditInput on the same control is applied
// first: the limit counts the converted text.
// Window's thread only.
void LimitEditToBytes(HWND edit, int maxBytes);

// Makes edit take only what filter lets in, for everything the user types, pastes (Ctrl+V,
// Shift+Insert, the context menu), undoes or enters through the IME; texts the program sets with
// WM_SETTEXT go in unchanged. A refused input leaves the field as it was and shows refusedText
// (with refusedTitle above it) in the edit's balloon tip. Works with LimitEditToBytes on the same
// control, the filter first: the limit counts the converted text. Window's thread only.
void FilterEditInput(HWND edit, editlimit::Filter filter, const std::wstring& refusedTitle = std::wstring(),
                     const std::wstring& refusedText = std::wstring());
#endif
