// The main window's host list, driven through the real dialog: load, Add/Modify, Delete and the click.
#include "tests/win/MainWindowFixture.h"

#include <cstdio>
#include <cstring>

#include "tests/support/FakeWaitClock.h"
#include "tests/support/MessageBoxRecorder.h"

namespace mainwindow {
namespace {

const std::string kWebServer = "Web \x83\x54\x81\x5b\x83\x6f\x81\x5b";  // Web サーバー

using HostListTest = MainWindowTest;

TEST_F(HostListTest, LoadShowsEveryValidLineInFileOrder) {
  // Which lines make rows, and their texts, is the native load table's matter: here, that the
  // rows and their records follow the file, a skipped line between them.
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,office printer,127.0.0.1", "no comma at all",
                                      "001122334455," + kWebServer + ",  127.0.0.1 ", ",,",
                                      "00a0b1c2d3e4,office printer,127.0.0.1"}));
  CKestrinDlg dlg;
  std::vector<Row> rows, records;
  long recordsWhileOpen = 0;
  Run(dlg, [&](HWND) {
    rows = ListRows(dlg);
    records = RecordRows(dlg);
    recordsWhileOpen = LiveHostRecordCount() - m_recordsBefore;
  });
  const std::vector<Row> expected = {
      {"00a0b1c2d3e4", "office printer", "127.0.0.1"},
      {"001122334455", kWebServer, "127.0.0.1"},
      {"", "", ""},
      {"00a0b1c2d3e4", "office printer", "127.0.0.1"},  // duplicates stay, in place
  };
  EXPECT_EQ(rows, expected);
  EXPECT_EQ(records, expected) << "each row's record holds the texts the row shows";
  EXPECT_EQ(recordsWhileOpen, 4) << "one record per row";
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
  std::printf("dpi %d: column widths %d %d %d\n", RunDpi(), widths.size() > 0 ? widths[0] : -1,
              widths.size() > 1 ? widths[1] : -1, widths.size() > 2 ? widths[2] : -1);
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
      {"an empty address is accepted as a host of its own",
       "", "no address", "127.0.0.1",
       {{"00a0b1c2d3e4", kWebServer, "127.0.0.2"}, {"001122334455", "nas", "127.0.0.1"},
        {"00A0B1C2D3E4", "upper", "127.0.0.1"}, {"", "no address", "127.0.0.1"}}},
      {"a comma in an alias is kept as the full-width comma, so the line reads back",
       "001122334455", "1F,2F", "127.0.0.1",
       {{"00a0b1c2d3e4", kWebServer, "127.0.0.2"}, {"001122334455", "1F\x81\x43" "2F", "127.0.0.1"},
        {"00A0B1C2D3E4", "upper", "127.0.0.1"}, {"", "no address", "127.0.0.1"}}},
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
  std::vector<Row> afterAdd, recordsAfterAdd, afterReplace;
  Run(dlg, [&](HWND) {
    dlg.AddOrReplaceHost(&padded.entry);
    afterAdd = ListRows(dlg);
    recordsAfterAdd = RecordRows(dlg);
    dlg.AddOrReplaceHost(&padded.entry);  // the same host again: replaced, not appended
    afterReplace = RecordRows(dlg);
  });
  EXPECT_EQ(afterAdd, expected);
  EXPECT_EQ(recordsAfterAdd, expected);
  EXPECT_EQ(afterReplace, expected);
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

TEST_F(HostListTest, ClickCopiesTheLowestSelectedRowIntoTheEdits) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,printer,127.0.0.1", "001122334455," + kWebServer +
                                                    ",127.0.0.2", "0a0b0c0d0e0f,nas,127.0.0.3"}));
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    SelectRows(dlg, {2, 1});  // the clicked (focused) row is 2; the lowest selected is 1
    EXPECT_EQ(NotifyFromList(hDlg, NM_CLICK, 2), 0);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "001122334455");
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_ALIAS), kWebServer);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_BROADCAST), "127.0.0.2");

    SelectRows(dlg, {});  // a click that leaves nothing selected changes nothing
    EXPECT_EQ(NotifyFromList(hDlg, NM_CLICK, -1), 0);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "001122334455");
  });
}

TEST_F(HostListTest, RecordsAreFreedOnLoadingAgainAndWhenTheWindowCloses) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,a,127.0.0.1", "001122334455,b,127.0.0.1"}));
  CKestrinDlg dlg;
  long afterFirst = 0, afterSecond = 0, whileOpen = 0;
  std::vector<Row> rows;
  Run(dlg, [&](HWND hDlg) {
    afterFirst = LiveHostRecordCount();
    dlg.LoadHostList();
    afterSecond = LiveHostRecordCount();
    rows = RecordRows(dlg);
    SetEditText(hDlg, IDC_EDIT_MAC, "0a0b0c0d0e0f");
    ClickButton(hDlg, IDC_BUTTON_ADD);
    whileOpen = LiveHostRecordCount() - m_recordsBefore;
  });
  EXPECT_EQ(afterSecond, afterFirst) << "the old rows' records were freed";
  EXPECT_EQ(rows, (std::vector<Row>{{"00a0b1c2d3e4", "a", "127.0.0.1"}, {"001122334455", "b", "127.0.0.1"}}));
  EXPECT_EQ(whileOpen, 3);
  EXPECT_EQ(LiveHostRecordCount(), m_recordsBefore) << "released as the window went, before the dialog object";
  EXPECT_EQ(dlg.m_listHosts.GetSafeHwnd(), nullptr);
}

