// The main window's sweep members: the Auto-acquire button, the worker thread over the sweep loop, and the window's side of its messages.
#include "app/KestrinDlg.h"

#include "discovery/SweepLoop.h"
#include "discovery/SweepWorker.h"
#include "discovery/SystemProbes.h"
#include "framework/MessageBox.h"
#include "framework/Socket.h"

// The worker touches the dialog only through its windows' handles, taken here once, and its
// stop flag; both outlive the worker, because the window waits for it before it goes.
UINT CKestrinDlg::SweepThreadProc(void* pParam) {
  CKestrinDlg* dialog = static_cast<CKestrinDlg*>(pParam);
  const HWND dialogWindow = dialog->GetSafeHwnd();
  const HWND bar = dialog->m_progressSweep.GetSafeHwnd();

  sweep::Probes probes = sweep::ActiveProbes();
  // Without Winsock there is nothing to probe with: the sweep ends at once, as without a network.
  if (!AfxSocketInit()) probes.localAddress = [] { return std::string(); };

  sweep::Sinks sinks;
  sinks.progress = [bar](int position) {
    ::SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(position), 0);
  };
  // Sent, not posted: the records live on this thread until the window has stored them.
  sinks.hostsFound = [dialogWindow](const std::vector<HostEntry>& hosts) {
    ::SendMessageA(dialogWindow, WM_SWEEP_HOSTS_FOUND, 0, reinterpret_cast<LPARAM>(&hosts));
  };
  sinks.finished = [dialogWindow](sweep::SweepEnd end) {
    ::SendMessageA(dialogWindow, WM_SWEEP_FINISHED, static_cast<WPARAM>(end), 0);
  };

  sweep::RunSweep(probes, sinks, dialog->m_bStopSweep);
  return 0;
}

void CKestrinDlg::OnBnClickedAutoAcquire() {
  if (m_hSweepThread != nullptr) {
    // The button is shown again only by the worker's last message: hidden means a sweep runs.
    if (!m_btnAutoAcquire.IsWindowVisible()) return;
    // The last sweep has ended; its thread was only returning.
    sweep::StopWorkerAndWait(&m_bStopSweep, &m_hSweepThread);
  }
  m_btnAutoAcquire.ShowWindow(SW_HIDE);
  m_progressSweep.ShowWindow(SW_SHOW);
  m_progressSweep.SetRange32(0, 100);
  m_progressSweep.SetStep(1);
  m_progressSweep.SetPos(0);

  m_bStopSweep = false;
  m_sweepSave = ListSaveTally();
  m_hSweepThread = sweep::StartWorker(SweepThreadProc, this);
  // No thread: back to idle, silently, as after a stop.
  if (m_hSweepThread == nullptr) OnSweepFinished(static_cast<WPARAM>(sweep::SweepEnd::kStopped), 0);
}

LRESULT CKestrinDlg::OnSweepHostsFound(WPARAM, LPARAM lParam) {
  const auto* hosts = reinterpret_cast<const std::vector<HostEntry>*>(lParam);
  // Once the window is closing, nothing more enters the list or the file.
  if (hosts != nullptr && !m_bStopSweep) AddOrReplaceHosts(*hosts, &m_sweepSave);
  return 0;
}

LRESULT CKestrinDlg::OnSweepFinished(WPARAM wParam, LPARAM) {
  m_btnAutoAcquire.ShowWindow(SW_SHOW);
  m_progressSweep.ShowWindow(SW_HIDE);
  // One box for the whole sweep, once it has run to its end. A sweep stopped because the window
  // is closing says nothing: the window is going, and its finds come back with the next sweep.
  // The worker waits in its send until the box is closed, so it cannot end twice meanwhile.
  const ListSaveTally sweepSave = m_sweepSave;
  m_sweepSave = ListSaveTally();
  if (m_bStopSweep) return 0;
  // Without this the bar would only flash: the user could not tell a sweep ran at all.
  if (wParam == static_cast<WPARAM>(sweep::SweepEnd::kNoNetwork)) {
    AfxMessageBox(IDS_NO_NETWORK_TO_SWEEP, MB_OK | MB_ICONEXCLAMATION);
  }
  ReportUnsavedChanges(sweepSave);
  return 0;
}

void CKestrinDlg::OnDestroy() {
  // The controls still exist here, so the worker's last messages are handled while we wait.
  sweep::StopWorkerAndWait(&m_bStopSweep, &m_hSweepThread);
  // Once no sweep runs, so no row arrives behind the release; the list is destroyed only after
  // its parent has handled WM_DESTROY.
  ReleaseHostRecords();
  CDialog::OnDestroy();
}
