// CKestrinApp: chooses between the command-line wake and the main window.
#pragma once
#include "framework/WinApp.h"

class CKestrinApp : public CWinApp {
 public:
  CKestrinApp() = default;
  ~CKestrinApp() override = default;

  // Wakes the machine the command line names and ends, or runs the main window until it
  // closes. Always returns FALSE: the process ends either way.
  BOOL InitInstance() override;
  // The process's exit code: 1 after a command-line wake that could not send, else 0.
  int ExitInstance() override;

 private:
  int m_nExitCode = 0;
};
