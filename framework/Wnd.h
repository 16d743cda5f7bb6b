// CWnd: a window object attached to a Windows window handle, with message-map dispatch.
//
// Attaching: a dialog attaches itself when it is created (CDialog, from its dialog procedure); a
// control is attached with SubclassWindow (or DDX_Control), through comctl32's window subclassing
// with the object as the subclass's reference data. From then on every message of the window goes
// first through WindowProc: the object's message map, then the window's default processing. The
// object is detached when the window receives WM_NCDESTROY (m_hWnd becomes null), and a control
// still attached loses its subclass when the object is destroyed first.
//
// Threads: all dispatch happens on the thread that owns the window; other threads reach the
// window through SendMessage, which the owning thread handles one message at a time.
#pragma once
#include "framework/MessageMap.h"
#include "framework/Platform.h"

// What a parent sends an owner-drawn control for the WM_DRAWITEM it received about it (same
// WPARAM and LPARAM); an attached control that draws itself answers TRUE, any other window 0.
constexpr UINT WM_REFLECTED_DRAWITEM = WM_APP + 0x3F00;

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The attached window, or null when none is attached.
  HWND GetSafeHwnd() const { return m_hWnd; }

  // Attaches this object to the control hWnd and routes its messages through this object's map.
  // FALSE when this object is already attached, hWnd is not a window, or subclassing failed.
  BOOL SubclassWindow(HWND hWnd);

  // Thin forwards to the window functions of the same name, on m_hWnd.
  BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  // The child control's window, or null when there is none.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  // rect null: the whole client area.
  void InvalidateRect(const RECT* rect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, rect, bErase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  // WM_SETREDRAW: FALSE keeps the window from drawing its changes until it is TRUE again.
  void SetRedraw(BOOL bRedraw = TRUE) { SendMessage(WM_SETREDRAW, static_cast<WPARAM>(bRedraw)); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
  // Removes, then adds, style bits. Returns TRUE when the style changed.
  BOOL ModifyStyle(DWORD remove, DWORD add);
  // The window menu (bRevert FALSE), or null; the handle belongs to the window.
  HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
  // Returns the icon set before.
  HICON SetIcon(HICON hIcon, BOOL bBigIcon) {
    const WPARAM which = bBigIcon ? ICON_BIG : ICON_SMALL;
    return reinterpret_cast<HICON>(SendMessage(WM_SETICON, which, reinterpret_cast<LPARAM>(hIcon)));
  }
  // The dots per inch the window is drawn at: 96 at 100 % scaling. The manifest declares the
  // program aware of the system's setting, so Windows scales nothing itself and this is that
  // setting; 96 when it cannot be read.
  int GetDpi() const;

  // Default processing of the message being handled now (inside a handler of this window's map):
  // the control's own procedure; for a dialog, the dialog manager's, which runs once the handler
  // has returned (the result is then 0). 0 outside a handler.
  LRESULT Default();

  HWND m_hWnd = nullptr;

 protected:
  // The one dispatch: the message map, then, for WM_DRAWITEM, the control the item belongs to
  // (WM_REFLECTED_DRAWITEM), then DefWindowProc. Derived classes may look at messages before or after it.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's default processing: the procedure below the subclass.
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // After WM_NCDESTROY has detached the object; an object that owns itself deletes itself here.
  virtual void PostNcDestroy() {}

  // Default handlers, for derived classes to call: each is Default().
  void OnPaint() { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  void OnDestroy() { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnSetFocus(HWND) { Default(); }
  void OnKillFocus(HWND) { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

  // Ends the attachment once the window has had WM_NCDESTROY, then PostNcDestroy.
  void Detach();

 private:
  static LRESULT CALLBACK SubclassProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR data);

  MessageArgs* m_current = nullptr;  // the message a handler of the map is handling, for Default()
};
