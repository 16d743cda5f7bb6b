// A clock for the host list's waits, in place for its lifetime, that moves only when they sleep on it (or the test moves it).
#pragma once
#include <functional>

#include "hostlist/HostListSteps.h"

class FakeWaitClock : public hostlist::detail::WaitClock {
 public:
  FakeWaitClock() : m_scope(hostlist::detail::WaitClockSeam(), this) {}
  std::chrono::steady_clock::time_point Now() override { return m_now; }
  void Sleep(std::chrono::steady_clock::duration span) override {
    ++sleeps;
    m_now += span;
    if (afterSleep) afterSleep();
  }
  void Advance(std::chrono::milliseconds span) { m_now += span; }
  // All the time the waits slept and the test moved the clock.
  long long WaitedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(m_now.time_since_epoch()).count();
  }

  int sleeps = 0;
  std::function<void()> afterSleep;  // called after each sleep

 private:
  std::chrono::steady_clock::time_point m_now{};
  ScopedOverride<hostlist::detail::WaitClock*> m_scope;
};
