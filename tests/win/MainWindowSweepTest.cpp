// The Auto-acquire button through the real dialog, with fake probes: the indicator, the rows and file it fills, a second press, and a close mid-sweep.
#include "tests/win/MainWindowFixture.h"

#include <atomic>
#include <map>
#include <memory>

#include "discovery/SweepWorker.h"
#include "hostlist/HostListSteps.h"
#include "tests/support/MessageBoxRecorder.h"

namespace mainwindow {
namespace {

// A fake loopback network: hosts 127.0.0.n that answer with a hardware address and a name.
// Never touches a real network; counts the calls so tests can see when the worker stops.
struct FakeLan {
  std::string local = "127.0.0.10";
  std::map<std::string, std::pair<std::string, std::string>> hosts;  // address -> (mac, name)
  DWORD echoDelayMs = 0;
  std::atomic<int> localCalls{0};
  std::atomic<int> echoes{0};
  std::atomic<DWORD> probeThread{0};

  sweep::Probes Probes() {
    sweep::Probes probes;
    probes.localAddress = [this] {
      ++localCalls;
      probeThread = GetCurrentThreadId();
      return local;
    };
    probes.echo = [this](const std::string& address) {
      ++echoes;
      if (echoDelayMs) Sleep(echoDelayMs);
      return hosts.count(address) != 0;
    };
    probes.resolveMac = [this](const std::string& address) {
      auto it = hosts.find(address);
      return it == hosts.end() ? std::string() : it->second.first;
    };
    probes.neighbourTable = [] { return sweep::NeighbourTable(); };
    probes.reverseName = [this](const std::string& address) {
      auto it = hosts.find(address);
      return it == hosts.end() ? std::string() : it->second.second;
    };
    return probes;
  }
};

bool Visible(HWND hDlg, int id) { return ::IsWindowVisible(::GetDlgItem(hDlg, id)) != FALSE; }

// Handles messages until the sweep indicator is idle again; false after timeoutMs. Wakes for
// each message at once, as the dialog's own loop does, so the worker is never held back.
bool WaitForIdle(HWND hDlg, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < timeoutMs) {
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (Visible(hDlg, IDC_BUTTON_AUTO) && !Visible(hDlg, IDC_PROGRESS_SWEEP)) return true;
  }
  return false;
}

using SweepWindowTest = MainWindowTest;

TEST_F(SweepWindowTest, AutoAcquireShowsTheBarAtZeroThenFillsListAndFile) {
  WriteBytes("MacList.txt", HostFile({
                                              "025A00000002,old name,127.0.0.1",
                                              "025a00000005,lower case,127.0.0.1",
                                          }));
  FakeLan lan;
  lan.hosts["127.0.0.2"] = {"02:5A:00:00:00:02", "alpha"};
  lan.hosts["127.0.0.5"] = {"02:5A:00:00:00:05", ""};
  lan.hosts["127.0.0.7"] = {"", "no-arp"};
  lan.hosts["127.0.0.10"] = {"02:5A:00:00:00:0A", "self"};  // never probed
  lan.hosts["127.0.0.254"] = {"02:5A:00:00:00:FE", "last"};
  ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());

