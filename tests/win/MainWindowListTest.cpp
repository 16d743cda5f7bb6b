// The main window's host list, driven through the real dialog: load, Add/Modify, Delete and the click.
#include "tests/win/MainWindowFixture.h"

#include <cstring>

#include "tests/support/FakeWaitClock.h"
#include "tests/support/MessageBoxRecorder.h"

namespace mainwindow {
namespace {

const std::string kWebServer = "Web \x83\x54\x81\x5b\x83\x6f\x81\x5b";  // Web サーバー

using HostListTest = MainWindowTest;

// And a click copies the lowest selected row, not the clicked one, into the edits.
TEST_F(HostListTest, LoadShowsEveryValidLineInFileOrderAndLoadingAgainOrClosingFreesTheRecords) {
  // Which lines make rows, and their texts, is the native load table's matter: here, that the
  // rows and their records follow the file, a skipped line between them.
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,office printer,127.0.0.1", "no comma at all",
                                      "001122334455," + kWebServer + ",  127.0.0.1 ", ",,",
                                      "00a0b1c2d3e4,office printer,127.0.0.1"}));
  CKestrinDlg dlg;
  std::vector<Row> rows, records, recordsAgain;
  long recordsWhileOpen = 0, recordsLoadedAgain = 0;
  Run(dlg, [&](HWND hDlg) {
    rows = ListRows(dlg);
    records = RecordRows(dlg);
    recordsWhileOpen = LiveHostRecordCount() - m_recordsBefore;
    SelectRows(dlg, {3, 1});
    EXPECT_EQ(NotifyFromList(hDlg, NM_CLICK, 3), 0);
    SelectRows(dlg, {});  // a click that leaves nothing selected changes nothing
    EXPECT_EQ(NotifyFromList(hDlg, NM_CLICK, -1), 0);
    EXPECT_EQ((Row{EditText(hDlg, IDC_EDIT_MAC), EditText(hDlg, IDC_EDIT_ALIAS), EditText(hDlg, IDC_EDIT_BROADCAST)}),
              (Row{"001122334455", kWebServer, "127.0.0.1"}));
    dlg.LoadHostList();
    recordsAgain = RecordRows(dlg);
    recordsLoadedAgain = LiveHostRecordCount() - m_recordsBefore;
  });
  const std::vector<Row> expected = {
      {"00a0b1c2d3e4", "office printer", "127.0.0.1"},
      {"001122334455", kWebServer, "127.0.0.1"},
      {"", "", ""},
      {"00a0b1c2d3e4", "office printer", "127.0.0.1"},  // duplicates stay, in place
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(records, expected) << "each row's record holds the texts the row shows";
  EXPECT_EQ(recordsAgain, expected);
  EXPECT_EQ(recordsWhileOpen, 4) << "one record per row";
  EXPECT_EQ(recordsLoadedAgain, 4) << "the old rows' records were freed";
  EXPECT_EQ(LiveHostRecordCount(), m_recordsBefore) << "released as the window went, before the dialog object";
  EXPECT_EQ(dlg.m_listHosts.GetSafeHwnd(), nullptr);
}

TEST_F(HostListTest, ColumnsAre120PixelsAt96DpiAndFullRowSelectionIsSetUp) {
  CKestrinDlg dlg;
  std::vector<std::wstring> captions;
  std::vector<int> widths;
  DWORD listStyle = 0;
  Run(dlg, [&](HWND) {
    for (int column = 0; column < 4; ++column) {
      wchar_t text[64] = L"";
      LVCOLUMNW info{};
      info.mask = LVCF_TEXT | LVCF_WIDTH;
      info.pszText = text;
      info.cchTextMax = 64;
      if (!::SendMessageW(dlg.m_listHosts.GetSafeHwnd(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&info))) break;
      captions.push_back(text);
      widths.push_back(info.cx);
    }
    listStyle = dlg.m_listHosts.GetStyle();
  });
  EXPECT_EQ(captions, (std::vector<std::wstring>{LoadResourceString(IDS_COLUMN_MAC), LoadResourceString(IDS_COLUMN_ALIAS),
                                                  LoadResourceString(IDS_COLUMN_BROADCAST)}));
  const int width = ::MulDiv(120, RunDpi(), 96);
  EXPECT_EQ(widths, (std::vector<int>{width, width, width}));
  EXPECT_TRUE(listStyle & LVS_OWNERDRAWFIXED);
  EXPECT_FALSE(listStyle & LVS_SHOWSELALWAYS) << "the list draws its selection without the focus itself";
  EXPECT_FALSE(listStyle & LVS_SINGLESEL);
}

