// CWnd's attachment to windows and its message dispatch.
#include "framework/Wnd.h"

#include "framework/CommonControls_win32.h"

// The subclass's id is the object too: objects of their own on one window never replace each other.
CWnd::~CWnd() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) {
    comctl::RemoveWindowSubclass(m_hWnd, &CWnd::SubclassProc, reinterpret_cast<UINT_PTR>(this));
  }
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd != nullptr || hWnd == nullptr || !::IsWindow(hWnd)) return FALSE;
  const auto self = reinterpret_cast<UINT_PTR>(this);
  if (!comctl::SetWindowSubclass(hWnd, &CWnd::SubclassProc, self, static_cast<DWORD_PTR>(self))) return FALSE;
  m_hWnd = hWnd;
  return TRUE;
}

void CWnd::Detach() {
  m_hWnd = nullptr;
  PostNcDestroy();
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add) {
  const DWORD style = GetStyle();
  const DWORD newStyle = (style & ~remove) | add;
  if (style == newStyle) return FALSE;
  ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(newStyle));
  return TRUE;
}

int CWnd::GetDpi() const {
  // GetDpiForWindow would say the same from Windows 10 on; the program also runs on Vista to 8.1.
  HDC dc = ::GetDC(m_hWnd);
  const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc != nullptr) ::ReleaseDC(m_hWnd, dc);
  return dpi > 0 ? dpi : 96;
}

LRESULT CWnd::Default() {
  return m_current != nullptr ? DefWindowProc(m_current->message, m_current->wParam, m_current->lParam) : 0;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return comctl::DefSubclassProc(m_hWnd, message, wParam, lParam);
}

const MessageMap* CWnd::GetThisMessageMap() { return nullptr; }  // the root: nothing of its own

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  UINT code = 0;
  UINT id = 0;
  if (message == WM_COMMAND) {
    code = HIWORD(wParam);
    id = LOWORD(wParam);
  } else if (message == WM_NOTIFY && lParam != 0) {
    code = reinterpret_cast<const NMHDR*>(lParam)->code;
    id = static_cast<UINT>(reinterpret_cast<const NMHDR*>(lParam)->idFrom);
  }
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base()) {
    for (const MessageMapEntry* entry = map->entries; entry->invoke != nullptr; ++entry) {
      if (entry->message != message || entry->code != code || entry->id != id) continue;
      MessageArgs args{message, wParam, lParam, 0};
      MessageArgs* const outer = m_current;  // a message sent to this window from a handler nests
      m_current = &args;
      entry->invoke(this, args);
      m_current = outer;
      return args.result;
    }
  }
  // Owner-drawn controls draw themselves: the parent hands the item back to the control.
  if (message == WM_DRAWITEM && lParam != 0) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU && ::SendMessageW(item->hwndItem, WM_REFLECTED_DRAWITEM, wParam, lParam) != 0) {
      return TRUE;
    }
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                    DWORD_PTR data) {
  auto* wnd = reinterpret_cast<CWnd*>(data);
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    comctl::RemoveWindowSubclass(hWnd, &CWnd::SubclassProc, id);
    wnd->Detach();
  }
  return result;
}
