// The host list's file calls as the host list sees them, each asking the step hook first; and the clock of its waits.
#include "hostlist/HostFileIo.h"

#include <thread>

#include "hostlist/HostListSteps.h"

namespace hostlist {
namespace detail {

Overridable<StepHook>& StepHookSeam() {
  static Overridable<StepHook> hook;
  return hook;
}

Overridable<WaitClock*>& WaitClockSeam() {
  static Overridable<WaitClock*> clock{nullptr};
  return clock;
}

}  // namespace detail

namespace io {
namespace {

using detail::Step;
using detail::StepAction;

// What the hook in place says about step (kProceed when there is none); a crash is thrown here.
StepAction Ask(Step step) {
  const detail::StepHook hook = detail::StepHookSeam().Get();
  const StepAction action = hook ? hook(step) : StepAction::kProceed;
  if (action == StepAction::kCrash) throw detail::SimulatedCrash{};
  return action;
}

bool Proceeds(Step step) { return Ask(step) == StepAction::kProceed; }

}  // namespace

long long InputFile::Read(char* buffer, size_t size) {
  return Proceeds(Step::kReadList) ? SystemRead(buffer, size) : -1;
}

bool OutputFile::Create(const char* path) { return Proceeds(Step::kCreateTemp) && SystemCreate(path); }

bool OutputFile::Write(const char* data, size_t size) {
  return Proceeds(Step::kWriteTemp) && SystemWrite(data, size);
}

bool OutputFile::Sync() { return Proceeds(Step::kSyncTemp) && SystemSync(); }

bool OutputFile::Close() {
  const bool proceeds = Proceeds(Step::kCloseTemp);
  return SystemClose() && proceeds;
}

MoveResult MoveIntoPlace(const char* from, const char* to) {
  switch (Ask(Step::kReplaceList)) {
    case StepAction::kProceed: return SystemMoveIntoPlace(from, to);
    case StepAction::kHeld: return MoveResult::kHeld;
    default: return MoveResult::kFailed;
  }
}

}  // namespace io

namespace detail {
namespace {

class SystemWaitClock : public WaitClock {
 public:
  std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::now(); }
  void Sleep(std::chrono::steady_clock::duration span) override { std::this_thread::sleep_for(span); }
};

}  // namespace

WaitClock& CurrentWaitClock() {
  static SystemWaitClock system;
  WaitClock* replaced = WaitClockSeam().Get();
  return replaced != nullptr ? *replaced : system;
}

}  // namespace detail
}  // namespace hostlist
