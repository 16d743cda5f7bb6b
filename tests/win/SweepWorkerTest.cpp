// The sweep worker against a window of the test's thread: messages handled there, a stop honoured, the wait never deadlocking.
#include <gtest/gtest.h>

#include <atomic>

#include "discovery/SweepWorker.h"

namespace {

constexpr UINT kProgress = WM_APP + 20;
constexpr UINT kFound = WM_APP + 21;
constexpr UINT kFinished = WM_APP + 22;

// What the window's thread saw.
struct Seen {
  int progress = 0;
  int found = 0;
  int finished = 0;
  bool foreignThread = false;  // a message handled on another thread than the window's
  DWORD windowThread = GetCurrentThreadId();
};
Seen* g_seen = nullptr;

LRESULT CALLBACK Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kProgress || message == kFound || message == kFinished) {
    if (GetCurrentThreadId() != g_seen->windowThread) g_seen->foreignThread = true;
    if (message == kProgress) ++g_seen->progress;
    if (message == kFound && lParam != 0) ++g_seen->found;
    if (message == kFinished) ++g_seen->finished;
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

struct Context {
  HWND window = nullptr;
  std::atomic<bool> stop{false};
  std::atomic<int> echoes{0};
};

// Every host answers, slowly enough for a stop to land mid-sweep.
UINT SweepToWindow(void* param) {
  Context* context = static_cast<Context*>(param);
  sweep::Probes probes = sweep::ActiveProbes();
  sweep::Sinks sinks;
  const HWND window = context->window;
  sinks.progress = [window](int position) { SendMessageW(window, kProgress, position, 0); };
  sinks.hostFound = [window](const HostEntry& host) {
    SendMessageW(window, kFound, 0, reinterpret_cast<LPARAM>(&host));
  };
  sinks.finished = [window] { SendMessageW(window, kFinished, 0, 0); };
  sweep::RunSweep(probes, sinks, context->stop);
  return 0;
}

sweep::Probes SlowFakeProbes(Context* context) {
  sweep::Probes probes;
  probes.localAddress = [] { return std::string("198.51.100.10"); };
  probes.echo = [context](const std::string&) {
    ++context->echoes;
    Sleep(5);
    return true;
  };
  probes.resolveMac = [](const std::string&) { return std::string("02:00:00:00:00:01"); };
  probes.neighbourTable = [] { return sweep::NeighbourTable(); };
  probes.reverseName = [](const std::string&) { return std::string("fake"); };
  return probes;
}

class SweepWorkerTest : public testing::Test {
 protected:
  void SetUp() override {
    g_seen = &m_seen;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Record;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrinSweepWorkerTestTarget";
    RegisterClassW(&wc);
    m_context.window = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     wc.hInstance, nullptr);
    ASSERT_NE(m_context.window, nullptr);
  }
  void TearDown() override {
    DestroyWindow(m_context.window);
    g_seen = nullptr;
  }

  // Handles this thread's messages for about ms milliseconds.
  static void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(1);
    }
  }

  Seen m_seen;
  Context m_context;
};

TEST_F(SweepWorkerTest, StopMidSweepEndsTheWorkerAndItsMessages) {
  sweep::ScopedSweepProbes fake(SlowFakeProbes(&m_context));
  HANDLE thread = sweep::StartWorker(SweepToWindow, &m_context);
  ASSERT_NE(thread, nullptr);
  // Until the worker's first probe, however busy the machine: the stop must land mid-sweep.
  for (int i = 0; i < 1000 && m_context.echoes.load() == 0; ++i) Pump(10);
  Pump(20);
  sweep::StopWorkerAndWait(&m_context.stop, &thread);
  EXPECT_EQ(thread, nullptr);
  const int echoesAtStop = m_context.echoes.load();
  EXPECT_GT(echoesAtStop, 0);
  EXPECT_LT(echoesAtStop, 253);
  // Hosts already looked up were delivered before the end; those only echoed are let go.
  EXPECT_LE(m_seen.found, echoesAtStop);
  EXPECT_EQ(m_seen.finished, 1);
  EXPECT_FALSE(m_seen.foreignThread);
  Pump(100);
  EXPECT_EQ(m_context.echoes.load(), echoesAtStop) << "a probe after the wait";
}

TEST_F(SweepWorkerTest, FullSweepReportsEveryHostOnTheWindowThread) {
  sweep::Probes probes = SlowFakeProbes(&m_context);
  probes.echo = [this](const std::string& address) {
    ++m_context.echoes;
    return address == "198.51.100.2" || address == "198.51.100.254";
  };
  sweep::ScopedSweepProbes fake(probes);
  HANDLE thread = sweep::StartWorker(SweepToWindow, &m_context);
  ASSERT_NE(thread, nullptr);
  for (int i = 0; i < 3000 && m_seen.finished == 0; ++i) Pump(10);
  sweep::StopWorkerAndWait(&m_context.stop, &thread);
  EXPECT_EQ(m_context.echoes.load(), 253);
  EXPECT_EQ(m_seen.progress, 254);
  EXPECT_EQ(m_seen.found, 2);
  EXPECT_EQ(m_seen.finished, 1);
  EXPECT_FALSE(m_seen.foreignThread);
}

TEST(SweepWorker, StopWithoutAWorkerDoesNothing) {
  std::atomic<bool> stop{false};
  HANDLE none = nullptr;
  sweep::StopWorkerAndWait(&stop, &none);
  EXPECT_EQ(none, nullptr);
  EXPECT_FALSE(stop.load());
}

TEST(SweepWorker, SeamReplacesTheSystemProbesOnlyWhileInPlace) {
  {
    sweep::Probes fake;
    fake.localAddress = [] { return std::string("198.51.100.99"); };
    sweep::ScopedSweepProbes seam(fake);
    EXPECT_EQ(sweep::ActiveProbes().localAddress().address, "198.51.100.99");
  }
  EXPECT_NE(sweep::ActiveProbes().localAddress().address, "198.51.100.99");
}

}  // namespace
