// Off Windows there are no windows, so no message box ever has an owner.
#include "framework/WinApp.h"

HWND AfxGetMainWindowHandle() { return nullptr; }
