// Worker threads over the C runtime's _beginthreadex, and the message-dispatching wait.
#include "framework/Thread.h"

#include <process.h>

CWinThread::CWinThread(AFX_THREADPROC proc, void* param)
    : m_pfnThreadProc(proc), m_pThreadParams(param) {}

CWinThread::~CWinThread() {
  if (m_hThread != nullptr) CloseHandle(m_hThread);
}

unsigned __stdcall CWinThread::Entry(void* self) {
  CWinThread* thread = static_cast<CWinThread*>(self);
  const UINT exitCode = thread->m_pfnThreadProc(thread->m_pThreadParams);
  delete thread;
  return exitCode;
}

CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority, UINT stackSize,
                           DWORD flags, LPSECURITY_ATTRIBUTES security) {
  CWinThread* thread = new CWinThread(proc, param);
  // Always born suspended: the object must be complete before the thread can delete it.
  const uintptr_t handle =
      _beginthreadex(security, stackSize, &CWinThread::Entry, thread, CREATE_SUSPENDED, nullptr);
  if (handle == 0) {
    delete thread;
    return nullptr;
  }
  thread->m_hThread = reinterpret_cast<HANDLE>(handle);
  SetThreadPriority(thread->m_hThread, priority);
  if ((flags & CREATE_SUSPENDED) == 0) ::ResumeThread(thread->m_hThread);
  return thread;
}

void AfxWaitDispatchingMessages(HANDLE handle) {
  bool quit = false;
  WPARAM quitCode = 0;
  for (;;) {
    // MWMO_INPUTAVAILABLE: also wake for messages that were already queued before the wait.
    const DWORD woke =
        MsgWaitForMultipleObjectsEx(1, &handle, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke != WAIT_OBJECT_0 + 1) break;  // signalled, or the wait itself failed
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = msg.wParam;
        continue;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}
