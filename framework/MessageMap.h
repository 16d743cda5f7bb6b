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
  const MessageMap* (*base)();  // the base class's table; null for the root (CWnd's)
  const MessageMapEntry* entries;
};

namespace msgmap {

template <typename F>
struct MemberOf;
template <typename C, typename R, typename... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
  using Signature = R(A...);
};

// The handler's own class, so inherited handlers (CWnd::OnPaint) are called on the right type.
template <auto Fn>
auto* Target(CWnd* wnd) {
  return static_cast<typename MemberOf<decltype(Fn)>::Class*>(wnd);
}

template <auto Fn, typename Expected>
constexpr bool HasSignature = std::is_same_v<typename MemberOf<decltype(Fn)>::Signature, Expected>;

template <auto Fn>
void Void(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, void()>, "this entry's handler takes no arguments and returns void");
  (Target<Fn>(w)->*Fn)();
  a.result = 0;
}

template <auto Fn>
void SysCommand(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, void(UINT, LPARAM)>, "OnSysCommand(UINT nID, LPARAM lParam)");
  (Target<Fn>(w)->*Fn)(static_cast<UINT>(a.wParam), a.lParam);
  a.result = 0;
}

template <auto Fn>
void QueryDragIcon(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, HCURSOR()>, "HCURSOR OnQueryDragIcon()");
  a.result = reinterpret_cast<LRESULT>((Target<Fn>(w)->*Fn)());
}

template <auto Fn>
void Size(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, void(UINT, int, int)>, "OnSize(UINT nType, int cx, int cy)");
  (Target<Fn>(w)->*Fn)(static_cast<UINT>(a.wParam), LOWORD(a.lParam), HIWORD(a.lParam));
  a.result = 0;
}

template <auto Fn>
void Focus(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, void(HWND)>, "OnSetFocus/OnKillFocus(HWND hOtherWnd)");
  (Target<Fn>(w)->*Fn)(reinterpret_cast<HWND>(a.wParam));
  a.result = 0;
}

template <auto Fn>
void EraseBkgnd(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, BOOL(CDC*)>, "BOOL OnEraseBkgnd(CDC* pDC)");
  CDC dc(reinterpret_cast<HDC>(a.wParam));
  a.result = (Target<Fn>(w)->*Fn)(&dc);
}

template <auto Fn>
void Notify(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, void(NMHDR*, LRESULT*)>, "f(NMHDR* pNMHDR, LRESULT* pResult)");
  LRESULT result = 0;
  (Target<Fn>(w)->*Fn)(reinterpret_cast<NMHDR*>(a.lParam), &result);
  a.result = result;
}

template <auto Fn>
void Message(CWnd* w, MessageArgs& a) {
  static_assert(HasSignature<Fn, LRESULT(WPARAM, LPARAM)>, "LRESULT f(WPARAM wParam, LPARAM lParam)");
  a.result = (Target<Fn>(w)->*Fn)(a.wParam, a.lParam);
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

#define END_MESSAGE_MAP()                                                           \
  {0, 0, 0, nullptr}                                                                \
  }                                                                                 \
  ;                                                                                 \
  static_assert(std::is_base_of_v<TheBaseClass, ThisClass>, "the map chains to a base class"); \
  static const MessageMap map = {&TheBaseClass::GetThisMessageMap, entries};        \
  return &map;                                                                      \
  }

#define ON_WM_SYSCOMMAND() {WM_SYSCOMMAND, 0, 0, &msgmap::SysCommand<&ThisClass::OnSysCommand>},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, &msgmap::Void<&ThisClass::OnPaint>},
#define ON_WM_QUERYDRAGICON() {WM_QUERYDRAGICON, 0, 0, &msgmap::QueryDragIcon<&ThisClass::OnQueryDragIcon>},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, &msgmap::Void<&ThisClass::OnDestroy>},
#define ON_WM_SIZE() {WM_SIZE, 0, 0, &msgmap::Size<&ThisClass::OnSize>},
#define ON_WM_SETFOCUS() {WM_SETFOCUS, 0, 0, &msgmap::Focus<&ThisClass::OnSetFocus>},
#define ON_WM_KILLFOCUS() {WM_KILLFOCUS, 0, 0, &msgmap::Focus<&ThisClass::OnKillFocus>},
#define ON_WM_ERASEBKGND() {WM_ERASEBKGND, 0, 0, &msgmap::EraseBkgnd<&ThisClass::OnEraseBkgnd>},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), &msgmap::Void<&ThisClass::memberFxn>},
#define ON_BN_CLICKED(id, memberFxn) \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), &msgmap::Void<&ThisClass::memberFxn>},
#define ON_NOTIFY(code, id, memberFxn) \
  {WM_NOTIFY, static_cast<UINT>(code), static_cast<UINT>(id), &msgmap::Notify<&ThisClass::memberFxn>},
#define ON_MESSAGE(message, memberFxn) {static_cast<UINT>(message), 0, 0, &msgmap::Message<&ThisClass::memberFxn>},
