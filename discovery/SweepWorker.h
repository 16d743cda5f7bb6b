// The sweep worker's thread handling: start with a handle kept for waiting, stop and wait, and the probe seam for tests.
#pragma once
#include <atomic>
#include <optional>

#include "discovery/SweepLoop.h"
#include "framework/Platform.h"
#include "framework/ScopedOverride.h"
#include "framework/Thread.h"

namespace sweep {

// Starts proc(param) on a worker thread of normal priority and returns a handle of the thread
// that the caller owns (close it with CloseHandle), so it can wait even after the thread's own
// CWinThread has deleted itself. Returns null when no thread could be started; then proc never runs.
HANDLE StartWorker(AFX_THREADPROC proc, void* param);

// Asks the worker to stop before its next host and waits for its end while this thread keeps
// handling messages (the worker may be blocked sending to this thread's windows). Then closes
// *thread and sets it to null. Nothing happens when *thread is null.
void StopWorkerAndWait(std::atomic<bool>* stop, HANDLE* thread);

// The probes a sweep started now uses: those in ProbesSeam, or the system's when it holds none.
Probes ActiveProbes();

// Probes in place of the system's for the sweeps started while a test's ScopedOverride holds
// them, so tests never probe a real network.
Overridable<std::optional<Probes>>& ProbesSeam();

}  // namespace sweep
