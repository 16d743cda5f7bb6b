// Drives the running Kestrin window from outside for the end-to-end tests and the pictures: selects a row, presses buttons, watches a sweep, opens the About box, closes the window.
//
//   kestrin_e2e_driver wait-window TIMEOUT_MS   (until the window is shown, ready for use)
//   kestrin_e2e_driver sweep [--close-after MS]
//   kestrin_e2e_driver close TIMEOUT_MS
//   kestrin_e2e_driver select-first
//   kestrin_e2e_driver click CONTROL_ID
//   kestrin_e2e_driver wait-progress POSITION TIMEOUT_MS   (until the sweep bar shows at least POSITION)
//   kestrin_e2e_driver about TIMEOUT_MS   (the system menu's About item; prints the box's rectangle)
//   kestrin_e2e_driver message TIMEOUT_MS   (a message box of the program: prints its text, presses OK)
//   kestrin_e2e_driver open-list EXE ROWS TIMEOUT_MS   (starts EXE; prints when its window shows ROWS rows)
//   kestrin_e2e_driver delete FIRST STEP COUNT   (selects COUNT rows, every STEP-th from FIRST, and deletes them)
//
// delete answers the question Yes and then, until the rows are gone, times how long the window's
// message loop takes to come round to a posted message: it prints delete_ms and max_unresponsive_ms.
//
// sweep presses the Auto button, then, until the button is back (or the window is gone after
// --close-after), keeps sending WM_NULL to the window and records the longest round trip: the
// longest time the window's thread did not handle messages. It prints key=value lines and exits 0
// when every check held. The button's and the bar's states are the in-process tests' matter.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>

#include "res/resource.h"

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HWND FindKestrinWindow() { return FindWindowW(L"#32770", L"Kestrin"); }

// Asks ready every stepMs until it holds (true) or timeoutMs have passed (false).
template <typename Ready>
bool Poll(int timeoutMs, DWORD stepMs, Ready ready) {
  const auto start = Clock::now();
  for (;;) {
    if (ready()) return true;
    if (MillisecondsSince(start) >= timeoutMs) return false;
    Sleep(stepMs);
  }
}

// The window's control id; null, said on stdout, when there is none.
HWND Control(int id) {
  const HWND dialog = FindKestrinWindow();
  const HWND control = dialog != nullptr ? GetDlgItem(dialog, id) : nullptr;
  if (control == nullptr) std::printf("no control %d in a window titled Kestrin\n", id);
  return control;
}

// The dialog exists, titled, before its controls are made and before OnInitDialog fills them; it
// is shown only after that, so a visible window is a ready one.
int WaitWindow(int timeoutMs) {
  if (Poll(timeoutMs, 50, [] {
        const HWND dialog = FindKestrinWindow();
        return dialog != nullptr && IsWindowVisible(dialog) && GetDlgItem(dialog, IDC_BUTTON_AUTO) != nullptr;
      })) {
    return 0;
  }
  std::printf("no window titled Kestrin within %d ms\n", timeoutMs);
  return 1;
}

// Closes the window as its close box does and waits for it to go.
int Close(int timeoutMs) {
  const HWND dialog = FindKestrinWindow();
  if (dialog == nullptr) return 0;
  PostMessageW(dialog, WM_CLOSE, 0, 0);
  if (Poll(timeoutMs, 20, [&] { return !IsWindow(dialog); })) return 0;
  std::printf("window still there %d ms after WM_CLOSE\n", timeoutMs);
  return 1;
}

// Selects the list's first row as the Home key does, sent straight to the list: no keyboard focus,
// and so no window manager, is needed.
int SelectFirstRow() {
  const HWND list = Control(IDC_LIST_HOSTS);
  if (list == nullptr) return 1;
  SendMessageW(list, WM_KEYDOWN, VK_HOME, 0);
  SendMessageW(list, WM_KEYUP, VK_HOME, 0);
  // LVNI_SELECTED needs no pointer, so the answer crosses from the other process.
  const LRESULT selected = SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  std::printf("selected=%ld\n", static_cast<long>(selected));
  return selected == 0 ? 0 : 1;
}

// Presses a button of the window; returns once its handler has run.
int Click(int controlId) {
  const HWND button = Control(controlId);
  if (button == nullptr) return 1;
  SendMessageW(button, BM_CLICK, 0, 0);
  return 0;
}

// Waits until the sweep's bar has reached position; a bar that the sweep has hidden again has
// passed it too.
int WaitProgress(int position, int timeoutMs) {
  const HWND bar = Control(IDC_PROGRESS_SWEEP);
  if (bar == nullptr) return 1;
  long now = 0;
  if (Poll(timeoutMs, 20, [&] { return (now = static_cast<long>(SendMessageW(bar, PBM_GETPOS, 0, 0))) >= position; })) {
    std::printf("bar_pos=%ld\n", now);
    return 0;
  }
  std::printf("bar below %d after %d ms\n", position, timeoutMs);
  return 1;
}

