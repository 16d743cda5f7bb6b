// The byte limit bound to an edit control: a window subclass that checks the text after every user action.
//
// The control keeps doing all its own work (typing, pasting, undo, its context menu, the IME);
// the subclass compares the text before and after each message and, when an action left more
// bytes than the limit, puts the text back and lets in only what fits, as one undoable
// replacement. So every way text can enter is covered, also those the control handles inside
// (Ctrl+V, Shift+Insert, the menu's Paste). Two cases are decided before the control acts: a
// typed character that does not fit is dropped, so typing at the limit keeps the undo history;
// and while the IME composes, its provisional text (which some controls show inside their own
// text, and which an edit made behind the IME's back would desynchronise) is left alone: only
// its result is measured, against the text before the composition.
#include "framework/EditLimit.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

namespace {

constexpr UINT_PTR kSubclassId = 1;
// Finds a control's state when its limit changes (the import library lacks GetWindowSubclass).
const wchar_t kStateProperty[] = L"Kestrin.EditByteLimit";

struct LimitState {
  size_t maxBytes = 0;
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

// A character the control would insert, as opposed to the control characters (Backspace, Ctrl+V,
// Ctrl+Z, ...) and the halves of a surrogate pair, which the check after the action covers.
bool InsertsCharacter(WPARAM ch) { return ch >= 0x20 && ch != 0x7F && (ch < 0xD800 || ch > 0xDFFF); }

bool IsImeMessage(UINT message) {
  return (message >= WM_IME_STARTCOMPOSITION && message <= WM_IME_KEYLAST) ||
         (message >= WM_IME_SETCONTEXT && message <= WM_IME_KEYUP);
}

bool CharacterFits(HWND edit, const LimitState& state, WPARAM ch) {
  const std::wstring text = WindowText(edit);
  DWORD start = 0, end = 0;
  GetSelection(edit, &start, &end);
  if (start > text.size()) start = static_cast<DWORD>(text.size());
  if (end < start || end > text.size()) end = static_cast<DWORD>(text.size());
  const std::u16string after = Utf16(text.substr(0, start)) + static_cast<char16_t>(ch) + Utf16(text.substr(end));
  editlimit::Change change;
  change.start = start;
  change.removed = end - start;
  change.inserted = 1;
  return editlimit::KeptUnits(after, change, state.maxBytes, &AnsiBytes) == 1;
}

// The action that turned before (selection [selStart, selEnd)) into the control's text left too
// many bytes: back to before, then the fitting part of what it inserted, in place of what it replaced.
void CutToLimit(HWND edit, const LimitState& state, const std::wstring& before, DWORD selStart, DWORD selEnd) {
  const std::wstring text = WindowText(edit);
  if (text == before) return;
  const std::u16string after = Utf16(text);
  const editlimit::Change change = editlimit::FindChange(Utf16(before), after, selStart, selEnd);
  const size_t kept = editlimit::KeptUnits(after, change, state.maxBytes, &AnsiBytes);
  if (kept == change.inserted) return;
  ::SetWindowTextW(edit, before.c_str());
  if (kept == 0) {
    ::SendMessageW(edit, EM_SETSEL, selStart, selEnd);
    return;
  }
  const std::wstring part = text.substr(change.start, kept);
  ::SendMessageW(edit, EM_SETSEL, change.start, change.start + change.removed);
  ::SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
}

LRESULT CALLBACK ByteLimitProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
  auto* state = reinterpret_cast<LimitState*>(data);
  switch (message) {
    case WM_NCDESTROY: {
      std::unique_ptr<LimitState> owned(state);
      ::RemovePropW(edit, kStateProperty);
      ::RemoveWindowSubclass(edit, &ByteLimitProc, kSubclassId);
      return ::DefSubclassProc(edit, message, wParam, lParam);
    }
    // The program's own texts (a record shown for editing) stay whole: the length check of the
    // data exchange speaks about them. Reading and destroying change nothing.
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case EM_GETSEL:
    case WM_DESTROY:
      return ::DefSubclassProc(edit, message, wParam, lParam);
    case WM_CHAR:
    case WM_IME_CHAR:
      if (InsertsCharacter(wParam) && !CharacterFits(edit, *state, wParam)) return 0;
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
          CutToLimit(edit, *state, state->committed, state->selStart, state->selEnd);
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
  // While composing, the provisional text comes and goes with the IME's messages; only the
  // result counts (above). Every other message is still checked, so a composition whose end
  // never came cannot open the way to a paste.
  if (state->composing && IsImeMessage(message)) return ::DefSubclassProc(edit, message, wParam, lParam);
  const std::wstring before = WindowText(edit);
  DWORD selStart = 0, selEnd = 0;
  GetSelection(edit, &selStart, &selEnd);
  const LRESULT result = ::DefSubclassProc(edit, message, wParam, lParam);
  if (::IsWindow(edit)) CutToLimit(edit, *state, before, selStart, selEnd);
  return result;
}

}  // namespace

void LimitEditToBytes(HWND edit, int maxBytes) {
  ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxBytes > 0 ? maxBytes : 0), 0);
  const size_t limit = maxBytes > 0 ? static_cast<size_t>(maxBytes) : SIZE_MAX;
  if (auto* existing = static_cast<LimitState*>(::GetPropW(edit, kStateProperty))) {
    existing->maxBytes = limit;
    return;
  }
  if (maxBytes <= 0) return;
  auto state = std::make_unique<LimitState>();
  state->maxBytes = limit;
  if (!::SetPropW(edit, kStateProperty, state.get())) return;
  if (!::SetWindowSubclass(edit, &ByteLimitProc, kSubclassId, reinterpret_cast<DWORD_PTR>(state.get()))) {
    ::RemovePropW(edit, kStateProperty);
    return;
  }
  state.release();
}
