// Drives a real modal dialog from inside its own modal loop, for the Windows tests (window's thread only).
//
// RunModal(dialog, body, timeoutMs)
//   Runs dialog.DoModal() on this thread. body(hDlg) runs once inside the dialog's modal loop,
//   as soon as that loop runs (OnInitDialog done, window shown), called from a thread timer.
//   Messages the body sends are handled at once, as a user's clicks would be. When body
//   returns, the messages it left queued (posted keys, for example) are handled first; then, if
//   the dialog is still open, it is ended with IDCANCEL through EndDialog (not through its
//   Cancel handler). Returns what DoModal returned and whether the guard below fired.
//
//   Never hangs: when the run is not over within timeoutMs, every dialog of this thread
//   (nested ones included) is ended with IDCANCEL and the current test fails. If even that
//   does not end it (a body blocked without handling messages), the process ends with exit
//   code 3 after another timeoutMs, with a message on stderr.
//
// RunLater(delayMs, fn)
//   fn runs once, after about delayMs, from whatever message loop runs on this thread then:
//   the way to look at and close a nested modal dialog the body is about to open.
//
// CancelPendingTimers()
//   Drops every RunLater call that has not run yet (RunModal does this when its dialog ends).
//
// PumpMessages(ms, hDlg)
//   Handles this thread's messages for about ms; keys go through hDlg's dialog navigation
//   when hDlg is given.
//
// FindOtherDialog(except)
//   A visible dialog window (class #32770) of this thread other than except, or null.
#pragma once
#include <functional>

#include "framework/Dialog.h"

namespace modal {

struct ModalRun {
  INT_PTR result = -1;  // DoModal's result
  bool bodyRan = false;
  bool timedOut = false;
};

ModalRun RunModal(CDialog& dialog, const std::function<void(HWND hDlg)>& body, DWORD timeoutMs = 15000);

void RunLater(UINT delayMs, std::function<void()> fn);

void CancelPendingTimers();

void PumpMessages(DWORD ms, HWND hDlg = nullptr);

HWND FindOtherDialog(HWND except);

}  // namespace modal
