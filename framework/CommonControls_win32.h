// comctl32's functions the window layer calls, taken at first use from the version 6 copy the
// manifest binds, so that the program's import table does not name comctl32.
#pragma once
#include "framework/Platform.h"

#include <commctrl.h>

namespace comctl {

// Each does what its comctl32 namesake does. Where comctl32 cannot be loaded each fails as its
// namesake reports failure (FALSE; 0 from DefSubclassProc) and InitCommonControls does nothing.
void InitCommonControls();
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR data);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
BOOL ImageList_DrawEx(HIMAGELIST list, int index, HDC dc, int x, int y, int dx, int dy, COLORREF background,
                      COLORREF foreground, UINT style);

}  // namespace comctl
