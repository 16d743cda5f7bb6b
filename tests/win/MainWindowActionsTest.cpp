// The main window's actions through the real dialog: Wake, the length checks, Enter, and the About box.
#include "tests/win/MainWindowFixture.h"

#include <cstdio>
#include <functional>

#include "app/AboutDlg.h"
#include "app/KestrinApp.h"
#include "core/MagicPacketSender.h"
#include "framework/WinApp.h"
#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/UdpListener.h"

namespace mainwindow {
namespace {

using ActionsTest = MainWindowTest;

std::vector<std::string> HostLines() {
  return {"00a0b1c2d3e4,zero,127.0.0.1", "001122334455,one,127.0.0.1", "0a0b0c0d0e0f,two,127.0.0.1",
          "102030405060,three,127.0.0.1", "a1a2a3a4a5a6,four,127.0.0.1"};
}

// The hardware address a datagram wakes, as the 12 lower-case digits of its first copy.
std::string WokenAddress(const std::vector<unsigned char>& datagram) {
  if (datagram.size() != static_cast<size_t>(kMagicPacketSize)) return "<size " + std::to_string(datagram.size()) + ">";
  char text[13];
  std::snprintf(text, sizeof text, "%02x%02x%02x%02x%02x%02x", datagram[6], datagram[7], datagram[8], datagram[9],
                datagram[10], datagram[11]);
  return text;
}

TEST_F(ActionsTest, WakeSendsOneDatagramPerSelectedRowInRowOrder) {
  ScratchFolder::WriteFile("MacList.txt", HostFile(HostLines()));
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  struct Case {
    const char* name;
    std::vector<int> selected;  // first one focused, as a click would leave it
    bool doubleClick;
    std::vector<std::string> woken;
  };
  const std::vector<Case> cases = {
      {"button, three rows selected from the highest", {3, 0, 4}, false, {"00a0b1c2d3e4", "102030405060", "a1a2a3a4a5a6"}},
      {"double-click, two neighbours", {2, 1}, true, {"001122334455", "0a0b0c0d0e0f"}},
      {"button, nothing selected", {}, false, {}},
  };
  CKestrinDlg dlg;
  MessageBoxRecorder boxes;
  Run(dlg, [&](HWND hDlg) {
    for (const Case& c : cases) {
      SelectRows(dlg, c.selected);
      if (c.doubleClick) {
        EXPECT_EQ(NotifyFromList(hDlg, NM_DBLCLK, c.selected.front()), 0) << c.name;
      } else {
        ClickButton(hDlg, IDC_BUTTON_WAKE);
      }
      std::vector<std::string> woken;
      for (const auto& datagram : listener.ReceiveAll(300)) woken.push_back(WokenAddress(datagram));
      EXPECT_EQ(woken, c.woken) << c.name;
    }
  });
  EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ActionsTest, WakeAfterModifyUsesTheNewBroadcastAddress) {
  ScratchFolder::WriteFile("MacList.txt", HostFile({"00a0b1c2d3e4,printer,127.0.0.9"}));
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  CKestrinDlg dlg;
  size_t received = 0;
  Run(dlg, [&](HWND hDlg) {
    SetEditText(hDlg, IDC_EDIT_MAC, "00a0b1c2d3e4");
    SetEditText(hDlg, IDC_EDIT_ALIAS, "printer");
    SetEditText(hDlg, IDC_EDIT_BROADCAST, "127.0.0.1");
    ClickButton(hDlg, IDC_BUTTON_ADD);
    SelectRows(dlg, {0});
    ClickButton(hDlg, IDC_BUTTON_WAKE);
    received = listener.ReceiveAll(300).size();
  });
  EXPECT_EQ(received, 1u) << "the record took the new broadcast text";
}

TEST_F(ActionsTest, EditsAreLimitedToTheirRecordFields) {
  CKestrinDlg dlg;
  std::vector<LRESULT> limits;
  Run(dlg, [&](HWND hDlg) {
    for (int id : {IDC_EDIT_MAC, IDC_EDIT_ALIAS, IDC_EDIT_BROADCAST}) {
      limits.push_back(::SendMessageW(::GetDlgItem(hDlg, id), EM_GETLIMITTEXT, 0, 0));
    }
  });
  EXPECT_EQ(limits, (std::vector<LRESULT>{12, 63, 31}));
}

TEST_F(ActionsTest, TooLongTextShowsTheLengthMessageAndAddsNothing) {
  struct Case {
    const char* name;
    std::string mac, alias, broadcast;
    std::string message;
    int focused;
  };
  std::string alias64;
  for (int i = 0; i < 32; ++i) alias64 += "\x83\x54";  // 32 double-byte characters: 64 bytes
  const std::vector<Case> cases = {
      {"13 bytes of address", "00a0b1c2d3e4f", "a", "127.0.0.1", "Please enter no more than 12 characters.",
       IDC_EDIT_MAC},
      {"64 bytes of alias", "00a0b1c2d3e4", alias64, "127.0.0.1", "Please enter no more than 63 characters.",
       IDC_EDIT_ALIAS},
      {"32 bytes of broadcast", "00a0b1c2d3e4", "a", "127.0.0.1" + std::string(23, '0'),
       "Please enter no more than 31 characters.", IDC_EDIT_BROADCAST},
  };
  for (const Case& c : cases) {
    CKestrinDlg dlg;
    MessageBoxRecorder boxes;
    HWND focus = nullptr;
    HWND expectedFocus = nullptr;
    Run(dlg, [&](HWND hDlg) {
      SetEditText(hDlg, IDC_EDIT_MAC, c.mac);
      SetEditText(hDlg, IDC_EDIT_ALIAS, c.alias);
      SetEditText(hDlg, IDC_EDIT_BROADCAST, c.broadcast);
      ClickButton(hDlg, IDC_BUTTON_ADD);
      EXPECT_EQ(dlg.m_listHosts.GetItemCount(), 0) << c.name;
      focus = ::GetFocus();
      expectedFocus = ::GetDlgItem(hDlg, c.focused);
    });
    const auto shown = boxes.Boxes();
    ASSERT_EQ(shown.size(), 1u) << c.name;
    EXPECT_EQ(shown[0].text, c.message) << c.name;
    EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_ICONEXCLAMATION)) << c.name;
    EXPECT_EQ(focus, expectedFocus) << c.name << ": the field to correct gets the focus";
    EXPECT_EQ(ScratchFolder::ReadFile("MacList.txt"), "<missing>") << c.name;
  }
}

