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

// Hosts 127.0.0.n answering with 02:5A:00:00:00:nn, named host<n>; returns the lines the list
// file gains for them, in host order.
std::vector<std::string> AddAnsweringHosts(FakeLan& lan, const std::vector<int>& numbers) {
  std::vector<std::string> lines;
  for (int n : numbers) {
    char mac[32], line[64];
    std::snprintf(mac, sizeof mac, "02:5A:00:00:00:%02X", n);
    std::snprintf(line, sizeof line, "025A000000%02X,host%d,127.0.0.255", n, n);
    lan.hosts["127.0.0." + std::to_string(n)] = {mac, "host" + std::to_string(n)};
    lines.push_back(line);
  }
  return lines;
}

using SweepWindowTest = MainWindowTest;

TEST_F(SweepWindowTest, AutoAcquireShowsTheBarAtZeroFillsListAndFileAndStartsOnlyOneSweepAtATime) {
  WriteBytes("MacList.txt", HostFile({"025A00000002,old name,127.0.0.1", "025a00000005,lower case,127.0.0.1"}));
  FakeLan lan;
  lan.hosts["127.0.0.2"] = {"02:5A:00:00:00:02", "alpha"};
  lan.hosts["127.0.0.5"] = {"02:5A:00:00:00:05", ""};
  lan.hosts["127.0.0.254"] = {"02:5A:00:00:00:FE", "last"};
  ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());

  CKestrinDlg dlg;
  bool idleBefore = false, sweeping = false, idleAfter = false, idleAgain = false;
  int position = -1, finalPosition = -1, startsDuring = -1;
  PBRANGE range{};
  std::vector<Row> rows, rowsAgain;
  Run(dlg, [&](HWND hDlg) {
    idleBefore = Visible(hDlg, IDC_BUTTON_AUTO) && !Visible(hDlg, IDC_PROGRESS_SWEEP);
    ClickButton(hDlg, IDC_BUTTON_AUTO);
    sweeping = !Visible(hDlg, IDC_BUTTON_AUTO) && Visible(hDlg, IDC_PROGRESS_SWEEP);
    const HWND bar = ::GetDlgItem(hDlg, IDC_PROGRESS_SWEEP);
    position = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    ::SendMessageW(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    // The hidden button cannot be pressed by a user; a command that still arrives starts nothing.
    ::SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDC_BUTTON_AUTO, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, IDC_BUTTON_AUTO)));
    idleAfter = WaitForIdle(hDlg, 10000);
    startsDuring = lan.localCalls.load();
    finalPosition = static_cast<int>(::SendMessageW(bar, PBM_GETPOS, 0, 0));
    rows = ListRows(dlg);
    ClickButton(hDlg, IDC_BUTTON_AUTO);  // a later press sweeps again
    idleAgain = WaitForIdle(hDlg, 10000);
    rowsAgain = ListRows(dlg);
  });
  EXPECT_TRUE(idleBefore);
  EXPECT_TRUE(sweeping) << "button hidden and bar shown right after the press";
  EXPECT_EQ(position, 0);
  EXPECT_EQ(range.iLow, 0);
  EXPECT_EQ(range.iHigh, 100);
  EXPECT_TRUE(idleAfter) << "button back and bar hidden at the end";
  EXPECT_EQ(finalPosition, 100);
  EXPECT_NE(lan.probeThread.load(), GetCurrentThreadId()) << "the probes ran on the window's thread";
  EXPECT_EQ(startsDuring, 1);
  EXPECT_TRUE(idleAgain);
  EXPECT_EQ(lan.localCalls.load(), 2);
  // An equal address text takes the new alias and broadcast in place; a lower-case one is another host.
  const std::vector<Row> expected = {
      {"025A00000002", "alpha", "127.0.0.255"},
      {"025a00000005", "lower case", "127.0.0.1"},
      {"025A00000005", "", "127.0.0.255"},
      {"025A000000FE", "last", "127.0.0.255"},
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(rowsAgain, expected) << "found twice, stored once";
  EXPECT_EQ(ReadBytes("MacList.txt"),
            HostFile({"025A00000002,alpha,127.0.0.255", "025a00000005,lower case,127.0.0.1",
                      "025A00000005,,127.0.0.255", "025A000000FE,last,127.0.0.255"}));
}

