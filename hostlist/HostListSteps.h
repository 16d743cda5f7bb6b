// Internal to the host list and its tests: the file steps a hook can fail, hold or crash, and the clock of the waits.
#pragma once
#include <chrono>
#include <cstddef>
#include <functional>

#include "framework/ScopedOverride.h"

namespace hostlist::detail {

// The system calls a load or a rewrite makes, in the order a rewrite makes them, each at the file
// boundary (HostFileIo). kReadList and kWriteTemp come once per buffer of data.
enum class Step {
  kReadList,     // InputFile::Read: the next buffer of MacList.txt
  kCreateTemp,   // OutputFile::Create: MacTemp.txt
  kWriteTemp,    // OutputFile::Write: the next buffer of MacTemp.txt
  kSyncTemp,     // OutputFile::Sync: MacTemp.txt to the disk
  kCloseTemp,    // OutputFile::Close: MacTemp.txt
  kReplaceList,  // MoveIntoPlace: MacTemp.txt in the place of MacList.txt
};

enum class StepAction {
  kProceed,  // make the call
  kFail,     // skip the call and report it as failed, as the system would (a close lets go of the file all the same)
  kCrash,    // throw SimulatedCrash from the call (see there)
  kHeld,     // skip the call and report the file as held open by another program for a moment
             // (a failure for any call but the replace, the one that tries again)
};

// What a call the hook crashes throws: it unwinds the operation to the test without a line of
// the host list's own cleanup, leaving the files as a crash or power cut would. Only what the
// system does for a dead process happens on the way: handles closed, the lock dropped.
struct SimulatedCrash {};

using StepHook = std::function<StepAction(Step)>;

// The hook every load and rewrite of this process asks before each step; empty: every step
// proceeds. For tests, which put theirs in with a ScopedOverride: the hook runs under the host
// list's lock, so it must not call the host list.
Overridable<StepHook>& StepHookSeam();

// How long a rewrite waits for another process to release the list: under the 5 s after which
// Windows calls a window that handles no messages "not responding", since the window's thread
// waits without handling any (a message handled meanwhile could start another rewrite, which
// would wait on the lock its own thread holds).
constexpr std::chrono::milliseconds kLockWait{4000};

// How long a rewrite goes on trying to put MacTemp.txt in place while another program (a
// virus scanner, a sync client, the search indexer) holds MacList.txt open for a moment. It
// comes out of the lock wait's bound, never on top of it: a rewrite ends within kLockWait of its
// start, whatever it met, so the window stays clear of "not responding".
constexpr std::chrono::milliseconds kReplaceRetry{1000};

// The clock the waits above read and sleep on.
class WaitClock {
 public:
  virtual ~WaitClock() = default;
  virtual std::chrono::steady_clock::time_point Now() = 0;
  virtual void Sleep(std::chrono::steady_clock::duration span) = 0;
};

// The clock of every following load and rewrite of this process: the system's steady clock while
// this holds null; tests put theirs in with a ScopedOverride and count the waits.
Overridable<WaitClock*>& WaitClockSeam();
// The clock in place: the seam's, or the system's.
WaitClock& CurrentWaitClock();

// Longest line the host list holds in memory (64 MiB). A longer line is not a host line: the
// load skips it, and a rewrite refuses to run rather than store the file without it.
constexpr size_t kMaxLineBytes = size_t{64} << 20;

// Size of the read and write buffers: one system call per this many bytes.
constexpr size_t kIoBufferBytes = size_t{64} << 10;

}  // namespace hostlist::detail
