// CWnd: a window object attached to a Windows window handle, with message-map dispatch and subclassing.
//
// Attaching: a dialog attaches itself when it is created (CDialog); a control is attached with
// SubclassWindow / SubclassDlgItem (or DDX_Control). From then on every message of the window
// goes first through WindowProc: the object's message map, then the window's own procedure.
// The object is found from the window through the window's user data (GWLP_USERDATA), so no
// table of windows exists. The object is detached when the window receives WM_NCDESTROY
// (m_hWnd becomes null), and a still-attached window gets its procedure back when the object
// is destroyed first.
//
// Threads: all dispatch happens on the thread that owns the window; other threads reach the
// window through SendMessage, which the owning thread handles one message at a time.
#pragma once
#include "framework/MessageMap.h"
#include "framework/Platform.h"

class CWnd {
 public:
  CWnd() = default;
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  // The attached window, or null when none is attached.
  HWND GetSafeHwnd() const { return m_hWnd; }

  // The object attached to hWnd by this program (a dialog, or a subclassed control);
  // null for any other window.
  static CWnd* FromHandlePermanent(HWND hWnd);

  // Attaches this object to hWnd and routes hWnd's messages through this object's map.
  // FALSE when this object is already attached, hWnd is not a window, or it belongs to another object.
  BOOL SubclassWindow(HWND hWnd);
  // The same for the child control id of parent.
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  // Gives the window its own procedure back and detaches; returns the window (null if none).
  HWND UnsubclassWindow();

  // Thin forwards to the window functions of the same name, on m_hWnd.
  BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
  BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
  BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
  BOOL IsIconic() const { return ::IsIconic(m_hWnd); }
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
  }
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
  }
  // The child control's window, or null when there is none.
  HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
  int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
  void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
  // rect null: the whole client area.
  void InvalidateRect(const RECT* rect, BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, rect, bErase); }
  void UpdateWindow() { ::UpdateWindow(m_hWnd); }
  void GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
  void GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }
  DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
  DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }
  // Removes, then adds, style bits. Returns TRUE when the style changed. flags (SWP_*), when
  // not zero, are passed to SetWindowPos with SWP_NOSIZE, SWP_NOMOVE, SWP_NOZORDER and SWP_NOACTIVATE.
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  // The window menu (bRevert FALSE), or null; the handle belongs to the window.
  HMENU GetSystemMenu(BOOL bRevert) const { return ::GetSystemMenu(m_hWnd, bRevert); }
  // Returns the icon set before.
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  // The parent's object when this program attached one to the parent window, else null.
  CWnd* GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }
  HWND SetFocus() { return ::SetFocus(m_hWnd); }
  // The dots per inch the window is drawn at: 96 at 100 % scaling. The manifest declares the
  // program aware of the system's setting, so Windows scales nothing itself and this is that
  // setting; 96 when it cannot be read.
  int GetDpi() const;

  // Default processing of the message being handled now (inside a handler of this window):
  // the window's own procedure, for a dialog the dialog manager's.
  LRESULT Default();

  HWND m_hWnd = nullptr;

 protected:
  // The one dispatch: the message map (then, for WM_DRAWITEM, the child control the item
  // belongs to), then DefWindowProc. Derived classes may look at messages before or after it.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's own procedure (the one it had before it was attached).
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // A message the parent received about this control (WM_DRAWITEM). TRUE when handled,
  // with the parent's result in *pResult.
  virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Looks message up in the maps from this class to CWnd; TRUE when an entry handled it.
  bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

  // Default handlers, for derived classes to call: each is Default().
  void OnPaint() { Default(); }
  void OnSysCommand(UINT, LPARAM) { Default(); }
  void OnDestroy() { Default(); }
  void OnSize(UINT, int, int) { Default(); }
  void OnSetFocus(HWND) { Default(); }
  void OnKillFocus(HWND) { Default(); }
  BOOL OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }

  // Makes message the one Default() processes, for the object's lifetime (dispatch outside WindowProc).
  class CurrentMessageScope {
   public:
    CurrentMessageScope(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
    ~CurrentMessageScope();
    CurrentMessageScope(const CurrentMessageScope&) = delete;
    CurrentMessageScope& operator=(const CurrentMessageScope&) = delete;

   private:
    CWnd* m_wnd;
    MSG m_saved;
  };

  static LRESULT CALLBACK StaticWindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  static const MessageMap* GetThisMessageMap();
  virtual const MessageMap* GetMessageMap() const;

  WNDPROC m_pfnSuper = nullptr;  // the window's procedure before it was attached

 private:
  void Detach();

  MSG m_current{};  // the message in progress, for Default()
};
