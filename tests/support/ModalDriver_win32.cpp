// The modal driver: thread timers that run test code inside a dialog's modal loop, and the hang guard.
#include "tests/support/ModalDriver.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <utility>
#include <vector>

namespace modal {
namespace {

std::map<UINT_PTR, std::function<void()>>& PendingTimers() {
  static std::map<UINT_PTR, std::function<void()>> timers;
  return timers;
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  ::KillTimer(nullptr, id);
  auto& timers = PendingTimers();
  auto found = timers.find(id);
  if (found == timers.end()) return;
  std::function<void()> fn = std::move(found->second);
  timers.erase(found);
  fn();
}

BOOL CALLBACK CollectDialog(HWND hWnd, LPARAM lParam) {
  wchar_t className[16] = L"";
  ::GetClassNameW(hWnd, className, 16);
  if (std::wstring(className) == L"#32770") reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
  return TRUE;
}

std::vector<HWND> ThreadDialogs() {
  std::vector<HWND> dialogs;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

// Ends the process when the run outlives its guard by another timeout: nothing else can end a body
// that stopped handling messages.
class LastResortGuard {
 public:
  explicit LastResortGuard(DWORD ms) : m_done(::CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_ms(ms) {
    m_thread = ::CreateThread(nullptr, 0, &LastResortGuard::Watch, this, 0, nullptr);
  }
  ~LastResortGuard() {
    ::SetEvent(m_done);
    if (m_thread) {
      ::WaitForSingleObject(m_thread, INFINITE);
      ::CloseHandle(m_thread);
    }
    ::CloseHandle(m_done);
  }
  LastResortGuard(const LastResortGuard&) = delete;
  LastResortGuard& operator=(const LastResortGuard&) = delete;

 private:
  static DWORD WINAPI Watch(void* self) {
    auto* guard = static_cast<LastResortGuard*>(self);
    if (::WaitForSingleObject(guard->m_done, guard->m_ms) == WAIT_TIMEOUT) {
      std::fprintf(stderr, "modal run stopped handling messages: ending the test program\n");
      std::fflush(stderr);
      ::TerminateProcess(::GetCurrentProcess(), 3);
    }
    return 0;
  }

  HANDLE m_done;
  DWORD m_ms;
  HANDLE m_thread = nullptr;
};

}  // namespace

void RunLater(UINT delayMs, std::function<void()> fn) {
  const UINT_PTR id = ::SetTimer(nullptr, 0, delayMs, &OnTimer);
  if (id == 0) {
    ADD_FAILURE() << "SetTimer failed";
    return;
  }
  PendingTimers()[id] = std::move(fn);
}

void CancelPendingTimers() {
  for (auto& [id, fn] : PendingTimers()) ::KillTimer(nullptr, id);
  PendingTimers().clear();
}

void PumpMessages(DWORD ms, HWND hDlg) {
  const DWORD start = ::GetTickCount();
  MSG msg;
  while (::GetTickCount() - start < ms) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (hDlg != nullptr && ::IsDialogMessageW(hDlg, &msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::Sleep(5);
  }
}

HWND FindOtherDialog(HWND except) {
  for (HWND dialog : ThreadDialogs()) {
    if (dialog != except && ::IsWindowVisible(dialog)) return dialog;
  }
  return nullptr;
}

ModalRun RunModal(CDialog& dialog, const std::function<void(HWND)>& body, DWORD timeoutMs) {
  ModalRun run;
  bool over = false;
  LastResortGuard lastResort(timeoutMs * 2);

  RunLater(timeoutMs, [&run, &over] {
    if (over) return;
    run.timedOut = true;
    ADD_FAILURE() << "modal run did not end in time: ending every dialog";
    for (HWND hDlg : ThreadDialogs()) ::EndDialog(hDlg, IDCANCEL);
  });
  RunLater(10, [&dialog, &body, &run, &over] {
    HWND hDlg = dialog.GetSafeHwnd();
    if (hDlg == nullptr) {
      ADD_FAILURE() << "the dialog has no window inside its modal loop";
      return;
    }
    run.bodyRan = true;
    body(hDlg);
    // Timers come only when the queue is empty: what the body posted is handled before this.
    RunLater(1, [&dialog, &over] {
      if (!over && dialog.GetSafeHwnd() != nullptr) ::EndDialog(dialog.GetSafeHwnd(), IDCANCEL);
    });
  });
  run.result = dialog.DoModal();
  over = true;
  CancelPendingTimers();  // those still pending refer to this frame
  return run;
}

}  // namespace modal
