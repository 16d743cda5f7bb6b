// The byte limit and the input rule bound to an edit control: one window subclass that checks the text after every user action.
//
// The control keeps doing all its own work (typing, pasting, undo, its context menu, the IME);
// the subclass compares the text before and after each message that can change it and, when an
// action put in what the field's rule converts or refuses, or left more bytes than the limit,
// puts the text back and lets in only the converted text that fits, as one undoable
// replacement. So every way text can enter is covered, also those the control handles inside
// (Ctrl+V, Shift+Insert, the menu's Paste). Three cases are decided before the control acts: a
// typed character is converted, or dropped when the rule refuses it or it does not fit, so
// typing keeps the undo history; a paste into a field with a rule is converted whole and put in
// by the subclass; and while the IME composes, its provisional text (which some controls show
// inside their own text, and which an edit made behind the IME's back would desynchronise) is
// left alone: only its result is checked, against the text before the composition.
#include "framework/EditFilter.h"
#include "framework/EditLimit.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Finds a control's state when its limit or rule changes (the import library lacks GetWindowSubclass).
const wchar_t kStateProperty[] = L"Kestrin.EditByteLimit";

struct EditState {
  size_t maxBytes = SIZE_MAX;
  editfilter::Rule rule = editfilter::Rule::kAny;
  std::wstring refusedTitle;
  std::wstring refusedText;
  bool composing = false;
  std::wstring committed;  // the text when the composition began, and its selection
  DWORD selStart = 0;
  DWORD selEnd = 0;
};

size_t AnsiBytes(const char16_t* text, size_t units) {
  wchar_t wide[2] = {0, 0};
  for (size_t i = 0; i < units && i < 2; ++i) wide[i] = static_cast<wchar_t>(text[i]);
  const int length = ::WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(units < 2 ? units : 2), nullptr, 0,
                                           nullptr, nullptr);
  return length > 0 ? static_cast<size_t>(length) : 1;
}

std::u16string Utf16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring WindowText(HWND edit) {
  const int length = ::GetWindowTextLengthW(edit);
  std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
  const int copied = ::GetWindowTextW(edit, &text[0], static_cast<int>(text.size()));
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void GetSelection(HWND edit, DWORD* start, DWORD* end) {
  *start = *end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(start), reinterpret_cast<LPARAM>(end));
}

bool IsSurrogate(WPARAM ch) { return ch >= 0xD800 && ch <= 0xDFFF; }

// A character the control would insert, as opposed to the control characters (Backspace,
// Ctrl+V, Ctrl+Z, ...), which the check after the action covers.
bool IsTypedCharacter(WPARAM ch) { return ch >= 0x20 && ch != 0x7F && ch <= 0xFFFF; }

bool IsImeMessage(UINT message) {
  return (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) ||
         (message >= WM_IME_SETCONTEXT && message <= WM_IME_KEYUP);
}

// The messages through which a user's action can change the text: keys, characters, the clipboard
// and undo commands, the context menu (its commands run inside it) and the IME's. Mouse moves,
// painting and the like pass without the text being read.
bool CanChangeText(UINT message) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_UNICHAR:
    case WM_IME_CHAR:
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO:
    case EM_UNDO:
    case EM_REPLACESEL:
    case WM_CONTEXTMENU:
      return true;
    default:
      return IsImeMessage(message);
  }
}

void ShowRefusal(HWND edit, const EditState& state) {
  EDITBALLOONTIP tip{};
  tip.cbStruct = sizeof tip;
  tip.pszTitle = state.refusedTitle.c_str();
  tip.pszText = state.refusedText.c_str();
  tip.ttiIcon = TTI_ERROR;
  // Without version 6 of the common controls there is no balloon: a beep says as much.
  if (!::SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip))) ::MessageBeep(MB_OK);
}

// How many units of insert fit in place of the control's selection.
size_t FittingUnits(HWND edit, const EditState& state, const std::u16string& insert) {
  const std::wstring text = WindowText(edit);
  DWORD start = 0, end = 0;
  GetSelection(edit, &start, &end);
  if (start > text.size()) start = static_cast<DWORD>(text.size());
  if (end < start || end > text.size()) end = static_cast<DWORD>(text.size());
  const std::u16string after = Utf16(text.substr(0, start)) + insert + Utf16(text.substr(end));
  editlimit::Change change;
  change.start = start;
  change.removed = end - start;
  change.inserted = insert.size();
  return editlimit::KeptUnits(after, change, state.maxBytes, &AnsiBytes);
}