TEST_F(HostListTest, AddCreatesTheListAppendsNewHostsAndReplacesOnlyAnExactAddressMatch) {
  struct Step {
    const char* name;
    std::string mac, alias, broadcast;
    std::vector<Row> rowsAfter;  // and the file's lines
  };
  const std::vector<Step> steps = {
      {"no list: created", "00a0b1c2d3e4", "printer", "127.0.0.1", {{"00a0b1c2d3e4", "printer", "127.0.0.1"}}},
      {"a new address is appended", "001122334455", "nas", "127.0.0.1",
       {{"00a0b1c2d3e4", "printer", "127.0.0.1"}, {"001122334455", "nas", "127.0.0.1"}}},
      {"same address replaces alias and broadcast in place",
       "00a0b1c2d3e4", kWebServer, "127.0.0.2",
       {{"00a0b1c2d3e4", kWebServer, "127.0.0.2"}, {"001122334455", "nas", "127.0.0.1"}}},
      {"the same digits in capitals are another host",
       "00A0B1C2D3E4", "upper", "127.0.0.1",
       {{"00a0b1c2d3e4", kWebServer, "127.0.0.2"}, {"001122334455", "nas", "127.0.0.1"},
        {"00A0B1C2D3E4", "upper", "127.0.0.1"}}},
      {"a comma in an alias is kept as the full-width comma, so the line reads back",
       "001122334455", "1F,2F", "127.0.0.1",
       {{"00a0b1c2d3e4", kWebServer, "127.0.0.2"}, {"001122334455", "1F\x81\x43" "2F", "127.0.0.1"},
        {"00A0B1C2D3E4", "upper", "127.0.0.1"}}},
  };
  CKestrinDlg dlg;
  MessageBoxRecorder boxes;
  Run(dlg, [&](HWND hDlg) {
    for (const Step& step : steps) {
      SetEditText(hDlg, IDC_EDIT_MAC, step.mac);
      SetEditText(hDlg, IDC_EDIT_ALIAS, step.alias);
      SetEditText(hDlg, IDC_EDIT_BROADCAST, step.broadcast);
      ClickButton(hDlg, IDC_BUTTON_ADD);
      EXPECT_EQ(ListRows(dlg), step.rowsAfter) << step.name;
      EXPECT_EQ(RecordRows(dlg), step.rowsAfter) << step.name;
      EXPECT_EQ(ReadBytes("MacList.txt"), FileOf(step.rowsAfter)) << step.name;
      EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), step.mac) << step.name << ": the edits keep their texts";
      EXPECT_EQ(dlg.m_listHosts.GetSelectedCount(), 0u) << step.name << ": a new row is not selected";
    }
  });
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(HostListTest, ARecordWithFieldsFullToTheirLastByteIsCutToThemInListAndFile) {
  // Bytes right behind the record: whatever reads past a field shows them.
  struct Padded {
    HostEntry entry;
    char behind[40];
  } padded;
  std::memset(&padded, 'A', sizeof padded);
  std::memset(padded.behind, 'B', sizeof padded.behind - 1);
  padded.behind[sizeof padded.behind - 1] = '\0';
  const std::string mac(31, 'A'), alias(63, 'A'), broadcast(31, 'A');
  const std::vector<Row> expected = {{mac, alias, broadcast}};
  CKestrinDlg dlg;
  Run(dlg, [&](HWND) {
    for (const char* time : {"added", "the same host again: replaced, not appended"}) {
      dlg.AddOrReplaceHost(&padded.entry);
      EXPECT_EQ(ListRows(dlg), expected) << time;
      EXPECT_EQ(RecordRows(dlg), expected) << time;
    }
  });
  EXPECT_EQ(ReadBytes("MacList.txt"), FileOf(expected)) << "the file holds what the list shows";
}