  CKestrinDlg dlg;
  bool idleBefore = false, hidden = false, barShown = false, idleAfter = false;
  int position = -1, finalPosition = -1;
  PBRANGE range{};
  std::vector<Row> rows;
  Run(dlg, [&](HWND hDlg) {
    idleBefore = Visible(hDlg, IDC_BUTTON_AUTO) && !Visible(hDlg, IDC_PROGRESS_SWEEP);
    ClickButton(hDlg, IDC_BUTTON_AUTO);
    hidden = !Visible(hDlg, IDC_BUTTON_AUTO);
    barShown = Visible(hDlg, IDC_PROGRESS_SWEEP);
    const HWND bar = ::GetDlgItem(hDlg, IDC_PROGRESS_SWEEP);
    position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    idleAfter = WaitForIdle(hDlg, 10000);
    finalPosition = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    rows = ListRows(dlg);
  });
  EXPECT_TRUE(idleBefore);
  EXPECT_TRUE(hidden) << "button hidden right after the press";
  EXPECT_TRUE(barShown) << "bar shown right after the press";
  EXPECT_EQ(position, 0);
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_TRUE(idleAfter) << "button back and bar hidden at the end";
  EXPECT_EQ(finalPosition, 100);
  EXPECT_NE(lan.probeThread.load(), GetCurrentThreadId()) << "the probes ran on the window's thread";
  EXPECT_EQ(lan.echoes.load(), 253);
  // An equal address text takes the new alias and broadcast in place; a lower-case one is another host.
  const std::vector<Row> expected = {
      {"025A00000002", "alpha", "127.0.0.255"},
      {"025a00000005", "lower case", "127.0.0.1"},
      {"025A00000005", "", "127.0.0.255"},
      {"025A000000FE", "last", "127.0.0.255"},
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(ReadBytes("MacList.txt"),
            HostFile({"025A00000002,alpha,127.0.0.255", "025a00000005,lower case,127.0.0.1",
                      "025A00000005,,127.0.0.255", "025A000000FE,last,127.0.0.255"}));
}

TEST_F(SweepWindowTest, PressWhileSweepingStartsNoSecondSweepAndALaterPressDoes) {
  FakeLan lan;
  lan.hosts["127.0.0.3"] = {"02:5A:00:00:00:03", "three"};
  lan.echoDelayMs = 1;
  ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());
  CKestrinDlg dlg;
  int startsDuring = -1, startsAfter = -1;
  bool firstIdle = false, secondIdle = false;
  std::vector<Row> rows;
  Run(dlg, [&](HWND hDlg) {
    ClickButton(hDlg, IDC_BUTTON_AUTO);
    // The hidden button cannot be pressed by a user; a command that still arrives starts nothing.
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_AUTO, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_BUTTON_AUTO)));
    firstIdle = WaitForIdle(hDlg, 10000);
    startsDuring = lan.localCalls.load();
    ClickButton(hDlg, IDC_BUTTON_AUTO);
    secondIdle = WaitForIdle(hDlg, 10000);
    startsAfter = lan.localCalls.load();
    rows = ListRows(dlg);
  });
  EXPECT_TRUE(firstIdle);
  EXPECT_TRUE(secondIdle);
  EXPECT_EQ(startsDuring, 1);
  EXPECT_EQ(startsAfter, 2);
  EXPECT_EQ(lan.echoes.load(), 2 * 253);
  EXPECT_EQ(rows, (std::vector<Row>{{"025A00000003", "three", "127.0.0.255"}})) << "found twice, stored once";
}

TEST_F(SweepWindowTest, NoLocalAddressEndsAtOnceAndSaysSo) {
  const char* locals[] = {"", "0.0.0.0", "not an address"};
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    for (const char* local : locals) {
      FakeLan lan;
      lan.local = local;
      ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());
      MessageBoxRecorder boxes;
      ClickButton(hDlg, IDC_BUTTON_AUTO);
      EXPECT_TRUE(WaitForIdle(hDlg, 5000)) << '"' << local << '"';
      EXPECT_EQ(lan.localCalls.load(), 1) << '"' << local << '"';
      EXPECT_EQ(lan.echoes.load(), 0) << '"' << local << '"';
      const auto shown = boxes.Boxes();
      ASSERT_EQ(shown.size(), 1u) << '"' << local << '"';
      EXPECT_EQ(shown[0].text, ProgramText(IDS_NO_NETWORK_TO_SWEEP)) << '"' << local << '"';
      EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION)) << '"' << local << '"';
    }
  });
  EXPECT_EQ(ReadBytes("MacList.txt"), std::nullopt);
}

TEST_F(SweepWindowTest, ClosingMidSweepStopsTheWorkerBeforeTheDialogGoes) {
  FakeLan lan;
  for (int n = 1; n <= 254; ++n) {
    char mac[32];
    std::snprintf(mac, sizeof mac, "02:5A:00:00:00:%02X", n);
    lan.hosts["127.0.0." + std::to_string(n)] = {mac, "host" + std::to_string(n)};
  }
  lan.echoDelayMs = 10;
  ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());
  int echoesAtEnd = -1;
  {
    CKestrinDlg dlg;
    modal::ModalRun run = Run(dlg, [&](HWND hDlg) {
      ClickButton(hDlg, IDC_BUTTON_AUTO);
      // Until the window holds the worker's first hosts (found in batches), however busy the
      // machine, then a little more: the close lands mid-batch.
      for (int i = 0; i < 1000 && dlg.m_listHosts.GetItemCount() == 0; ++i) modal::PumpMessages(10);
      modal::PumpMessages(50);
      ClickButton(hDlg, IDCANCEL);  // the user's Exit while the sweep runs
    });
    EXPECT_EQ(run.result, IDCANCEL);
    echoesAtEnd = lan.echoes.load();
    EXPECT_EQ(dlg.m_hSweepThread, nullptr) << "the worker was waited for";
  }
  Sleep(100);
  EXPECT_EQ(lan.echoes.load(), echoesAtEnd) << "a probe after the dialog ended";
  EXPECT_GT(echoesAtEnd, 0);
  EXPECT_LT(echoesAtEnd, 200);
  // Whole lines in host order: every host the window stored before it closed, nothing torn.
  const std::string text = ReadBytes("MacList.txt").value_or("");
  std::vector<std::string> lines;
  for (int n = 1; n <= 254 && lines.size() < 300; ++n) {
    if (n == 10) continue;
    char line[64];
    std::snprintf(line, sizeof line, "025A000000%02X,host%d,127.0.0.255", n, n);
    lines.push_back(line);
    if (HostFile(lines) == text) break;
  }
  EXPECT_EQ(HostFile(lines), text);
  EXPECT_EQ(ReadBytes("MacTemp.txt"), std::nullopt);
}

