// CKestrinApp::InitInstance: one wake from the command line, or one run of the main window.
#include "app/KestrinApp.h"

#include "framework/Platform.h"

#include <commctrl.h>

#include "app/CommandLine.h"

BOOL CKestrinApp::InitInstance() {
  InitCommonControls();
  CWinApp::InitInstance();
  AfxEnableControlContainer();

  WakeRequest request;
  if (ParseWakeCommandLine(m_lpCmdLine, request)) {
    PerformCommandLineWake(request);
  } else {
    // The main window arrives with its own change; until then the interactive mode ends at once.
  }
  return FALSE;
}