// A window closed mid-sweep waits for its worker before it goes, and keeps whole lines in the file.
// Which local addresses are none is the sweep loop's matter; the window goes back to idle and says so.
TEST_F(SweepWindowTest, SweepStoresItsFindsSaysOnceAtItsEndWhatItCouldNotStoreAndAClosingWindowStopsItFirst) {
  struct Case {
    const char* name;
    bool noNetwork;
    bool storesFail;
    bool closeMidSweep;  // every host answers, slowly, so the close lands while finds arrive
    size_t unsavedBoxes;
  };
  const Case cases[] = {
      {"every store fails, sweep runs to its end", false, true, false, 1},
      {"every store fails, window closed mid-sweep", false, true, true, 0},
      {"every store succeeds", false, false, false, 0},
      {"every store succeeds, window closed mid-sweep", false, false, true, 0},
      {"no local address: idle again at once, and told", true, false, false, 0},
  };
  const std::string kept = "025A000000F0,kept,127.0.0.1";
  for (const Case& c : cases) {
    WriteBytes("MacList.txt", HostFile({kept}));
    FakeLan lan;
    std::vector<int> numbers = {2, 3, 5, 7};
    if (c.noNetwork) {
      lan.local = "0.0.0.0";
      numbers.clear();
    }
    if (c.closeMidSweep) {
      numbers.clear();
      for (int n = 1; n <= 254; ++n) {
        if (n != 10) numbers.push_back(n);  // 127.0.0.10 is the sweeping machine
      }
      lan.echoDelayMs = 10;
    }
    const std::vector<std::string> found = AddAnsweringHosts(lan, numbers);
    ScopedOverride fake(sweep::ProbesSeam(), lan.Probes());
    ScopedOverride hook(hostlist::detail::StepHookSeam(), [&c](hostlist::detail::Step step) {
      return c.storesFail && step == hostlist::detail::Step::kCreateTemp ? hostlist::detail::StepAction::kFail
                                                                         : hostlist::detail::StepAction::kProceed;
    });
    MessageBoxRecorder boxes;
    size_t boxesBeforeEnd = 0;
    int rows = 0, echoesAtEnd = -1;
    {
      CKestrinDlg dlg;
      const modal::ModalRun run = Run(dlg, [&](HWND hDlg) {
        ClickButton(hDlg, IDC_BUTTON_AUTO);
        // Until the sweep's end, or until its first find is in the list for a close (however busy the machine).
        for (int i = 0; i < 1000 && !(Visible(hDlg, IDC_BUTTON_AUTO) && !Visible(hDlg, IDC_PROGRESS_SWEEP)) &&
                        !(c.closeMidSweep && dlg.m_listHosts.GetItemCount() >= 2);
             ++i) {
          boxesBeforeEnd = boxes.Boxes().size();  // the last look before the sweep's end
          modal::PumpMessages(10);
        }
        rows = dlg.m_listHosts.GetItemCount();
        if (c.closeMidSweep) ClickButton(hDlg, IDCANCEL);  // the user's Exit while the sweep runs
      });
      EXPECT_EQ(run.result, IDCANCEL) << c.name;
      echoesAtEnd = lan.echoes.load();
      EXPECT_EQ(dlg.m_hSweepThread, nullptr) << c.name << ": the worker was waited for";
    }
    EXPECT_EQ(boxesBeforeEnd, 0u) << c.name << ": nothing is told while the sweep runs";
    EXPECT_EQ(UnsavedBoxes(boxes.Boxes()), c.unsavedBoxes) << c.name;
    EXPECT_EQ(boxes.Boxes().size(), c.unsavedBoxes + (c.noNetwork ? 1 : 0)) << c.name;
    if (c.noNetwork && !boxes.Boxes().empty()) {
      EXPECT_EQ(boxes.Boxes()[0].text, ProgramText(IDS_NO_NETWORK_TO_SWEEP));
      EXPECT_EQ(boxes.Boxes()[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    }
    if (c.closeMidSweep) {
      EXPECT_GE(rows, 2) << c.name << ": closed after the first find";
      Sleep(100);
      EXPECT_EQ(lan.echoes.load(), echoesAtEnd) << c.name << ": a probe after the dialog ended";
      EXPECT_LT(echoesAtEnd, 200) << c.name;
    } else {
      EXPECT_EQ(rows, static_cast<int>(1 + found.size())) << c.name << ": the list keeps every find";
    }
    // The kept line, then the finds stored in host order: all of them, or after a close those
    // stored before it; never a torn line.
    const std::string text = ReadBytes("MacList.txt").value_or("");
    std::vector<std::string> expected = {kept};
    for (size_t i = 0; !c.storesFail && i < found.size() && (!c.closeMidSweep || HostFile(expected) != text); ++i) {
      expected.push_back(found[i]);
    }
    EXPECT_EQ(text, HostFile(expected)) << c.name;
    EXPECT_FALSE(Exists("MacTemp.txt")) << c.name;
  }
}

}  // namespace
}  // namespace mainwindow
