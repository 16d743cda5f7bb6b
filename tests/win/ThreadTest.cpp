// Worker threads as the sweep starts and stops them, and the wait that keeps a window's messages flowing while a worker sends to it.
#include <gtest/gtest.h>

#include <atomic>

#include "discovery/SweepWorker.h"
#include "framework/Thread.h"

namespace {

struct Work {
  std::atomic<int> runs{0};
  HWND target = nullptr;
  int sends = 0;
  std::atomic<int> answered{0};
};

UINT CountAndSend(void* param) {
  Work* work = static_cast<Work*>(param);
  ++work->runs;
  for (int i = 0; i < work->sends; ++i) {
    if (SendMessageW(work->target, WM_APP + 7, 0, 0) == 42) ++work->answered;
  }
  return 17;
}

LRESULT CALLBACK Answer42(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_APP + 7) return 42;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// A message-only window owned by the test's thread.
class TargetWindow {
 public:
  TargetWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = Answer42;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"KestrinThreadTestTarget";
    RegisterClassW(&wc);
    m_hwnd = CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           wc.hInstance, nullptr);
  }
  ~TargetWindow() { DestroyWindow(m_hwnd); }
  HWND hwnd() const { return m_hwnd; }

 private:
  HWND m_hwnd;
};

TEST(Thread, RunsTheProcWithItsParameterWhileTheWaitKeepsSentMessagesFlowing) {
  // A plain wait here would deadlock: the worker blocks in SendMessage to our window.
  TargetWindow target;
  ASSERT_NE(target.hwnd(), nullptr);
  Work work;
  work.target = target.hwnd();
  work.sends = 25;
  HANDLE handle = sweep::StartWorker(CountAndSend, &work);
  ASSERT_NE(handle, nullptr);
  AfxWaitDispatchingMessages(handle);
  EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeThread(handle, &code);
  CloseHandle(handle);
  EXPECT_EQ(code, 17u) << "the proc's exit code";
  EXPECT_EQ(work.runs.load(), 1);
  EXPECT_EQ(work.answered.load(), 25);
}

TEST(Thread, WaitPutsAQuitRequestBack) {
  Work work;
  PostQuitMessage(3);
  HANDLE handle = sweep::StartWorker(CountAndSend, &work);
  ASSERT_NE(handle, nullptr);
  AfxWaitDispatchingMessages(handle);
  CloseHandle(handle);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