// Chooses the About item of the window's system menu, as the menu itself does, and waits until
// the box is shown. Prints its rectangle on the screen as x y width height.
int OpenAbout(int timeoutMs) {
  const HWND dialog = FindKestrinWindow();
  if (dialog == nullptr) {
    std::printf("no window titled Kestrin\n");
    return 1;
  }
  PostMessageW(dialog, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
  HWND about = nullptr;
  if (!Poll(timeoutMs, 50, [&] {
        // "バージョン情報 Kestrin"
        about = FindWindowW(L"#32770", L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831 Kestrin");
        return about != nullptr && IsWindowVisible(about);
      })) {
    std::printf("no About box within %d ms\n", timeoutMs);
    return 1;
  }
  RECT rect;
  GetWindowRect(about, &rect);
  std::printf("about_rect=%ld %ld %ld %ld\n", static_cast<long>(rect.left), static_cast<long>(rect.top),
              static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
  return 0;
}

int failures = 0;

void Check(bool ok, const char* what) {
  std::printf("%s %s\n", ok ? "ok:" : "FAILED:", what);
  if (!ok) ++failures;
}

int Sweep(int closeAfterMs) {
  const HWND button = Control(IDC_BUTTON_AUTO);
  const HWND list = Control(IDC_LIST_HOSTS);
  if (button == nullptr || list == nullptr) return 1;
  const HWND dialog = GetParent(button);
  const auto start = Clock::now();
  SendMessageW(button, BM_CLICK, 0, 0);
  double longestMs = 0;
  bool closing = false;
  Clock::time_point closeStart;
  while (IsWindow(dialog) && (closing || !IsWindowVisible(button))) {
    // 254 probes of at most 100 ms each: a sweep still running after ten minutes has hung.
    if (MillisecondsSince(start) > 600000) {
      Check(false, "sweep over within 10 minutes");
      break;
    }
    if (closeAfterMs >= 0 && !closing && MillisecondsSince(start) >= closeAfterMs) {
      closing = true;
      closeStart = Clock::now();
      PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
    const auto sent = Clock::now();
    DWORD_PTR ignored = 0;
    const LRESULT answered = SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &ignored);
    const double roundTrip = MillisecondsSince(sent);
    if (answered != 0 && roundTrip > longestMs) longestMs = roundTrip;
    if (answered == 0 && IsWindow(dialog)) {
      Check(false, "window answered WM_NULL within 30 s");
      break;
    }
    Sleep(2);
  }
  if (closing) {
    std::printf("close_ms=%.0f\n", MillisecondsSince(closeStart));
    Check(!IsWindow(dialog), "window gone after close");
  } else {
    std::printf("items=%ld\n", static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    std::printf("sweep_seconds=%.2f\n", MillisecondsSince(start) / 1000.0);
  }
  std::printf("max_unresponsive_ms=%.1f\n", longestMs);
  return failures == 0 ? 0 : 1;
}

// The message box the program shows (titled Kestrin too, but without the main window's
// controls): prints its text in UTF-8 and closes it with its OK button. Exits 1 when none shows
// within timeoutMs.
BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
  wchar_t cls[16] = L"", title[16] = L"";
  GetClassNameW(window, cls, 16);
  GetWindowTextW(window, title, 16);
  if (std::wcscmp(cls, L"#32770") == 0 && std::wcscmp(title, L"Kestrin") == 0 && IsWindowVisible(window) &&
      GetDlgItem(window, IDC_BUTTON_AUTO) == nullptr) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

// The program's message box once it shows, or null after timeoutMs.
HWND WaitMessageBox(int timeoutMs) {
  HWND box = nullptr;
  Poll(timeoutMs, 5, [&] {
    EnumWindows(FindMessageBox, reinterpret_cast<LPARAM>(&box));
    return box != nullptr;
  });
  return box;
}

int AnswerMessage(int timeoutMs) {
  const HWND box = WaitMessageBox(timeoutMs);
  if (box == nullptr) {
    std::printf("no message box within %d ms\n", timeoutMs);
    return 1;
  }
  wchar_t text[1024] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 1024);  // a message box's text is its static without an id
  char utf8[4096] = "";
  WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8, sizeof utf8, nullptr, nullptr);
  std::printf("%s\n", utf8);
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return 0;
}

// Starts exe in the current folder and waits until its window shows rows rows and answers
// messages: prints the milliseconds since the start, which take in the list's load and fill.
int OpenList(const char* exe, long rows, int timeoutMs) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string commandLine = std::string("\"") + exe + "\"";
  const auto start = Clock::now();
  if (!CreateProcessA(exe, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::printf("cannot start %s (error %lu)\n", exe, GetLastError());
    return 1;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  long shown = -1;
  const bool ready = Poll(timeoutMs, 1, [&] {
    const HWND dialog = FindKestrinWindow();
    const HWND list = dialog != nullptr && IsWindowVisible(dialog) ? GetDlgItem(dialog, IDC_LIST_HOSTS) : nullptr;
    DWORD_PTR count = 0;
    if (list == nullptr || !SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, timeoutMs, &count)) return false;
    shown = static_cast<long>(count);
    return shown == rows;
  });
  if (!ready) {
    std::printf("no window showing %ld rows within %d ms (last seen %ld)\n", rows, timeoutMs, shown);
    return 1;
  }
  std::printf("shown_ms=%.1f\n", MillisecondsSince(start));
  return 0;
}

// Selects count rows, every step-th from first, and nothing else. LVM_SETITEMSTATE reads its
// LVITEM in the list's own process, so the item is written there.
bool SelectEveryStepRow(HWND list, long first, long step, long count) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
  if (process == nullptr) return false;
  void* remote = VirtualAllocEx(process, nullptr, sizeof(LVITEMW), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED;
  bool written = remote != nullptr && WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  if (written) SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(remote));
  item.state = LVIS_SELECTED;
  written = written && WriteProcessMemory(process, remote, &item, sizeof item, nullptr);
  for (long i = 0; written && i < count; ++i) {
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(first + i * step), reinterpret_cast<LPARAM>(remote));
  }
  if (remote != nullptr) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return written && SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0) == count;
}

