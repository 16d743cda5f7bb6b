// The byte limit and the input filter bound to an edit control: one attached object that checks the text after every user action.
//
// The control keeps doing all its own work (typing, pasting, undo, its context menu, the IME);
// the object compares the text before and after each message that can change it, and applies
// what editlimit::Decide makes of the change: when an action put in what the field's filter
// converts or refuses, or left more bytes than the limit, the text goes back and only the
// converted text that fits goes in, as one undoable replacement. So every way text can enter is
// covered, also those the control handles inside (Ctrl+V, Shift+Insert, the menu's Paste). Three
// cases are decided before the control acts: a typed character is converted, or dropped when the
// filter refuses it or it does not fit, so typing keeps the undo history; a paste into a field with
// a filter is converted whole and put in here; and while the IME composes, its provisional text
// (which some controls show inside their own text, and which an edit made behind the IME's back
// would desynchronise) is left alone: only its result is checked, against the text before the
// composition.
#include "framework/EditLimit.h"

#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>

#include "framework/Wnd.h"

namespace {

// Asks an edit for its EditInput: the object answers with itself, any other edit with 0.
constexpr UINT WM_QUERY_EDIT_INPUT = WM_APP + 0x3F01;

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the control's wide text is UTF-16");

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

size_t AnsiBytes(const char16_t* text, size_t units) {
  const int length = ::WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(text),
                                           static_cast<int>(units < 2 ? units : 2), nullptr, 0, nullptr, nullptr);
  return length > 0 ? static_cast<size_t>(length) : 1;
}

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
  static const UINT kMessages[] = {WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR,  WM_SYSCHAR, WM_UNICHAR,     WM_IME_CHAR,
                                   WM_PASTE,   WM_CUT,        WM_CLEAR, WM_UNDO,    EM_UNDO,        EM_REPLACESEL,
                                   WM_CONTEXTMENU};
  for (UINT changing : kMessages) {
    if (message == changing) return true;
  }
  return IsImeMessage(message);
}

// The clipboard's text as a one-line edit pastes it: up to its first line end.
bool ClipboardLine(HWND owner, std::u16string* line) {
  if (!::IsClipboardFormatAvailable(CF_UNICODETEXT) || !::OpenClipboard(owner)) return false;
  const HANDLE data = ::GetClipboardData(CF_UNICODETEXT);
  const auto* text = data != nullptr ? static_cast<const wchar_t*>(::GlobalLock(data)) : nullptr;
  if (text != nullptr) {
    const size_t units = ::GlobalSize(data) / sizeof(wchar_t);
    size_t length = 0;
    while (length < units && text[length] != L'\0' && text[length] != L'\r' && text[length] != L'\n') ++length;
    line->assign(reinterpret_cast<const char16_t*>(text), length);
    ::GlobalUnlock(data);
  }
  ::CloseClipboard();
  return text != nullptr;
}

bool IsKeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

// WM_PASTE, and the keys that paste (Ctrl+V, Shift+Insert), which a control may carry out
// without sending itself WM_PASTE.
bool IsPaste(UINT message, WPARAM wParam) {
  return message == WM_PASTE || (message == WM_CHAR && wParam == 0x16) ||
         (message == WM_KEYDOWN && wParam == VK_INSERT && IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL));
}

// The edit's text and selection.
struct EditState {
  std::u16string text;
  DWORD selStart = 0;
  DWORD selEnd = 0;
};

// The filter and the limit of one edit, attached to it on first use; it deletes itself with the window.
class EditInput : public CWnd {
 public:
  // The edit's object, attached now when it has none; null when that failed.
  static EditInput* Of(HWND edit) {
    if (auto* existing = reinterpret_cast<EditInput*>(::SendMessageW(edit, WM_QUERY_EDIT_INPUT, 0, 0))) return existing;
    auto input = std::make_unique<EditInput>();
    return input->SubclassWindow(edit) ? input.release() : nullptr;
  }

  size_t m_maxBytes = SIZE_MAX;
  editlimit::Filter m_filter = nullptr;
  std::wstring m_refusedTitle;
  std::wstring m_refusedText;

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override { delete this; }

