// The main window's Icon button on the real dialog: which rows get shortcuts, in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/KestrinDlg.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/ShortcutTestSupport.h"

namespace {

using namespace shortcut_test;
using mainwindow::MainWindowTest;

void AddHost(CKestrinDlg& dlg, const std::string& mac, const std::string& alias) {
  const HostEntry host = MakeHost(mac, alias, "127.0.0.1");
  dlg.AddOrReplaceHost(&host);
}

void ClickIcon(HWND hDlg) { mainwindow::ClickButton(hDlg, IDC_BUTTON_ICON); }

// The main window's fixture: its own current folder, the dialog run from its modal loop, no
// record lost.
class IconButtonTest : public MainWindowTest {};

TEST_F(IconButtonTest, SelectedRowsGetShortcutsInListOrder) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "alpha");
    AddHost(dlg, "222222222222", "beta");
    AddHost(dlg, "333333333333", "gamma");
    mainwindow::SelectRows(dlg, {2, 0});
    ClickIcon(hDlg);
  });
  const std::vector<std::string> expected = {desktops.shared.Path() + "\\Kestrin alpha.lnk",
                                             desktops.shared.Path() + "\\Kestrin gamma.lnk"};
  EXPECT_EQ(desktops.system.saveAttempts, expected);
  EXPECT_EQ(FileNames(desktops.shared),
            (std::vector<std::string>{"Kestrin alpha.lnk", "Kestrin gamma.lnk"}));
  EXPECT_EQ(ReadLink(expected[0]).arguments, "-e 111111111111 -m 127.0.0.1");
  EXPECT_EQ(ReadLink(expected[1]).arguments, "-e 333333333333 -m 127.0.0.1");
  EXPECT_EQ(ReadLink(expected[1]).target, RunningProgramPath());
}

TEST_F(IconButtonTest, NothingSelectedMakesNothing) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    AddHost(dlg, "111111111111", "pc");
    mainwindow::SelectRows(dlg, {});
    ClickIcon(hDlg);
  });
  EXPECT_TRUE(desktops.system.saveAttempts.empty());
  EXPECT_TRUE(FileNames(desktops.shared).empty());
}

TEST_F(IconButtonTest, RowWithoutARecordIsPassedOver) {
  FakeDesktops desktops;
  CKestrinDlg dlg;
  Run(dlg, [&](HWND hDlg) {
    dlg.m_listHosts.InsertItem(0, "no record");
    AddHost(dlg, "111111111111", "pc");
    mainwindow::SelectRows(dlg, {0, 1});
    ClickIcon(hDlg);
  });
  EXPECT_EQ(desktops.system.saveAttempts,
            std::vector<std::string>{desktops.shared.Path() + "\\Kestrin pc.lnk"});
}

}  // namespace