int DeleteRows(long first, long step, long count) {
  const HWND dialog = FindKestrinWindow();
  const HWND list = Control(IDC_LIST_HOSTS);
  const HWND button = Control(IDC_BUTTON_DELETE);
  if (list == nullptr || button == nullptr) return 1;
  const long before = static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  if (!SelectEveryStepRow(list, first, step, count)) {
    std::printf("could not select %ld rows\n", count);
    return 1;
  }
  // Posted: the handler stays in its question until it is answered.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_DELETE, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  const HWND question = WaitMessageBox(10000);
  if (question == nullptr) {
    std::printf("no question within 10 s\n");
    return 1;
  }
  const HWND bar = GetDlgItem(dialog, IDC_PROGRESS_SWEEP);
  const auto start = Clock::now();
  PostMessageW(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED), 0);
  // Each round posts the hidden sweep bar a new position and waits until it shows: a posted
  // message is dispatched by the window's message loop alone, whereas a sent one (WM_NULL) may
  // be handled while the thread waits inside some other call. Every message of ours waits while
  // the thread is busy, the count's too, so the whole round counts.
  double longestMs = 0;
  for (long mark = 1;; mark = mark % 99 + 1) {
    const auto posted = Clock::now();
    PostMessageW(bar, PBM_SETPOS, static_cast<WPARAM>(mark), 0);
    while (SendMessageW(bar, PBM_GETPOS, 0, 0) != mark) {
      if (MillisecondsSince(posted) > 120000) {
        std::printf("window's message loop did not come round within 120 s\n");
        return 1;
      }
      Sleep(1);
    }
    const bool deleted = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == before - count;
    longestMs = std::max(longestMs, MillisecondsSince(posted));
    if (deleted) break;
  }
  std::printf("delete_ms=%.1f\nmax_unresponsive_ms=%.1f\n", MillisecondsSince(start), longestMs);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "wait-window") == 0) return WaitWindow(std::atoi(argv[2]));
  if (argc >= 2 && std::strcmp(argv[1], "sweep") == 0) {
    int closeAfter = -1;
    if (argc >= 4 && std::strcmp(argv[2], "--close-after") == 0) closeAfter = std::atoi(argv[3]);
    return Sweep(closeAfter);
  }
  if (argc >= 3 && std::strcmp(argv[1], "close") == 0) return Close(std::atoi(argv[2]));
  if (argc >= 2 && std::strcmp(argv[1], "select-first") == 0) return SelectFirstRow();
  if (argc >= 3 && std::strcmp(argv[1], "click") == 0) return Click(std::atoi(argv[2]));
  if (argc >= 4 && std::strcmp(argv[1], "wait-progress") == 0)
    return WaitProgress(std::atoi(argv[2]), std::atoi(argv[3]));
  if (argc >= 3 && std::strcmp(argv[1], "about") == 0) return OpenAbout(std::atoi(argv[2]));
  if (argc >= 3 && std::strcmp(argv[1], "message") == 0) return AnswerMessage(std::atoi(argv[2]));
  if (argc >= 5 && std::strcmp(argv[1], "open-list") == 0) return OpenList(argv[2], std::atol(argv[3]), std::atoi(argv[4]));
  if (argc >= 5 && std::strcmp(argv[1], "delete") == 0)
    return DeleteRows(std::atol(argv[2]), std::atol(argv[3]), std::atol(argv[4]));
  std::printf(
      "usage: kestrin_e2e_driver wait-window MS | sweep [--close-after MS] | close MS"
      " | select-first | click ID | wait-progress POSITION MS | about MS | message MS"
      " | open-list EXE ROWS MS | delete FIRST STEP COUNT\n");
  return 2;
}