TEST_F(HostListTest, DeleteRemovesExactlyTheSelectedRowsTheirRecordsAndLinesOnceConfirmed) {
  std::vector<Row> rows;
  std::vector<int> all, even, odd;
  for (int i = 0; i < 40; ++i) {
    rows.push_back({"0000000000" + std::to_string(10 + i), "host " + std::to_string(i), "127.0.0.1"});
    all.push_back(i);
    (i % 2 == 0 ? even : odd).push_back(i);
  }
  constexpr UINT kQuestion = MB_YESNO | MB_ICONQUESTION;
  const std::string kConfirmDelete = ProgramText(IDS_CONFIRM_DELETE);
  struct Case {
    const char* name;
    std::vector<int> selected;
    int answer;
    std::vector<int> kept;
    std::string message;
    UINT type;
    int rewrites;  // of MacList.txt: one per action, however many rows go
  };
  const std::vector<Case> cases = {
      {"row 0 and its neighbours, and the last row", {0, 1, 2, 39}, IDYES, std::vector<int>(all.begin() + 3, all.end() - 1),
       kConfirmDelete, kQuestion, 1},
      {"every other row", odd, IDYES, even, kConfirmDelete, kQuestion, 1},
      {"every row", all, IDYES, {}, kConfirmDelete, kQuestion, 1},
      {"answered No", {0, 1}, IDNO, all, kConfirmDelete, kQuestion, 0},
      {"the question could not be shown", {0, 1}, 0, all, kConfirmDelete, kQuestion, 0},
      {"nothing selected: only the message", {}, IDYES, all, ProgramText(IDS_SELECT_ITEMS_TO_DELETE), MB_OK | MB_ICONEXCLAMATION, 0},
  };
  for (const Case& c : cases) {
    WriteBytes("MacList.txt", FileOf(rows));
    CKestrinDlg dlg;
    MessageBoxRecorder boxes(c.answer);
    long freed = 0;
    int rewrites = 0;
    std::vector<Row> after;
    Run(dlg, [&](HWND hDlg) {
      SelectRows(dlg, c.selected);
      const long before = LiveHostRecordCount();
      {
        ScopedOverride<hostlist::detail::StepHook> countRewrites(hostlist::detail::StepHookSeam(), [&](hostlist::detail::Step step) {
          if (step == hostlist::detail::Step::kReplaceList) ++rewrites;
          return hostlist::detail::StepAction::kProceed;
        });
        ClickButton(hDlg, IDC_BUTTON_DELETE);
      }
      freed = before - LiveHostRecordCount();
      after = RecordRows(dlg);
      EXPECT_EQ(ListRows(dlg), after) << c.name;
    });
    std::vector<Row> expected;
    for (int k : c.kept) expected.push_back(rows[static_cast<size_t>(k)]);
    EXPECT_EQ(after, expected) << c.name;
    EXPECT_EQ(freed, static_cast<long>(rows.size() - c.kept.size())) << c.name;
    EXPECT_EQ(rewrites, c.rewrites) << c.name;
    EXPECT_EQ(ReadBytes("MacList.txt"), FileOf(expected)) << c.name;
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_EQ(shown[0].text, c.message) << c.name;
    EXPECT_EQ(shown[0].type, c.type) << c.name;
  }
}

// What keeps a change from MacList.txt for one case; undone at the end of the scope. Which files
// and steps make a rewrite fail is the host list tests' matter: one failed step stands for them.
enum class Obstacle { kTempNotCreated, kLockHeld };

