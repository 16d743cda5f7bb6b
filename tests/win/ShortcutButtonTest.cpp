// The main window's Icon button on the real dialog: which rows get shortcuts, in which order, under which names.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/KestrinDlg.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/win/MainWindowFixture.h"
#include "tests/win/ShortcutTestSupport.h"

namespace {

using namespace shortcut_test;
using IconButtonTest = mainwindow::MainWindowTest;

// What goes into each link is the shortcut tests' matter; here, which rows are asked for.
TEST_F(IconButtonTest, SelectedRowsWithARecordGetShortcutsInListOrder) {
  struct Host {
    std::string mac, alias;
  };
  // After a row without a record; the fourth shares the first's alias, the fifth has none.
  const Host hosts[] = {{"aaaaaaaaaaaa", "alpha"}, {"bbbbbbbbbbbb", "beta"}, {"cccccccccccc", "gamma"},
                        {"dddddddddddd", "alpha"}, {"eeeeeeeeeeee", ""}};
  struct Case {
    const char* name;
    std::vector<int> selected;
    std::vector<std::string> made;  // file names, in the order made
  };
  const Case cases[] = {
      {"nothing selected: only the message", {}, {}},
      {"the row without a record is passed over", {0, 2}, {"Kestrin beta.lnk"}},
      {"a shared alias and no alias: the first by row keeps the name", {5, 4, 1},
       {"Kestrin alpha.lnk", "Kestrin alpha (dddddddddddd).lnk", "Kestrin eeeeeeeeeeee.lnk"}},
  };
  for (const Case& c : cases) {
    FakeDesktops desktops;
    MessageBoxRecorder boxes;
    CKestrinDlg dlg;
    Run(dlg, [&](HWND hDlg) {
      dlg.m_listHosts.InsertItem(0, "no record");
      for (const Host& host : hosts) {
        const HostEntry entry = MakeHost(host.mac, host.alias);
        dlg.AddOrReplaceHost(&entry);
      }
      mainwindow::SelectRows(dlg, c.selected);
      mainwindow::ClickButton(hDlg, IDC_BUTTON_ICON);
    });
    std::vector<std::string> attempts;
    for (const std::string& name : c.made) attempts.push_back(desktops.shared.Path() + "\\" + name);
    std::vector<std::string> names = c.made;
    std::sort(names.begin(), names.end());
    EXPECT_EQ(desktops.system.saveAttempts, attempts) << c.name;
    EXPECT_EQ(FileNames(desktops.shared), names) << c.name;
    if (!attempts.empty()) {
      const int lastRow = *std::max_element(c.selected.begin(), c.selected.end());
      EXPECT_EQ(ReadLink(attempts.back()).arguments, "-e " + hosts[lastRow - 1].mac + " -m 127.0.0.1") << c.name;
    }
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), c.selected.empty() ? 1u : 0u) << c.name;
    if (c.selected.empty()) {
      EXPECT_EQ(shown[0].text, mainwindow::ProgramText(IDS_SELECT_ITEMS_FOR_SHORTCUTS));
    }
  }
}

}  // namespace
