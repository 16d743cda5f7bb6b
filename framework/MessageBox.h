// AfxMessageBox, and the seam through which tests see and answer message boxes instead of a person.
#pragma once
#include <functional>
#include <string>

#include "framework/Platform.h"
#include "framework/ScopedOverride.h"

// One box as the program asked for it.
struct MessageBoxRequest {
  std::string text;  // the program's own text, in code page 932
  UINT type = 0;     // MB_* flags after the default icon was added
  HWND owner = nullptr;
};

// Returns the button the box was closed with (IDOK, IDYES, IDNO, ...).
using MessageBoxHook = std::function<int(const MessageBoxRequest&)>;

// Every AfxMessageBox of the process goes to the hook in place here, when there is one; tests
// put theirs in with a ScopedOverride.
Overridable<MessageBoxHook>& MessageBoxSeam();

// Shows a modal box owned by the application's main window (none on the command-line path),
// captioned with the executable's name without extension. A box that names no icon gets
// the exclamation icon. Returns the button that closed it.
int AfxMessageBox(const char* textCp932, UINT type = MB_OK, UINT helpContext = 0);
#ifdef _WIN32
// The same with the string nIDPrompt of the program's resources as the text.
int AfxMessageBox(UINT nIDPrompt, UINT type = MB_OK, UINT helpContext = static_cast<UINT>(-1));
#endif

// The platform's own box, behind the seam: Windows shows a real one; elsewhere the text goes to stderr.
int ShowPlatformMessageBox(const MessageBoxRequest& request);
