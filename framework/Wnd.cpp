// CWnd's attachment to windows and its message dispatch.
#include "framework/Wnd.h"

CWnd::~CWnd() {
  if (m_hWnd != nullptr && ::IsWindow(m_hWnd)) UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) {
  if (hWnd == nullptr || !::IsWindow(hWnd)) return nullptr;
  const auto proc = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
  if (proc != &CWnd::StaticWindowProc) return nullptr;
  auto* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  return (wnd != nullptr && wnd->m_hWnd == hWnd) ? wnd : nullptr;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
  if (m_hWnd != nullptr || hWnd == nullptr || !::IsWindow(hWnd)) return FALSE;
  if (FromHandlePermanent(hWnd) != nullptr) return FALSE;
  m_hWnd = hWnd;
  ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  m_pfnSuper = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWindowProc)));
  return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
  if (parent == nullptr) return FALSE;
  return SubclassWindow(::GetDlgItem(parent->m_hWnd, static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() {
  HWND hWnd = m_hWnd;
  if (hWnd == nullptr) return nullptr;
  if (m_pfnSuper != nullptr) {
    ::SetWindowLongPtrW(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
  }
  ::SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
  return hWnd;
}

void CWnd::Detach() {
  ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
  m_pfnSuper = nullptr;
  m_hWnd = nullptr;
}

BOOL CWnd::ModifyStyle(DWORD remove, DWORD add, UINT flags) {
  const DWORD style = GetStyle();
  const DWORD newStyle = (style & ~remove) | add;
  if (style == newStyle) return FALSE;
  ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(newStyle));
  if (flags != 0) {
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | flags);
  }
  return TRUE;
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(::SendMessageW(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                                                reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::GetDpi() const {
  // GetDpiForWindow would say the same from Windows 10 on; the program also runs on Vista to 8.1.
  HDC dc = ::GetDC(m_hWnd);
  const int dpi = dc != nullptr ? ::GetDeviceCaps(dc, LOGPIXELSX) : 0;
  if (dc != nullptr) ::ReleaseDC(m_hWnd, dc);
  return dpi > 0 ? dpi : 96;
}

LRESULT CWnd::Default() { return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (m_pfnSuper != nullptr) return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
  return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::OnChildNotify(UINT, WPARAM, LPARAM, LRESULT*) { return FALSE; }

const MessageMap* CWnd::GetThisMessageMap() {
  static const MessageMapEntry entries[] = {{0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  UINT code = 0;
  UINT id = 0;
  if (message == WM_COMMAND) {
    code = HIWORD(wParam);
    id = LOWORD(wParam);
  } else if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) return false;
    code = header->code;
    id = static_cast<UINT>(header->idFrom);
  }
  for (const MessageMap* map = GetMessageMap(); map != nullptr; map = map->base ? map->base() : nullptr) {
    for (const MessageMapEntry* entry = map->entries; entry->invoke != nullptr; ++entry) {
      if (entry->message != message || entry->code != code || entry->id != id) continue;
      MessageArgs args{message, wParam, lParam, 0};
      entry->invoke(this, args);
      *pResult = args.result;
      return true;
    }
  }
  return false;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  CurrentMessageScope current(this, message, wParam, lParam);
  LRESULT result = 0;
  if (OnWndMsg(message, wParam, lParam, &result)) return result;
  if (message == WM_DRAWITEM && lParam != 0) {
    // Owner-drawn controls draw themselves: the parent hands the item back to the control's object.
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_MENU) {
      CWnd* child = FromHandlePermanent(item->hwndItem);
      if (child != nullptr && child->OnChildNotify(message, wParam, lParam, &result)) return result;
    }
  }
  return DefWindowProc(message, wParam, lParam);
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* wnd = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hWnd, GWLP_USERDATA));
  if (wnd == nullptr || wnd->m_hWnd != hWnd) return ::DefWindowProcW(hWnd, message, wParam, lParam);
  const LRESULT result = wnd->WindowProc(message, wParam, lParam);
  if (message == WM_NCDESTROY) wnd->Detach();
  return result;
}

CWnd::CurrentMessageScope::CurrentMessageScope(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam)
    : m_wnd(wnd), m_saved(wnd->m_current) {
  m_wnd->m_current.hwnd = wnd->m_hWnd;
  m_wnd->m_current.message = message;
  m_wnd->m_current.wParam = wParam;
  m_wnd->m_current.lParam = lParam;
}

CWnd::CurrentMessageScope::~CurrentMessageScope() { m_wnd->m_current = m_saved; }
