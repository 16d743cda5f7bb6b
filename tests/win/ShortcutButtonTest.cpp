// The main window's Icon button on the real dialog: which rows get shortcuts, in which order.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/KestrinDlg.h"
#include "tests/win/ShortcutTestSupport.h"

namespace {

using namespace shortcut_test;

// Runs the dialog modally from a folder of its own (MacList.txt lands there); body(hDlg) runs
// once inside the dialog's modal loop, after which the dialog ends.
class DialogRun {
 public:
  static void Run(CKestrinDlg& dlg, const std::function<void(HWND)>& body) {
    ScratchFolder folder("dialog");
    char previous[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(folder.Path().c_str());
    s_dialog = &dlg;
    s_body = &body;
    s_bodyRan = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, &DialogRun::OnTimer);
    dlg.DoModal();
    KillTimer(nullptr, timer);
    SetCurrentDirectoryA(previous);
    EXPECT_TRUE(s_bodyRan);
  }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND hDlg = s_dialog->GetSafeHwnd();
    if (hDlg == nullptr || !IsWindowVisible(hDlg) || s_bodyRan) return;
    KillTimer(nullptr, timer);
    s_bodyRan = true;
    (*s_body)(hDlg);
    s_dialog->EndDialog(IDCANCEL);
    PostMessageW(hDlg, WM_NULL, 0, 0);  // wakes the modal loop to see that it has ended
  }

  static CKestrinDlg* s_dialog;
  static const std::function<void(HWND)>* s_body;
  static bool s_bodyRan;
};
CKestrinDlg* DialogRun::s_dialog = nullptr;
const std::function<void(HWND)>* DialogRun::s_body = nullptr;
bool DialogRun::s_bodyRan = false;

void AddHost(CKestrinDlg& dlg, const std::string& mac, const std::string& alias) {
  const HostEntry host = MakeHost(mac, alias, "127.0.0.1");
  dlg.AddOrReplaceHost(&host);
}

void SelectRows(CKestrinDlg& dlg, const std::vector<int>& rows) {
  dlg.m_listHosts.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (int row : rows) dlg.m_listHosts.SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}

void ClickIcon(HWND hDlg) { SendMessageW(GetDlgItem(hDlg, IDC_BUTTON_ICON), BM_CLICK, 0, 0); }

TEST(IconButton, SelectedRowsGetShortcutsInListOrder) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  DialogRun::Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "alpha");
    AddHost(dlg, "222222222222", "beta");
    AddHost(dlg, "333333333333", "gamma");
    SelectRows(dlg, {2, 0});
    ClickIcon(hDlg);
  });
  const std::vector<std::string> expected = {desktops.shared.Path() + "\\Kestrin alpha.lnk",
                                             desktops.shared.Path() + "\\Kestrin gamma.lnk"};
  EXPECT_EQ(desktops.system.saveAttempts, expected);
  EXPECT_EQ(desktops.shared.FileNames(),
            (std::vector<std::string>{"Kestrin alpha.lnk", "Kestrin gamma.lnk"}));
  EXPECT_EQ(ReadLink(expected[0]).arguments, "-e 111111111111 -m 127.0.0.1");
  EXPECT_EQ(ReadLink(expected[1]).arguments, "-e 333333333333 -m 127.0.0.1");
  EXPECT_EQ(ReadLink(expected[1]).target, RunningProgramPath());
}

TEST(IconButton, TwoRowsWithTheSameAliasLeaveTheLaterShortcut) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  DialogRun::Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "pc");
    AddHost(dlg, "222222222222", "pc");
    SelectRows(dlg, {0, 1});
    ClickIcon(hDlg);
  });
  EXPECT_EQ(desktops.system.saveAttempts.size(), 2u);
  EXPECT_EQ(desktops.shared.FileNames(), std::vector<std::string>{"Kestrin pc.lnk"});
  EXPECT_EQ(ReadLink(desktops.shared.Path() + "\\Kestrin pc.lnk").arguments,
            "-e 222222222222 -m 127.0.0.1");
}

TEST(IconButton, NothingSelectedMakesNothing) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  DialogRun::Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "pc");
    SelectRows(dlg, {});
    ClickIcon(hDlg);
  });
  EXPECT_TRUE(desktops.system.saveAttempts.empty());
  EXPECT_TRUE(desktops.shared.FileNames().empty());
}

TEST(IconButton, RowWithoutARecordIsPassedOver) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  DialogRun::Run(dlg, [&](HWND hDlg) {
    dlg.m_listHosts.InsertItem(0, "no record");
    AddHost(dlg, "111111111111", "pc");
    SelectRows(dlg, {0, 1});
    ClickIcon(hDlg);
  });
  EXPECT_EQ(desktops.system.saveAttempts,
            std::vector<std::string>{desktops.shared.Path() + "\\Kestrin pc.lnk"});
}

TEST(IconButton, SharedDesktopRefusedLandsOnTheUsersOwn) {
  FakeDesktops desktops;
  desktops.system.failingSaves.push_back(desktops.shared.Path());
  CKestrinDlg dlg;
  DialogRun::Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "pc");
    SelectRows(dlg, {0});
    ClickIcon(hDlg);
  });
  EXPECT_TRUE(desktops.shared.FileNames().empty());
  EXPECT_EQ(desktops.own.FileNames(), std::vector<std::string>{"Kestrin pc.lnk"});
}

}  // namespace
