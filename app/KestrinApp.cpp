// CKestrinApp::InitInstance: one wake from the command line, or one run of the main window.
#include "app/KestrinApp.h"

#include "framework/Platform.h"

#include "framework/CommonControls_win32.h"

#include "app/CommandLine.h"
#include "app/KestrinDlg.h"

BOOL CKestrinApp::InitInstance() {
  comctl::InitCommonControls();
  CWinApp::InitInstance();
  AfxEnableControlContainer();

  WakeRequest request;
  if (ParseWakeCommandLine(m_lpCmdLine, request)) {
    m_nExitCode = PerformCommandLineWake(request);
  } else {
    CKestrinDlg dialog;
    m_pMainWnd = &dialog;
    dialog.DoModal();
    m_pMainWnd = nullptr;  // message boxes after this point have no window to belong to
  }
  return FALSE;
}

int CKestrinApp::ExitInstance() { return m_nExitCode; }
