// AfxMessageBox: adds the default icon, then hands the box to the test hook or the platform.
#include "framework/MessageBox.h"

#include <mutex>
#include <utility>

#include "framework/WinApp.h"

namespace {

std::mutex g_hookMutex;
MessageBoxHook g_hook;

MessageBoxHook CurrentHook() {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  return g_hook;
}

}  // namespace

ScopedMessageBoxHook::ScopedMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  m_previous = std::exchange(g_hook, std::move(hook));
}

ScopedMessageBoxHook::~ScopedMessageBoxHook() {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_hook = std::move(m_previous);
}

int AfxMessageBox(const char* textCp932, UINT type, UINT /*helpContext*/) {
  MessageBoxRequest request;
  request.text = textCp932 ? textCp932 : "";
  request.type = type;
  if ((type & MB_ICONMASK) == 0) request.type |= MB_ICONEXCLAMATION;
  request.owner = AfxGetMainWindowHandle();
  if (MessageBoxHook hook = CurrentHook()) return hook(request);
  return ShowPlatformMessageBox(request);
}