class ScopedObstacle {
 public:
  explicit ScopedObstacle(Obstacle obstacle)
      : m_hook(hostlist::detail::StepHookSeam(), [obstacle](hostlist::detail::Step step) {
          const bool fails = obstacle == Obstacle::kTempNotCreated && step == hostlist::detail::Step::kCreateTemp;
          return fails ? hostlist::detail::StepAction::kFail : hostlist::detail::StepAction::kProceed;
        }) {
    if (obstacle == Obstacle::kLockHeld) {
      // As another Kestrin in the middle of a rewrite holds it.
      m_lock = ::CreateFileA("MacList.lock", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
      OVERLAPPED firstByte{};
      EXPECT_TRUE(::LockFileEx(m_lock, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &firstByte));
    }
  }
  ~ScopedObstacle() {
    if (m_lock != INVALID_HANDLE_VALUE) {
      OVERLAPPED firstByte{};
      ::UnlockFileEx(m_lock, 0, 1, 0, &firstByte);
      ::CloseHandle(m_lock);
    }
  }
  ScopedObstacle(const ScopedObstacle&) = delete;
  ScopedObstacle& operator=(const ScopedObstacle&) = delete;

  FakeWaitClock clock;  // the waits' own while the obstacle stands

 private:
  ScopedOverride<hostlist::detail::StepHook> m_hook;
  HANDLE m_lock = INVALID_HANDLE_VALUE;
};

// Stored changes are the Add and Delete tests' matter; the retries and waits, the host list tests'.
TEST_F(HostListTest, ChangeThatCannotBeStoredIsToldOncePerActionAndTheListKeepsIt) {
  enum class Action { kAddNew, kReplace, kDeleteThree };
  struct Case {
    const char* name;
    Action action;
    Obstacle obstacle;
    long long waitedMs;  // the whole action: a Delete waits for the list once, not once per row
  };
  const std::vector<Case> cases = {
      {"add, no temporary file", Action::kAddNew, Obstacle::kTempNotCreated, 0},
      {"replace, no temporary file", Action::kReplace, Obstacle::kTempNotCreated, 0},
      {"delete of three, list held by another process", Action::kDeleteThree, Obstacle::kLockHeld,
       hostlist::detail::kLockWait.count()},
  };
  std::vector<Row> rows;
  for (int i = 0; i < 4; ++i) rows.push_back({"00000000000" + std::to_string(i), "host " + std::to_string(i), "127.0.0.1"});
  for (const Case& c : cases) {
    WriteBytes("MacList.txt", FileOf(rows));
    std::vector<Row> expected = rows;
    if (c.action == Action::kAddNew) expected.push_back({"0a0b0c0d0e0f", "new", "127.0.0.1"});
    if (c.action == Action::kReplace) expected[1][1] = "renamed";
    if (c.action == Action::kDeleteThree) expected = {rows[1]};
    CKestrinDlg dlg;
    MessageBoxRecorder boxes(IDYES);
    std::vector<Row> after;
    long long waitedMs = 0;
    Run(dlg, [&](HWND hDlg) {
      ScopedObstacle obstacle(c.obstacle);
      if (c.action == Action::kDeleteThree) {
        SelectRows(dlg, {0, 2, 3});
        ClickButton(hDlg, IDC_BUTTON_DELETE);
      } else {
        SetEditText(hDlg, IDC_EDIT_MAC, c.action == Action::kAddNew ? "0a0b0c0d0e0f" : "000000000001");
        SetEditText(hDlg, IDC_EDIT_ALIAS, c.action == Action::kAddNew ? "new" : "renamed");
        SetEditText(hDlg, IDC_EDIT_BROADCAST, "127.0.0.1");
        ClickButton(hDlg, IDC_BUTTON_ADD);
      }
      waitedMs = obstacle.clock.waitedMs;
      after = RecordRows(dlg);
    });
    EXPECT_EQ(UnsavedBoxes(boxes.Boxes()), 1u) << c.name;
    EXPECT_EQ(boxes.Boxes().size(), c.action == Action::kDeleteThree ? 2u : 1u) << c.name;
    EXPECT_EQ(after, expected) << c.name << ": the list keeps what the user did";
    EXPECT_EQ(waitedMs, c.waitedMs) << c.name;
    EXPECT_EQ(ReadBytes("MacList.txt"), FileOf(rows)) << c.name;
    EXPECT_EQ(ReadBytes("MacTemp.txt"), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace mainwindow
