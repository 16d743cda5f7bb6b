// comctl32's functions looked up once in the module the manifest's activation context gives.
#include "framework/CommonControls_win32.h"

#include "framework/SystemLibrary_win32.h"

namespace comctl {

namespace {

struct Functions {
  decltype(&::InitCommonControls) initCommonControls;
  decltype(&::SetWindowSubclass) setWindowSubclass;
  decltype(&::RemoveWindowSubclass) removeWindowSubclass;
  decltype(&::DefSubclassProc) defSubclassProc;
  decltype(&::ImageList_Draw) imageListDraw;
  decltype(&::ImageList_DrawEx) imageListDrawEx;
};

const Functions& Loaded() {
  static const Functions functions = [] {
    const HMODULE module = LoadCommonControlsLibrary();
    return Functions{
        SystemFunction<decltype(&::InitCommonControls)>(module, "InitCommonControls"),
        SystemFunction<decltype(&::SetWindowSubclass)>(module, "SetWindowSubclass"),
        SystemFunction<decltype(&::RemoveWindowSubclass)>(module, "RemoveWindowSubclass"),
        SystemFunction<decltype(&::DefSubclassProc)>(module, "DefSubclassProc"),
        SystemFunction<decltype(&::ImageList_Draw)>(module, "ImageList_Draw"),
        SystemFunction<decltype(&::ImageList_DrawEx)>(module, "ImageList_DrawEx"),
    };
  }();
  return functions;
}

}  // namespace

void InitCommonControls() {
  if (Loaded().initCommonControls != nullptr) Loaded().initCommonControls();
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data) {
  return CallIfFound(Loaded().setWindowSubclass, BOOL{FALSE}, window, proc, id, data);
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id) {
  return CallIfFound(Loaded().removeWindowSubclass, BOOL{FALSE}, window, proc, id);
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallIfFound(Loaded().defSubclassProc, LRESULT{0}, window, message, wParam, lParam);
}

BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
  return CallIfFound(Loaded().imageListDraw, BOOL{FALSE}, list, index, dc, x, y, style);
}

BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style) {
  return CallIfFound(Loaded().imageListDrawEx, BOOL{FALSE}, list, index, dc, x, y, dx, dy, background, foreground,
                     style);
}

}  // namespace comctl
