// AfxMessageBox: adds the default icon, then hands the box to the test hook or the platform.
#include "framework/MessageBox.h"

#include "framework/WinApp.h"

Overridable<MessageBoxHook>& MessageBoxSeam() {
  static Overridable<MessageBoxHook> hook;
  return hook;
}

int AfxMessageBox(const char* textCp932, UINT type, UINT /*helpContext*/) {
  MessageBoxRequest request;
  request.text = textCp932 ? textCp932 : "";
  request.type = type;
  if ((type & MB_ICONMASK) == 0) request.type |= MB_ICONEXCLAMATION;
  request.owner = AfxGetMainWindowHandle();
  if (MessageBoxHook hook = MessageBoxSeam().Get()) return hook(request);
  return ShowPlatformMessageBox(request);
}
