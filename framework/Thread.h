// CWinThread and AfxBeginThread: a worker thread whose object deletes itself when the thread ends, and a wait that keeps messages flowing.
#pragma once
#include "framework/Platform.h"

typedef UINT (*AFX_THREADPROC)(void* pParam);

class CWinThread {
 public:
  CWinThread(AFX_THREADPROC proc, void* param) : m_pfnThreadProc(proc), m_pThreadParams(param) {}
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // The thread's handle, which the object never closes: whoever started the thread takes it,
  // starts the thread with ::ResumeThread and closes it. The object deletes itself as the thread
  // ends, so it must not be touched once the thread runs.
  HANDLE m_hThread = nullptr;

 private:
  friend CWinThread* AfxBeginThread(AFX_THREADPROC, void*);
  static unsigned __stdcall Entry(void* self);

  AFX_THREADPROC m_pfnThreadProc;
  void* m_pThreadParams;
};

// Creates a thread, suspended, that will run proc(param) at normal priority with the default
// stack; proc's result is the thread's exit code. Returns null when no thread could be created.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param);

// Waits until handle is signalled while this thread goes on handling the messages sent or
// posted to its windows, so that a worker blocked in SendMessage to them cannot deadlock.
// A WM_QUIT met on the way is posted again once the wait is over.
void AfxWaitDispatchingMessages(HANDLE handle);