TEST_F(SweepWindowTest, SweepThatCannotStoreSaysSoOnceAtItsEndAndNotWhenTheWindowCloses) {
  struct Case {
    const char* name;
    bool storesFail;
    bool closeMidSweep;
    size_t unsavedBoxes;
  };
  const Case cases[] = {
      {"every store fails, sweep runs to its end", true, false, 1},
      {"every store fails, window closed mid-sweep", true, true, 0},
      {"every store succeeds", false, false, 0},
  };
  const std::string file = HostFile({"025A000000F0,kept,127.0.0.1"});
  for (const Case& c : cases) {
    WriteBytes("MacList.txt", file);
    FakeLan lan;
    for (int n : {2, 3, 5, 7}) {
      lan.hosts["127.0.0." + std::to_string(n)] = {"02:5A:00:00:00:0" + std::to_string(n), "host" + std::to_string(n)};
    }
    if (c.closeMidSweep) lan.echoDelayMs = 10;
    ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());
    ScopedOverride hook(hostlist::detail::StepHookSeam(), [&c](hostlist::detail::Step step) {
      return c.storesFail && step == hostlist::detail::Step::kCreateTemp ? hostlist::detail::StepAction::kFail
                                                                         : hostlist::detail::StepAction::kProceed;
    });
    MessageBoxRecorder boxes;
    size_t boxesBeforeEnd = 0;
    int rows = 0;
    {
      CKestrinDlg dlg;
      Run(dlg, [&](HWND hDlg) {
        ClickButton(hDlg, IDC_BUTTON_AUTO);
        if (c.closeMidSweep) {
          // Once the first find has failed to store, while the sweep still has most hosts to probe.
          for (int i = 0; i < 1000 && dlg.m_listHosts.GetItemCount() < 2; ++i) modal::PumpMessages(10);
          boxesBeforeEnd = boxes.Boxes().size();
          rows = dlg.m_listHosts.GetItemCount();
          ClickButton(hDlg, IDCANCEL);
          return;
        }
        for (int i = 0; i < 1000 && !(Visible(hDlg, IDC_BUTTON_AUTO) && !Visible(hDlg, IDC_PROGRESS_SWEEP)); ++i) {
          boxesBeforeEnd = boxes.Boxes().size();  // the last look before the sweep's end
          modal::PumpMessages(10);
        }
        EXPECT_TRUE(WaitForIdle(hDlg, 10000)) << c.name;
        rows = dlg.m_listHosts.GetItemCount();
      });
    }
    EXPECT_EQ(boxesBeforeEnd, 0u) << c.name << ": nothing is told while the sweep runs";
    EXPECT_EQ(UnsavedBoxes(boxes.Boxes()), c.unsavedBoxes) << c.name;
    EXPECT_EQ(boxes.Boxes().size(), c.unsavedBoxes) << c.name;
    if (!c.closeMidSweep) {
      EXPECT_EQ(rows, 5) << c.name << ": the list keeps every find";
    }
    if (c.storesFail) {
      EXPECT_EQ(ReadBytes("MacList.txt"), file) << c.name;
    } else {
      EXPECT_EQ(ReadBytes("MacList.txt"),
                HostFile({"025A000000F0,kept,127.0.0.1", "025A00000002,host2,127.0.0.255", "025A00000003,host3,127.0.0.255",
                          "025A00000005,host5,127.0.0.255", "025A00000007,host7,127.0.0.255"}))
          << c.name;
    }
  }
}

}  // namespace
}  // namespace mainwindow