// The clipboard's text as a one-line edit pastes it: up to its first line end.
bool ClipboardLine(HWND owner, std::u16string* line) {
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return false;
  bool found = false;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* text = static_cast<const wchar_t*>(::GlobalLock(data))) {
      const size_t units = ::GlobalSize(data) / sizeof(wchar_t);
      size_t length = 0;
      while (length < units && text[length] != L'\0' && text[length] != L'\r' && text[length] != L'\n') ++length;
      line->assign(text, text + length);
      found = true;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return found;
}

// A paste into a field with a rule is taken whole from the clipboard and converted before it
// goes in: the control's own paste would cut it to its limit in units first, so that a separated
// address, longer than the digits it holds, lost its end. What fits goes in as one undoable
// replacement; a refused paste changes nothing.
void PasteByRule(HWND edit, const EditState& state) {
  if ((::GetWindowLongW(edit, GWL_STYLE) & ES_READONLY) != 0) return;
  std::u16string line;
  if (!ClipboardLine(edit, &line)) return;
  const editfilter::Filtered filtered = editfilter::FilterPasted(state.rule, line);
  if (filtered.refused) {
    ShowRefusal(edit, state);
    return;
  }
  const size_t kept = FittingUnits(edit, state, filtered.text);
  if (kept == 0) return;
  const std::wstring part = Wide(filtered.text.substr(0, kept));
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
}

bool IsKeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// WM_PASTE, and the keys that paste (Ctrl+V, Shift+Insert), which a control may carry out
// without sending itself WM_PASTE.
bool IsPaste(UINT message, WPARAM wParam) {
  return message == WM_PASTE || (message == WM_CHAR && wParam == 0x16) ||
         (message == WM_KEYDOWN && wParam == VK_INSERT && IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL));
}

// The action that turned before (selection [selStart, selEnd)) into the control's text is held
// to the field's rule and limit: when what it inserted is not what the rule makes of it, or
// does not fit, back to before, then the fitting part of the converted text in place of what
// the action replaced; nothing of it when the rule refuses it.
void SettleChange(HWND edit, const EditState& state, const std::wstring& before, DWORD selStart, DWORD selEnd) {
  const std::wstring text = WindowText(edit);
  if (text == before) return;
  const std::u16string after = Utf16(text);
  const editlimit::Change change = editlimit::FindChange(Utf16(before), after, selStart, selEnd);
  const std::u16string inserted = after.substr(change.start, change.inserted);
  const editfilter::Filtered filtered = editfilter::FilterPasted(state.rule, inserted);
  std::u16string part;
  if (!filtered.refused) {
    const std::u16string converted =
        after.substr(0, change.start) + filtered.text + after.substr(change.start + change.inserted);
    editlimit::Change conversion = change;
    conversion.inserted = filtered.text.size();
    part = filtered.text.substr(0, editlimit::KeptUnits(converted, conversion, state.maxBytes, &AnsiBytes));
    if (part == inserted) return;
  }
  ::SetWindowTextW(edit, before.c_str());
  if (part.empty()) {
    ::SendMessageW(edit, EM_SETSEL, selStart, selEnd);
    if (filtered.refused) ShowRefusal(edit, state);
    return;
  }
  const std::wstring wide = Wide(part);
  ::SendMessageW(edit, EM_SETSEL, change.start, change.start + change.removed);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(wide.c_str()));
}

