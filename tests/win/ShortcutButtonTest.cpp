// The main window's Icon button on the real dialog: which rows get shortcuts, in which order.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/KestrinDlg.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/ShortcutTestSupport.h"

namespace {

using namespace shortcut_test;
using IconButtonTest = mainwindow::MainWindowTest;

// What goes into each link is the shortcut tests' matter; here, which rows are asked for.
TEST_F(IconButtonTest, SelectedRowsWithARecordGetShortcutsInListOrder) {
  struct Case {
    const char* name;
    std::vector<int> selected;  // of: a row without a record, alpha, beta, gamma
    std::vector<std::string> made;
  };
  const Case cases[] = {
      {"two rows selected from the last", {3, 1}, {"alpha", "gamma"}},
      {"nothing selected", {}, {}},
      {"the row without a record is passed over", {0, 2}, {"beta"}},
  };
  for (const Case& c : cases) {
    FakeDesktops desktops;
    CKestrinDlg dlg;
    Run(dlg, [&](HWND hDlg) {
      dlg.m_listHosts.InsertItem(0, "no record");
      for (const char* alias : {"alpha", "beta", "gamma"}) {
        const HostEntry host = MakeHost(std::string(12, alias[0]), alias);
        dlg.AddOrReplaceHost(&host);
      }
      mainwindow::SelectRows(dlg, c.selected);
      mainwindow::ClickButton(hDlg, IDC_BUTTON_ICON);
    });
    std::vector<std::string> attempts, names;
    for (const std::string& alias : c.made) {
      attempts.push_back(desktops.shared.Path() + "\\Kestrin " + alias + ".lnk");
      names.push_back("Kestrin " + alias + ".lnk");
    }
    EXPECT_EQ(desktops.system.saveAttempts, attempts) << c.name;
    EXPECT_EQ(FileNames(desktops.shared), names) << c.name;
    if (!attempts.empty()) {
      EXPECT_EQ(ReadLink(attempts[0]).arguments, "-e " + std::string(12, c.made[0][0]) + " -m 127.0.0.1") << c.name;
    }
  }
}

}  // namespace