// What keeps a change from MacList.txt for one case; undone at the end of the scope. Which files
// and steps make a rewrite fail is the host list tests' matter: one failed step stands for them.
enum class Obstacle { kNone, kTempNotCreated, kLockHeld, kListHeldBriefly, kListHeldLong };

class ScopedObstacle {
 public:
  explicit ScopedObstacle(Obstacle obstacle)
      : m_hook(hostlist::detail::StepHookSeam(), [this, obstacle](hostlist::detail::Step step) {
          using hostlist::detail::Step;
          using hostlist::detail::StepAction;
          if (obstacle == Obstacle::kTempNotCreated && step == Step::kCreateTemp) return StepAction::kFail;
          // As a virus scanner or a sync client holds the list open without delete sharing: the
          // system refuses the replace for three tries, or throughout.
          const bool held = step == Step::kReplaceList &&
                            (obstacle == Obstacle::kListHeldLong || (obstacle == Obstacle::kListHeldBriefly && m_replaces++ < 3));
          return held ? StepAction::kHeld : StepAction::kProceed;
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
  int m_replaces = 0;  // first, as the hook counts with it
  ScopedOverride<hostlist::detail::StepHook> m_hook;
  HANDLE m_lock = INVALID_HANDLE_VALUE;
};

TEST_F(HostListTest, ChangeThatCannotBeStoredIsToldOncePerActionAndTheListKeepsIt) {
  const std::vector<std::string> lines = {"000000000000,host 0,127.0.0.1", "000000000001,host 1,127.0.0.1",
                                          "000000000002,host 2,127.0.0.1", "000000000003,host 3,127.0.0.1"};
  enum class Action { kAddNew, kReplace, kDeleteThree };
  struct Case {
    const char* name;
    Action action;
    Obstacle obstacle;
    size_t unsavedBoxes;
    long long waitedMs;  // the whole action: a Delete waits for the list once, not once per row
  };
  const long long lockWait = hostlist::detail::kLockWait.count(), retries = hostlist::detail::kReplaceRetry.count();
  const std::vector<Case> cases = {
      {"add, stored", Action::kAddNew, Obstacle::kNone, 0, 0},
      {"add, no temporary file", Action::kAddNew, Obstacle::kTempNotCreated, 1, 0},
      {"add, list held by another process", Action::kAddNew, Obstacle::kLockHeld, 1, lockWait},
      {"add, list held open by another program for a moment", Action::kAddNew, Obstacle::kListHeldBriefly, 0, 5 + 10 + 20},
      {"replace, stored", Action::kReplace, Obstacle::kNone, 0, 0},
      {"replace, no temporary file", Action::kReplace, Obstacle::kTempNotCreated, 1, 0},
      {"delete of three, stored", Action::kDeleteThree, Obstacle::kNone, 0, 0},
      {"delete of three, no temporary file", Action::kDeleteThree, Obstacle::kTempNotCreated, 1, 0},
      {"delete of three, list held by another process", Action::kDeleteThree, Obstacle::kLockHeld, 1, lockWait},
      {"delete of three, list held open by another program", Action::kDeleteThree, Obstacle::kListHeldLong, 1, retries},
  };
  for (const Case& c : cases) {
    const std::string file = HostFile(lines);
    WriteBytes("MacList.txt", file);
    ::DeleteFileA("MacTemp.txt");
    std::vector<Row> expected;
    for (int i = 0; i < 4; ++i) expected.push_back({"00000000000" + std::to_string(i), "host " + std::to_string(i), "127.0.0.1"});
    if (c.action == Action::kAddNew) expected.push_back({"0a0b0c0d0e0f", "new", "127.0.0.1"});
    if (c.action == Action::kReplace) expected[1][1] = "renamed";
    if (c.action == Action::kDeleteThree) expected = {expected[1]};
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
    EXPECT_EQ(UnsavedBoxes(boxes.Boxes()), c.unsavedBoxes) << c.name;
    EXPECT_EQ(boxes.Boxes().size(), c.unsavedBoxes + (c.action == Action::kDeleteThree ? 1 : 0)) << c.name;
    EXPECT_EQ(after, expected) << c.name << ": the list keeps what the user did";
    EXPECT_EQ(waitedMs, c.waitedMs) << c.name;
    EXPECT_EQ(ReadBytes("MacList.txt"), c.unsavedBoxes ? file : FileOf(expected)) << c.name;
    EXPECT_EQ(ReadBytes("MacTemp.txt"), std::nullopt) << c.name;
  }
}

}  // namespace
}  // namespace mainwindow