TEST_F(ActionsTest, AddAfterClickOnOverlongStoredAddressChangesNothing) {
  // A hand-edited line with a 20-byte address: the click shows it, the check refuses to store it.
  const std::string file = HostFile({"00a0b1c2d3e4ffeeddcc,long,127.0.0.1"});
  ScratchFolder::WriteFile("MacList.txt", file);
  CKestrinDlg dlg;
  MessageBoxRecorder boxes;
  std::vector<Row> before, after;
  Run(dlg, [&](HWND hDlg) {
    SelectRows(dlg, {0});
    NotifyFromList(hDlg, NM_CLICK, 0);
    EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "00a0b1c2d3e4ffeeddcc");
    SetEditText(hDlg, IDC_EDIT_ALIAS, "renamed");
    before = RecordRows(dlg);
    ClickButton(hDlg, IDC_BUTTON_ADD);
    after = RecordRows(dlg);
  });
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Please enter no more than 12 characters.");
  EXPECT_EQ(after, before);
  EXPECT_EQ(ScratchFolder::ReadFile("MacList.txt"), file);
}

TEST_F(ActionsTest, EnterInAnEditClosesTheWindowOnlyWhenTheChecksPass) {
  struct Case {
    const char* name;
    std::string mac;
    INT_PTR result;
    size_t boxes;
  };
  const std::vector<Case> cases = {
      {"valid fields", "00a0b1c2d3e4", IDOK, 0},
      {"13 bytes of address", "00a0b1c2d3e4f", IDCANCEL, 1},  // stays open; the driver ends it
  };
  for (const Case& c : cases) {
    CKestrinDlg dlg;
    MessageBoxRecorder boxes;
    const modal::ModalRun run = Run(dlg, [&](HWND hDlg) {
      HWND edit = ::GetDlgItem(hDlg, IDC_EDIT_MAC);
      SetEditText(hDlg, IDC_EDIT_MAC, c.mac);
      ::SetFocus(edit);
      ::PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
      ::PostMessageW(edit, WM_KEYUP, VK_RETURN, static_cast<LPARAM>(0xC0000001u));
    });
    EXPECT_EQ(run.result, c.result) << c.name;
    EXPECT_EQ(boxes.Boxes().size(), c.boxes) << c.name;
  }
}

