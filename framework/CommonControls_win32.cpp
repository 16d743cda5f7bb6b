// comctl32's functions, each looked up once in the module the manifest's activation context gives.
#include "framework/CommonControls_win32.h"

#include "framework/SystemLibrary_win32.h"

namespace comctl {

namespace {

HMODULE Comctl32() {
  // By name alone, which the manifest's activation context sends to the version 6 copy in WinSxS
  // (system32 holds version 5); the search, narrowed first, plays no part.
  static const HMODULE module = ::LoadLibraryW(L"comctl32.dll");
  return module;
}

}  // namespace

void InitCommonControls() {
  static const auto function = SystemFunction<decltype(&::InitCommonControls)>(Comctl32(), "InitCommonControls");
  if (function != nullptr) function();
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  static const auto function = SystemFunction<decltype(&::SetWindowSubclass)>(Comctl32(), "SetWindowSubclass");
  return function != nullptr ? function(window, proc, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  static const auto function = SystemFunction<decltype(&::RemoveWindowSubclass)>(Comctl32(), "RemoveWindowSubclass");
  return function != nullptr ? function(window, proc, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  static const auto function = SystemFunction<decltype(&::DefSubclassProc)>(Comctl32(), "DefSubclassProc");
  return function != nullptr ? function(window, message, wParam, lParam) : 0;
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  static const auto function = SystemFunction<decltype(&::ImageList_Draw)>(Comctl32(), "ImageList_Draw");
  return function != nullptr ? function(list, index, dc, x, y, style) : FALSE;
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
  static const auto function = SystemFunction<decltype(&::ImageList_DrawEx)>(Comctl32(), "ImageList_DrawEx");
  return function != nullptr ? function(list, index, dc, x, y, dx, dy, background, foreground, style) : FALSE;
}

}  // namespace comctl
