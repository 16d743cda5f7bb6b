// A clock for the host list's waits, in place for its lifetime, that moves only when they sleep on it (or the test moves it).
#pragma once
#include "hostlist/HostListSteps.h"  // and std::function

class FakeWaitClock : public hostlist::detail::WaitClock {
 public:
  std::chrono::steady_clock::time_point Now() override { return std::chrono::steady_clock::time_point(std::chrono::milliseconds(waitedMs)); }
  void Sleep(std::chrono::steady_clock::duration span) override {
    waitedMs += std::chrono::duration_cast<std::chrono::milliseconds>(span).count();
    if (afterSleep) afterSleep();
  }

  long long waitedMs = 0;            // what the waits slept in all, and what the test moved the clock on
  std::function<void()> afterSleep;  // called after each sleep

 private:
  ScopedOverride<hostlist::detail::WaitClock*> m_scope{hostlist::detail::WaitClockSeam(), this};
};
