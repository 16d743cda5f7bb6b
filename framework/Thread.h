// CWinThread and AfxBeginThread: a worker thread whose object deletes itself when the thread ends, and a wait that keeps messages flowing.
#pragma once
#include "framework/Platform.h"

typedef UINT (*AFX_THREADPROC)(void* pParam);

class CWinThread {
 public:
  CWinThread(AFX_THREADPROC proc, void* param);
  virtual ~CWinThread();  // closes m_hThread
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // The object deletes itself (closing m_hThread) as the thread ends, so after a start without
  // CREATE_SUSPENDED the returned pointer may already be gone. To keep the handle for waiting,
  // start with CREATE_SUSPENDED, take m_hThread and set it to null (the object then closes
  // nothing), and start the thread with ::ResumeThread on the handle taken.
  HANDLE m_hThread = nullptr;

 private:
  friend CWinThread* AfxBeginThread(AFX_THREADPROC, void*, int, UINT, DWORD, LPSECURITY_ATTRIBUTES);
  static unsigned __stdcall Entry(void* self);

  AFX_THREADPROC m_pfnThreadProc;
  void* m_pThreadParams;
};

// Starts proc(param) on a new thread with the priority, stack size (0: the default) and
// security attributes given; flags may hold CREATE_SUSPENDED. Returns null when no thread
// could be created. proc's result is the thread's exit code.
CWinThread* AfxBeginThread(AFX_THREADPROC proc, void* param, int priority = THREAD_PRIORITY_NORMAL,
                           UINT stackSize = 0, DWORD flags = 0,
                           LPSECURITY_ATTRIBUTES security = nullptr);

// Waits until handle is signalled while this thread goes on handling the messages sent or
// posted to its windows, so that a worker blocked in SendMessage to them cannot deadlock.
// A WM_QUIT met on the way is posted again once the wait is over.
void AfxWaitDispatchingMessages(HANDLE handle);
