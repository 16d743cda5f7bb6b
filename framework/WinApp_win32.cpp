// The application object's Windows side: its module's resources and its main window.
#include "framework/WinApp.h"
#include "framework/Wnd.h"

HICON CWinApp::LoadIcon(UINT id) const {
  return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id));
}

HINSTANCE AfxGetResourceHandle() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr && app->m_hInstance != nullptr) return app->m_hInstance;
  return GetModuleHandleW(nullptr);
}

HWND AfxGetMainWindowHandle() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || app->m_pMainWnd == nullptr) return nullptr;
  return app->m_pMainWnd->GetSafeHwnd();
}
