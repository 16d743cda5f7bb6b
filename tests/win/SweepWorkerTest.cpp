// The real sweep worker started on its own and stopped mid-sweep: the wait handles the window's messages and no probe runs after it.
#include "tests/win/MainWindowFixture.h"

#include <atomic>

#include "discovery/SweepWorker.h"

namespace mainwindow {
namespace {

using SweepWorkerTest = MainWindowTest;

// Every host answers, slowly enough for a stop to land mid-sweep.
sweep::Probes SlowProbes(std::atomic<int>* echoes, std::atomic<DWORD>* probeThread) {
  sweep::Probes probes;
  probes.localAddress = [] { return std::string("198.51.100.10"); };
  probes.echo = [echoes, probeThread](const std::string&) {
    ++*echoes;
    *probeThread = GetCurrentThreadId();
    Sleep(5);
    return true;
  };
  probes.resolveMac = [](const std::string&) { return std::string("02:00:00:00:00:01"); };
  probes.neighbourTable = [] { return sweep::NeighbourTable(); };
  probes.reverseName = [](const std::string&) { return std::string("fake"); };
  return probes;
}

TEST_F(SweepWorkerTest, StopMidSweepEndsTheWorkerAndItsMessages) {
  std::atomic<int> echoes{0};
  std::atomic<DWORD> probeThread{0};
  ScopedOverride fake(sweep::ProbesSeam(), SlowProbes(&echoes, &probeThread));
  CKestrinDlg dlg;
  int echoesAtStop = -1, rowsAtStop = -1, echoesLater = -1;
  HANDLE thread = nullptr;
  Run(dlg, [&](HWND hDlg) {
    thread = sweep::StartWorker(CKestrinDlg::SweepThreadProc, &dlg);
    ASSERT_NE(thread, nullptr);
    // Until the window holds the worker's first host, however busy the machine: the stop must land mid-sweep.
    for (int i = 0; i < 1000 && dlg.m_listHosts.GetItemCount() == 0; ++i) modal::PumpMessages(10);
    sweep::StopWorkerAndWait(&dlg.m_bStopSweep, &thread);
    echoesAtStop = echoes.load();
    rowsAtStop = dlg.m_listHosts.GetItemCount();
    modal::PumpMessages(100, hDlg);
    echoesLater = echoes.load();
  });
  EXPECT_EQ(thread, nullptr);
  EXPECT_GT(echoesAtStop, 0);
  EXPECT_LT(echoesAtStop, 253);
  EXPECT_EQ(echoesLater, echoesAtStop) << "a probe after the wait";
  // Hosts already looked up were stored by the window before the end; every find has one address.
  EXPECT_EQ(rowsAtStop, 1);
  EXPECT_NE(probeThread.load(), GetCurrentThreadId()) << "the probes ran on the window's thread";
}

TEST(SweepWorker, StopWithoutAWorkerDoesNothing) {
  std::atomic<bool> stop{false};
  HANDLE none = nullptr;
  sweep::StopWorkerAndWait(&stop, &none);
  EXPECT_EQ(none, nullptr);
  EXPECT_FALSE(stop.load());
}

}  // namespace
}  // namespace mainwindow
