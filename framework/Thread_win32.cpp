// Worker threads over the C runtime's _beginthreadex, and the message-dispatching wait.
#include "framework/Thread.h"

#include <process.h>

#include <optional>

unsigned __stdcall CWinThread::Entry(void* self) {
  CWinThread* thread = static_cast<CWinThread*>(self);
  const UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
  delete thread;
  return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param) {
  CWinThread* thread = new CWinThread(proc, param);
  // Born suspended: the object must be complete, and its handle taken, before the thread can delete it.
  const uintptr_t handle = _beginthreadex(nullptr, 0, &CWinThread::Entry, thread, CREATE_SUSPENDED, nullptr);
  if (handle == 0) {
    delete thread;
    return nullptr;
  }
  thread->m_hThread = reinterpret_cast<HANDLE>(handle);
  return thread;
}

void AfxWaitDispatchingMessages(HANDLE handle) {
  std::optional<WPARAM> quitCode;
  // MWMO_INPUTAVAILABLE: also wake for messages that were already queued before the wait. Any
  // other answer is the handle signalled, or the wait itself failed.
  while (MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitCode = msg.wParam;
      } else {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  if (quitCode) PostQuitMessage(static_cast<int>(*quitCode));
}