TEST_F(ActionsTest, CancelButtonEndsTheWindowWithCancel) {
  CKestrinDlg dlg;
  const modal::ModalRun run = Run(dlg, [&](HWND hDlg) { ClickButton(hDlg, IDCANCEL); });
  EXPECT_EQ(run.result, IDCANCEL);
}

TEST_F(ActionsTest, SystemMenuOpensTheAboutBoxModalToTheMainWindow) {
  CWinApp app;  // the program's main window owns the About box
  CKestrinDlg dlg;
  app.m_pMainWnd = &dlg;
  std::wstring menuText, caption;
  bool mainDisabled = false;
  bool aboutClosed = false;
  std::function<void()> closeAbout;  // outlives the run, as a look still pending may call it
  Run(dlg, [&](HWND hDlg) {
    wchar_t text[128] = L"";
    ::GetMenuStringW(::GetSystemMenu(hDlg, FALSE), IDM_ABOUTBOX, text, 128, MF_BYCOMMAND);
    menuText = text;
    // The About box shows only once its own loop first finds the queue empty, which on a busy
    // machine can come after any fixed delay: look again until it is there. Should it never
    // come, the run's guard ends the run and fails the test.
    closeAbout = [&, hDlg] {
      HWND about = modal::FindOtherDialog(hDlg);
      if (about == nullptr) {
        modal::RunLater(20, closeAbout);
        return;
      }
      wchar_t title[128] = L"";
      ::GetWindowTextW(about, title, 128);
      caption = title;
      mainDisabled = !::IsWindowEnabled(hDlg);
      ::SendMessageW(::GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
    };
    modal::RunLater(20, closeAbout);
    ::SendMessageW(hDlg, WM_SYSCOMMAND, IDM_ABOUTBOX, 0);  // returns when the About box has closed
    aboutClosed = modal::FindOtherDialog(hDlg) == nullptr;
  });
  app.m_pMainWnd = nullptr;
  EXPECT_EQ(menuText, L"\u30d0\u30fc\u30b8\u30e7\u30f3\u60c5\u5831 Kestrin(&A)...");
  EXPECT_EQ(caption, L"\u30d0\u30fc\u30b8\u30e7\u30f3\u60c5\u5831 Kestrin");
  EXPECT_TRUE(mainDisabled);
  EXPECT_TRUE(aboutClosed);
}

TEST_F(ActionsTest, WindowCarriesTheProgramIcon) {
  CKestrinDlg dlg;
  HICON big = nullptr, small = nullptr;
  Run(dlg, [&](HWND hDlg) {
    big = reinterpret_cast<HICON>(::SendMessageW(hDlg, WM_GETICON, ICON_BIG, 0));
    small = reinterpret_cast<HICON>(::SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0));
  });
  ASSERT_NE(dlg.m_hIcon, nullptr);
  EXPECT_EQ(big, dlg.m_hIcon);
  EXPECT_EQ(small, dlg.m_hIcon);
}

}  // namespace
}  // namespace mainwindow

namespace mainwindow {
namespace {

TEST_F(ActionsTest, StartedWithoutWakeArgumentsTheProgramRunsTheMainWindow) {
  ScratchFolder::WriteFile("MacList.txt", HostFile({"00a0b1c2d3e4,printer,127.0.0.1"}));
  CKestrinApp app;
  app.m_lpCmdLine = "-e 00a0b1c2d3e4";  // no m-value: the window, not a wake
  bool sawWindow = false;
  bool mainWindowWasIt = false;
  modal::RunLater(100, [&] {
    HWND window = modal::FindOtherDialog(nullptr);
    sawWindow = window != nullptr;
    mainWindowWasIt = sawWindow && AfxGetMainWindowHandle() == window;
    if (window != nullptr) ::SendMessageW(::GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
  });
  // Should the window not close, the guard ends the process rather than hang the run.
  modal::RunLater(15000, [] {
    ADD_FAILURE() << "the main window did not close";
    if (HWND window = modal::FindOtherDialog(nullptr)) ::EndDialog(window, IDCANCEL);
  });
  EXPECT_FALSE(app.InitInstance());
  EXPECT_TRUE(sawWindow);
  EXPECT_TRUE(mainWindowWasIt) << "the dialog is the application's main window while it runs";
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  modal::CancelPendingTimers();
}

}  // namespace
}  // namespace mainwindow