LRESULT CALLBACK EditInputProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* state = reinterpret_cast<EditState*>(data);
  if (state->rule != editfilter::Rule::kAny && IsPaste(message, wParam)) {
    PasteByRule(edit, *state);
    return 0;
  }
  switch (message) {
    case WM_NCDESTROY: {
      std::unique_ptr<EditState> owned(state);
      ::RemovePropW(edit, kStateProperty);
      ::RemoveWindowSubclass(edit, &EditInputProc, kSubclassId);
      return ::DefSubclassProc(edit, message, wParam, lParam);
    }
    case WM_CHAR:
    case WM_IME_CHAR:
      if (IsTypedCharacter(wParam)) {
        const editfilter::Filtered typed = editfilter::FilterTyped(state->rule, static_cast<char16_t>(wParam));
        if (typed.text.size() != 1) {
          if (typed.refused) ShowRefusal(edit, *state);
          return 0;
        }
        wParam = typed.text[0];
        // A surrogate pair is measured once whole, after the action.
        if (!IsSurrogate(wParam) && FittingUnits(edit, *state, std::u16string(1, static_cast<char16_t>(wParam))) != 1) {
          return 0;
        }
      }
      break;
    case WM_IME_STARTCOMPOSITION:
      state->committed = WindowText(edit);
      GetSelection(edit, &state->selStart, &state->selEnd);
      state->composing = true;
      return ::DefSubclassProc(edit, message, wParam, lParam);
    case WM_IME_COMPOSITION:
    case WM_IME_ENDCOMPOSITION:
      if (state->composing) {
        const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
        if (message == WM_IME_ENDCOMPOSITION || (lParam & GCS_RESULTSTR) != 0) {
          SettleChange(edit, *state, state->committed, state->selStart, state->selEnd);
          state->committed = WindowText(edit);
          GetSelection(edit, &state->selStart, &state->selEnd);
        }
        if (message == WM_IME_ENDCOMPOSITION) state->composing = false;
        return result;
      }
      break;
    default:
      break;
  }
  // The program's own texts (WM_SETTEXT: a record shown for editing) stay whole: the length check
  // of the data exchange speaks about them. While composing, the provisional text comes and goes
  // with the IME's messages; only the result counts (above). Every other message that can change
  // the text is still checked, so a composition whose end never came cannot open the way to a paste.
  if (!CanChangeText(message) || (state->composing && IsImeMessage(message))) {
    return ::DefSubclassProc(edit, message, wParam, lParam);
  }
  const std::wstring before = WindowText(edit);
  DWORD selStart = 0, selEnd = 0;
  GetSelection(edit, &selStart, &selEnd);
  // A menu's Paste that runs the control's own paste without WM_PASTE would be cut to the unit
  // limit before the check below could convert it (a separated address would lose its end):
  // while the menu runs, the byte limit alone bounds what goes in.
  const bool liftUnitLimit = message == WM_CONTEXTMENU && state->rule != editfilter::Rule::kAny;
  const LRESULT unitLimit = liftUnitLimit ? ::SendMessageW(edit, EM_GETLIMITTEXT, 0, 0) : 0;
  if (liftUnitLimit) ::SendMessageW(edit, EM_LIMITTEXT, 0, 0);
  const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
  if (!::IsWindow(edit)) return result;
  if (liftUnitLimit) ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(unitLimit), 0);
  SettleChange(edit, *state, before, selStart, selEnd);
  return result;
}

// The control's state, attached with the subclass on first use; null when that failed.
EditState* StateOf(HWND edit) {
  if (auto* existing = static_cast<EditState*>(::GetPropW(edit, kStateProperty))) return existing;
  auto state = std::make_unique<EditState>();
  if (!::SetPropW(edit, kStateProperty, state.get())) return nullptr;
  if (!::SetWindowSubclass(edit, &EditInputProc, kSubclassId, reinterpret_cast<DWORD_PTR>(state.get()))) {
    ::RemovePropW(edit, kStateProperty);
    return nullptr;
  }
  return state.release();
}

}  // namespace

void LimitEditToBytes(HWND edit, int maxBytes) {
  ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxBytes > 0 ? maxBytes : 0), 0);
  // No limit needs no subclass; one that exists keeps its rule.
  if (maxBytes <= 0 && ::GetPropW(edit, kStateProperty) == nullptr) return;
  if (EditState* state = StateOf(edit)) state->maxBytes = maxBytes > 0 ? static_cast<size_t>(maxBytes) : SIZE_MAX;
}

void FilterEditInput(HWND edit, editfilter::Rule rule, const std::wstring& refusedTitle,
                     const std::wstring& refusedText) {
  EditState* state = StateOf(edit);
  if (state == nullptr) return;
  state->rule = rule;
  state->refusedTitle = refusedTitle;
  state->refusedText = refusedText;
}
