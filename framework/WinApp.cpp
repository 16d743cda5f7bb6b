// The application object's registration and the framework's start-up sequence.
#include "framework/WinApp.h"

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() { g_app = this; }

CWinApp::~CWinApp() {
  if (g_app == this) g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return 0; }

CWinApp* AfxGetApp() { return g_app; }

int AfxWinMain(const char* cmdLine) {
  CWinApp* app = AfxGetApp();
  if (app == nullptr) return -1;
  app->m_lpCmdLine = cmdLine ? cmdLine : "";
  app->InitInstance();
  return app->ExitInstance();
}
