// Message maps: per-class tables that route window messages to typed member handlers.
//
// A class that handles messages writes DECLARE_MESSAGE_MAP() in its declaration and, in its
// source file, a table between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). Messages
// that no entry of the class takes go to the base class's table, then to the window's default
// processing. Each entry checks its handler's signature at compile time:
//
//   ON_WM_SYSCOMMAND()      void OnSysCommand(UINT nID, LPARAM lParam)
//   ON_WM_PAINT()           void OnPaint()
//   ON_WM_QUERYDRAGICON()   HCURSOR OnQueryDragIcon()
//   ON_WM_DESTROY()         void OnDestroy()
//   ON_WM_SIZE()            void OnSize(UINT nType, int cx, int cy)
//   ON_WM_SETFOCUS()        void OnSetFocus(HWND hOldWnd)      (hOldWnd may be null)
//   ON_WM_KILLFOCUS()       void OnKillFocus(HWND hNewWnd)     (hNewWnd may be null)
//   ON_WM_ERASEBKGND()      BOOL OnEraseBkgnd(CDC* pDC)        (nonzero: background erased)
//   ON_COMMAND(id, f)       void f()   a menu command, or a button's BN_CLICKED (same code)
//   ON_BN_CLICKED(id, f)    void f()
//   ON_NOTIFY(code, id, f)  void f(NMHDR* pNMHDR, LRESULT* pResult)   (*pResult starts at 0)
//   ON_MESSAGE(msg, f)      LRESULT f(WPARAM wParam, LPARAM lParam)
#pragma once
#include <type_traits>

#include "framework/Gdi.h"
#include "framework/Platform.h"

class CWnd;

// The message being dispatched; a handler's thunk leaves the window procedure's result here.
struct MessageArgs {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  LRESULT result;
};

struct MessageMapEntry {
  UINT message;  // the window message; an entry with a null invoke ends the table
  UINT code;     // notification code for WM_COMMAND and WM_NOTIFY entries, else 0
  UINT id;       // control or command identifier for WM_COMMAND and WM_NOTIFY entries, else 0
  void (*invoke)(CWnd* target, MessageArgs& args);
};

struct MessageMap {
  const MessageMap* (*base)();  // gives the base class's table; CWnd's, the root's, is null
  const MessageMapEntry* entries;
};

namespace msgmap {

// Calls the handler Fn of class C (its own or inherited) with the message's parameters decoded for
// the signature Sig, and leaves its result in args (0 for a handler that returns nothing). A
// handler of another signature than the one the table above gives for its entry does not compile.
template <typename C, auto Fn, typename Sig>
void Invoke(CWnd* w, MessageArgs& a) {
  constexpr Sig C::*fn = Fn;
  auto* t = static_cast<C*>(w);
  if constexpr (std::is_same_v<Sig, void()>) {
    (t->*fn)();
  } else if constexpr (std::is_same_v<Sig, void(UINT, LPARAM)>) {
    (t->*fn)(static_cast<UINT>(a.wParam), a.lParam);
  } else if constexpr (std::is_same_v<Sig, void(UINT, int, int)>) {
    (t->*fn)(static_cast<UINT>(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam));
  } else if constexpr (std::is_same_v<Sig, void(HWND)>) {
    (t->*fn)(reinterpret_cast<HWND>(a.wParam));
  } else if constexpr (std::is_same_v<Sig, HCURSOR()>) {
    a.result = reinterpret_cast<LRESULT>((t->*fn)());
  } else if constexpr (std::is_same_v<Sig, BOOL(CDC*)>) {
    CDC dc(reinterpret_cast<HDC>(a.wParam));
    a.result = (t->*fn)(&dc);
  } else if constexpr (std::is_same_v<Sig, void(NMHDR*, LRESULT*)>) {
    (t->*fn)(reinterpret_cast<NMHDR*>(a.lParam), &a.result);
  } else {
    static_assert(std::is_same_v<Sig, LRESULT(WPARAM, LPARAM)>);
    a.result = (t->*fn)(a.wParam, a.lParam);
  }
}

}  // namespace msgmap

#define DECLARE_MESSAGE_MAP()                               \
 protected:                                                 \
  static const MessageMap* GetThisMessageMap();             \
  const MessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                       \
  const MessageMap* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const MessageMap* theClass::GetThisMessageMap() {                                  \
    using ThisClass = theClass;                                                      \
    using TheBaseClass = baseClass;                                                  \
    static const MessageMapEntry entries[] = {

#define END_MESSAGE_MAP()                                                                     \
  {0, 0, 0, nullptr}};                                                                        \
  static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "the map chains to a base class"); \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};                  \
  return &map;                                                                                \
  }

#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnSysCommand, void(UINT, LPARAM)>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnPaint, void()>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnQueryDragIcon, HCURSOR()>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnDestroy, void()>},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnSize, void(UINT, int, int)>},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnSetFocus, void(HWND)>},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnKillFocus, void(HWND)>},
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::OnEraseBkgnd, BOOL(CDC*)>},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), &msgmap::Invoke<ThisClass, &ThisClass::memberFxn, void()>},
#define ON_BN_CLICKED(id, memberFxn) \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), &msgmap::Invoke<ThisClass, &ThisClass::memberFxn, void()>},
#define ON_NOTIFY(code, id, memberFxn)                                  \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id),           \
   &msgmap::Invoke<ThisClass, &ThisClass::memberFxn, void(NMHDR*, LRESULT*)>},
#define ON_MESSAGE(message, memberFxn) \
  {static_cast<UINT>(message), 0, 0, &msgmap::Invoke<ThisClass, &ThisClass::memberFxn, LRESULT(WPARAM, LPARAM)>},
