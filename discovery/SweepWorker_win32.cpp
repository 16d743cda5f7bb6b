// Starting, stopping and waiting for the sweep worker; the probes it uses.
#include "discovery/SweepWorker.h"

#include "discovery/SystemProbes.h"

namespace sweep {

HANDLE StartWorker(AFX_THREADPROC proc, void* param) {
  // Suspended while we take the handle: a thread that ran at once could end, and delete its
  // CWinThread, before we read it.
  CWinThread* thread = AfxBeginThread(proc, param);
  if (thread == nullptr) return nullptr;
  HANDLE handle = thread->m_hThread;
  ::ResumeThread(handle);
  return handle;
}

void StopWorkerAndWait(std::atomic<bool>* stop, HANDLE* thread) {
  if (*thread == nullptr) return;
  stop->store(true);
  AfxWaitDispatchingMessages(*thread);
  CloseHandle(*thread);
  *thread = nullptr;
}

Overridable<std::optional<Probes>>& ProbesSeam() {
  static Overridable<std::optional<Probes>> probes;
  return probes;
}

Probes ActiveProbes() {
  std::optional<Probes> replaced = ProbesSeam().Get();
  return replaced ? std::move(*replaced) : SystemProbes();
}

}  // namespace sweep
