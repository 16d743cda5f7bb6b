// The main window without a mouse: the list's keys, and the program's own row changes leaving what the user typed.
#include "tests/win/MainWindowFixture.h"

#include <cstring>

#include "tests/support/MessageBoxRecorder.h"

namespace mainwindow {
namespace {

using KeyboardTest = MainWindowTest;

std::vector<int> SelectedRows(const CKestrinDlg& dlg) {
  std::vector<int> rows;
  for (int i = dlg.m_listHosts.GetNextItem(-1, LVNI_SELECTED); i != -1; i = dlg.m_listHosts.GetNextItem(i, LVNI_SELECTED)) {
    rows.push_back(i);
  }
  return rows;
}

TEST_F(KeyboardTest, KeysOnTheListMoveTheEditsAlongDeleteAndSelectAll) {
  const std::vector<Row> rows = {{"00a0b1c2d3e4", "printer", "127.0.0.1"},
                                 {"001122334455", "web", "127.0.0.2"},
                                 {"0a0b0c0d0e0f", "nas", "127.0.0.3"},
                                 {"102030405060", "tv", "127.0.0.4"}};
  const Row typed = {"aabbccddeeff", "typed", "127.0.0.9"};
  struct Case {
    const char* name;
    int focusedRow;  // selected and focused before the key
    UINT key;
    bool ctrl;
    int filledFrom;  // -1: the edits keep what was typed
    std::vector<int> selected;
    size_t boxes;
  };
  const std::vector<Case> cases = {
      {"Down", 0, VK_DOWN, false, 1, {1}, 0},
      {"Ctrl+Down moves the focus alone: nothing selected to fill from", 0, VK_DOWN, true, -1, {0}, 0},
      {"Ctrl+A selects every row and leaves the edits", 1, 'A', true, -1, {0, 1, 2, 3}, 0},
      {"Delete asks as the button does; answered No, nothing goes", 1, VK_DELETE, false, -1, {1}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes("MacList.txt", FileOf(rows));
    CKestrinDlg dlg;
    MessageBoxRecorder boxes(IDNO);
    std::vector<int> selected;
    Row edits;
    Run(dlg, [&](HWND hDlg) {
      SelectRows(dlg, {c.focusedRow});
      SetEditText(hDlg, IDC_EDIT_MAC, typed[0]);
      SetEditText(hDlg, IDC_EDIT_ALIAS, typed[1]);
      SetEditText(hDlg, IDC_EDIT_BROADCAST, typed[2]);
      PressKey(hDlg, IDC_LIST_HOSTS, c.key, c.ctrl);
      selected = SelectedRows(dlg);
      edits = {EditText(hDlg, IDC_EDIT_MAC), EditText(hDlg, IDC_EDIT_ALIAS), EditText(hDlg, IDC_EDIT_BROADCAST)};
    });
    EXPECT_EQ(edits, c.filledFrom == -1 ? typed : rows[static_cast<size_t>(c.filledFrom)]);
    EXPECT_EQ(selected, c.selected);
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), c.boxes);
    if (c.boxes == 1) {
      EXPECT_EQ(shown[0].text, ProgramText(IDS_CONFIRM_DELETE));
    }
    EXPECT_EQ(ReadBytes("MacList.txt"), FileOf(rows));
  }
}

// The program's own changes of rows never replace what the user typed: a row the sweep adds while
// the list has the focus, rows selected while the focus is in an edit, the focus the list moves
// onto the next row while a delete removes the selected ones.
TEST_F(KeyboardTest, RowsChangedByTheProgramLeaveTheEditsAsTyped) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,printer,127.0.0.1", "001122334455,nas,127.0.0.2",
                                                    "0a0b0c0d0e0f,nas,127.0.0.3"}));
  CKestrinDlg dlg;
  MessageBoxRecorder boxes(IDYES);
  Run(dlg, [&](HWND hDlg) {
    SetEditText(hDlg, IDC_EDIT_MAC, "aabbccddeeff");
    ::SetFocus(::GetDlgItem(hDlg, IDC_EDIT_ALIAS));
    SelectRows(dlg, {1});
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "aabbccddeeff");
    ::SetFocus(dlg.m_listHosts.GetSafeHwnd());
    HostEntry found{};
    std::strcpy(found.szMac, "102030405060");
    std::strcpy(found.szAlias, "tv");
    dlg.AddOrReplaceHost(&found);
    std::strcpy(found.szMac, "001122334455");  // the focused, selected row's texts change
    dlg.AddOrReplaceHost(&found);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "aabbccddeeff");
    EXPECT_EQ(dlg.m_listHosts.GetItemCount(), 4);

    SelectRows(dlg, {0, 1, 2});
    SetEditText(hDlg, IDC_EDIT_MAC, "aabbccddeeff");
    PressKey(hDlg, IDC_LIST_HOSTS, VK_DELETE);
    EXPECT_EQ(dlg.m_listHosts.GetItemCount(), 1);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "aabbccddeeff");
  });
}

}  // namespace
}  // namespace mainwindow
