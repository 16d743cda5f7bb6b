// CWinApp: the one application object, its command line and main window, and the framework's start-up.
#pragma once
#include "framework/Platform.h"

class CWnd;

class CWinApp {
 public:
  CWinApp();  // registers this object as the application (AfxGetApp)
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  // The application's work. Returning FALSE ends the process without a message loop.
  virtual BOOL InitInstance();
  // Clean-up before the process ends; returns the process's exit code.
  virtual int ExitInstance();

#ifdef _WIN32
  // Icon id from the application's resources, or null.
  HICON LoadIcon(UINT id) const;
  HINSTANCE m_hInstance = nullptr;
#endif

  const char* m_lpCmdLine = "";  // the command line after the program name
  CWnd* m_pMainWnd = nullptr;    // owner of message boxes while set
};

// The application object, or null before one is constructed.
CWinApp* AfxGetApp();

// Window of the application's main window, or null when there is none (the command-line path).
HWND AfxGetMainWindowHandle();

#ifdef _WIN32
// The module that holds the program's resources: the application's instance, or the
// executable when no application object has one (as in the test program).
HINSTANCE AfxGetResourceHandle();
#endif

// Control hosting needs nothing of ours; kept so start-up reads as the framework's does.
inline void AfxEnableControlContainer() {}

// Runs the registered application: InitInstance, then (it always ends the process here,
// as no message loop runs outside modal dialogs) ExitInstance, whose result is returned.
int AfxWinMain(const char* cmdLine);