 private:
  EditState Read() const {
    EditState state;
    const int length = ::GetWindowTextLengthW(m_hWnd);
    state.text.assign(static_cast<size_t>(length > 0 ? length : 0) + 1, u'\0');
    const int copied = ::GetWindowTextW(m_hWnd, reinterpret_cast<wchar_t*>(&state.text[0]), length + 1);
    state.text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    ::SendMessageW(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&state.selStart), reinterpret_cast<LPARAM>(&state.selEnd));
    return state;
  }

  editlimit::Decision Decide(const EditState& before, const std::u16string& proposed) const {
    return editlimit::Decide(before.text, proposed, before.selStart, before.selEnd, m_filter, m_maxBytes, &AnsiBytes);
  }

  // What before's selection becomes when the user types or pastes insert.
  editlimit::Decision DecideInsertion(const EditState& before, const std::u16string& insert) const {
    return Decide(before, editlimit::ReplaceSelection(before.text, before.selStart, before.selEnd, insert));
  }

  void ReplaceSelection(const std::u16string& text) {
    ::SendMessageW(m_hWnd, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Wide(text)));
  }

  void ShowRefusal() {
    EDITBALLOONTIP tip{sizeof(EDITBALLOONTIP), m_refusedTitle.c_str(), m_refusedText.c_str(), TTI_ERROR};
    // Without version 6 of the common controls there is no balloon: a beep says as much.
    if (!::SendMessageW(m_hWnd, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip))) ::MessageBeep(MB_OK);
  }

  // The action that turned before into the control's text, held to the filter and the limit: back
  // to before, then what stays of it in place of what it replaced.
  void Settle(const EditState& before) {
    const editlimit::Decision decision = Decide(before, Read().text);
    if (decision.asProposed) return;
    ::SetWindowTextW(m_hWnd, Wide(before.text));
    if (decision.insert.empty()) {
      ::SendMessageW(m_hWnd, EM_SETSEL, before.selStart, before.selEnd);
      if (decision.balloon) ShowRefusal();
      return;
    }
    ::SendMessageW(m_hWnd, EM_SETSEL, decision.start, decision.start + decision.removed);
    ReplaceSelection(decision.insert);
  }

  // A paste into a field with a filter is taken whole from the clipboard and converted before it
  // goes in: the control's own paste would cut it to its limit in units first, so that a separated
  // address, longer than the digits it holds, lost its end. What fits goes in as one undoable
  // replacement; a refused paste changes nothing.
  void PasteWhole() {
    std::u16string line;
    if ((GetStyle() & ES_READONLY) != 0 || !ClipboardLine(m_hWnd, &line)) return;
    const editlimit::Decision decision = DecideInsertion(Read(), line);
    if (decision.balloon) ShowRefusal();
    if (!decision.insert.empty()) ReplaceSelection(decision.insert);
  }

  // A composition message while composing: the result, once there is one, held to the filter.
  LRESULT Compose(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefWindowProc(message, wParam, lParam);
    if (message == WM_IME_ENDCOMPOSITION || (lParam & GCS_RESULTSTR) != 0) {
      Settle(m_committed);
      m_committed = Read();
    }
    if (message == WM_IME_ENDCOMPOSITION) m_composing = false;
    return result;
  }

  bool m_composing = false;
  EditState m_committed;  // the text and selection when the composition began
};

LRESULT EditInput::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_QUERY_EDIT_INPUT) return reinterpret_cast<LRESULT>(this);
  if (m_filter != nullptr && IsPaste(message, wParam)) {
    PasteWhole();
    return 0;
  }
  if ((message == WM_CHAR || message == WM_IME_CHAR) && IsTypedCharacter(wParam)) {
    const editlimit::Decision decision = DecideInsertion(Read(), std::u16string(1, static_cast<char16_t>(wParam)));
    if (!decision.asProposed && decision.insert.size() != 1) {
      if (decision.balloon) ShowRefusal();
      return 0;
    }
    if (!decision.asProposed) wParam = decision.insert[0];
  } else if (message == WM_IME_STARTCOMPOSITION) {
    m_committed = Read();
    m_composing = true;
    return DefWindowProc(message, wParam, lParam);
  } else if (m_composing && (message == WM_IME_COMPOSITION || message == WM_IME_ENDCOMPOSITION)) {
    return Compose(message, wParam, lParam);
  }
  // The program's own texts (WM_SETTEXT: a record shown for editing) stay whole: the length check
  // of the data exchange speaks about them. While composing, the provisional text comes and goes
  // with the IME's messages; only the result counts (above). Every other message that can change
  // the text is still checked, so a composition whose end never came cannot open the way to a paste.
  if (!CanChangeText(message) || (m_composing && IsImeMessage(message))) {
    return DefWindowProc(message, wParam, lParam);
  }
  const EditState before = Read();
  // A menu's Paste that runs the control's own paste without WM_PASTE would be cut to the unit
  // limit before the check below could convert it (a separated address would lose its end):
  // while the menu runs, the byte limit alone bounds what goes in.
  const bool liftUnitLimit = message == WM_CONTEXTMENU && m_filter != nullptr;
  const LRESULT unitLimit = liftUnitLimit ? ::SendMessageW(m_hWnd, EM_GETLIMITTEXT, 0, 0) : 0;
  if (liftUnitLimit) ::SendMessageW(m_hWnd, EM_LIMITTEXT, 0, 0);
  const HWND edit = m_hWnd;
  const LRESULT result = DefWindowProc(message, wParam, lParam);
  if (!::IsWindow(edit)) return result;  // this object went with the window
  if (liftUnitLimit) ::SendMessageW(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(unitLimit), 0);
  Settle(before);
  return result;
}

}  // namespace

void LimitEditToBytes(HWND edit, int maxBytes) {
  ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(maxBytes), 0);
  if (EditInput* input = EditInput::Of(edit)) input->m_maxBytes = static_cast<size_t>(maxBytes);
}

void FilterEditInput(HWND edit, editlimit::Filter filter, const std::wstring& refusedTitle,
                     const std::wstring& refusedText) {
  EditInput* input = EditInput::Of(edit);
  if (input == nullptr) return;
  input->m_filter = filter;
  input->m_refusedTitle = refusedTitle;
  input->m_refusedText = refusedText;
}
