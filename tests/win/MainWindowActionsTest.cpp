// The main window's actions through the real dialog: Wake, what the edits take, the length checks, Enter, the About box.
#include "tests/win/MainWindowFixture.h"

#include <cstdio>
#include <functional>

#include <commctrl.h>
#include <imm.h>

#include "app/AboutDlg.h"
#include "app/KestrinApp.h"
#include "core/MagicPacketSender.h"
#include "framework/CommonControls_win32.h"
#include "framework/TextConvert.h"
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
  WriteBytes("MacList.txt", HostFile(HostLines()));
  UdpListener listener("127.0.0.1", 4352);
  ASSERT_TRUE(listener.ok());
  enum class How { Button, DoubleClick, EnterOnList, EnterInEdit };
  struct Case {
    const char* name;
    std::vector<int> selected;  // first one focused, as a click would leave it
    How how;
    std::vector<std::string> woken;
  };
  const std::vector<Case> cases = {
      {"button, three rows selected from the highest", {3, 0, 4}, How::Button,
       {"00a0b1c2d3e4", "102030405060", "a1a2a3a4a5a6"}},
      {"double-click, two neighbours", {2, 1}, How::DoubleClick, {"001122334455", "0a0b0c0d0e0f"}},
      {"double-click beside the rows", {}, How::DoubleClick, {}},
      {"button, nothing selected", {}, How::Button, {}},
      {"Enter on the list, two rows", {4, 1}, How::EnterOnList, {"001122334455", "a1a2a3a4a5a6"}},
      // People confirm a conversion with Enter, often once more: it must neither wake nor check.
      {"Enter in the address edit holding 13 bytes, a row selected", {1}, How::EnterInEdit, {}},
  };
  CKestrinDlg dlg;
  MessageBoxRecorder boxes;
  const modal::ModalRun run = Run(dlg, [&](HWND hDlg) {
    for (const Case& c : cases) {
      SelectRows(dlg, c.selected);
      const size_t boxesBefore = boxes.Boxes().size();
      if (c.how == How::DoubleClick) {
        EXPECT_EQ(NotifyFromList(hDlg, NM_DBLCLK, c.selected.empty() ? -1 : c.selected.front()), 0) << c.name;
      } else if (c.how == How::EnterOnList) {
        PressKey(hDlg, IDC_LIST_HOSTS, VK_RETURN);
      } else if (c.how == How::EnterInEdit) {
        SetEditText(hDlg, IDC_EDIT_MAC, "00a0b1c2d3e4f");
        PressKey(hDlg, IDC_EDIT_MAC, VK_RETURN);
        EXPECT_EQ(EditText(hDlg, IDC_EDIT_MAC), "00a0b1c2d3e4f") << c.name;
      } else {
        ClickButton(hDlg, IDC_BUTTON_WAKE);
      }
      std::vector<std::string> woken;
      for (const auto& datagram : listener.ReceiveAll(300)) woken.push_back(WokenAddress(datagram));
      EXPECT_EQ(woken, c.woken) << c.name;
      // Only the button and Enter ask for something; no length check either.
      const auto shown = boxes.Boxes();
      const bool told = c.selected.empty() && c.how != How::DoubleClick;
      ASSERT_EQ(shown.size() - boxesBefore, told ? 1u : 0u) << c.name;
      if (told) {
        EXPECT_EQ(shown.back().text, ProgramText(IDS_SELECT_ITEMS_TO_WAKE)) << c.name;
      }
    }
  });
  EXPECT_EQ(run.result, IDCANCEL) << "Enter leaves the window open";
}

enum class Input { Type, ImeChar, ImeResult, Paste, CtrlV, ShiftInsert, ContextMenuPaste, TypeThenUndo };

// Chooses Paste (its mnemonic) in the edit's context menu once the menu's own loop runs.
void CALLBACK ChoosePasteInMenu(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::PostThreadMessageW(::GetCurrentThreadId(), WM_CHAR, L'p', 1);
}

// What the user enters reaches the edit as the control gets it: WM_CHAR or WM_IME_CHAR per
// character (the characters a WM_IME_CHAR leaves queued are handled through the dialog, as its
// loop would), an IME composition of the whole text that the user then completes (the control
// shows it inside its text while composing), WM_PASTE, Ctrl+V's WM_CHAR 0x16 or Shift+Insert's
// key with the text on the clipboard, WM_UNDO.
void Enter(HWND edit, Input how, const std::wstring& text) {
  switch (how) {
    case Input::Type:
    case Input::TypeThenUndo:
      for (wchar_t c : text) ::SendMessageW(edit, WM_CHAR, c, 1);
      if (how == Input::TypeThenUndo) ::SendMessageW(edit, WM_UNDO, 0, 0);
      break;
    case Input::ImeChar:
      for (wchar_t c : text) ::SendMessageW(edit, WM_IME_CHAR, c, 1);
      modal::PumpMessages(50, ::GetParent(edit));
      break;
    case Input::ImeResult: {
      ::SetFocus(edit);
      HIMC context = ::ImmGetContext(edit);
      ASSERT_NE(context, nullptr);
      ::ImmSetOpenStatus(context, TRUE);
      const DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
      EXPECT_TRUE(::ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(text.c_str()), bytes, nullptr, 0));
      modal::PumpMessages(50, ::GetParent(edit));
      EXPECT_TRUE(::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0));
      modal::PumpMessages(50, ::GetParent(edit));
      ::ImmSetOpenStatus(context, FALSE);
      ::ImmReleaseContext(edit, context);
      break;
    }
    case Input::Paste:
    case Input::CtrlV:
      ASSERT_TRUE(SetClipboardText(edit, text));
      if (how == Input::Paste) {
        ::SendMessageW(edit, WM_PASTE, 0, 0);
      } else {
        ::SendMessageW(edit, WM_CHAR, 0x16, 1);
      }
      break;
    case Input::ContextMenuPaste:
      ASSERT_TRUE(SetClipboardText(edit, text));
      ::SetTimer(nullptr, 0, 100, &ChoosePasteInMenu);
      ::SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(-1, -1));
      break;
    case Input::ShiftInsert: {
      ASSERT_TRUE(SetClipboardText(edit, text));
      BYTE keys[256];
      ::GetKeyboardState(keys);
      keys[VK_SHIFT] |= 0x80;
      ::SetKeyboardState(keys);
      ::SendMessageW(edit, WM_KEYDOWN, VK_INSERT, 1);
      keys[VK_SHIFT] &= 0x7F;
      ::SetKeyboardState(keys);
      break;
    }
  }
}

// Counts the balloon tips the edit is asked to show; the request goes on to the control.
LRESULT CALLBACK CountBalloons(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR count) {
  if (message == EM_SHOWBALLOONTIP) ++*reinterpret_cast<int*>(count);
  return comctl::DefSubclassProc(edit, message, wParam, lParam);
}

TEST_F(ActionsTest, EditsTakeWhatTheirRulesAllowAsFarAsTheirRecordFieldsHold) {
  ASSERT_EQ(::GetACP(), 932u) << "the ANSI code page is not 932: the tests run under LANG=ja_JP.UTF-8";
  const std::wstring a = L"\u3042", nichi = L"\u65e5", hon = L"\u672c";  // あ 日 本
  constexpr int kEnd = -2;  // caret at the end of the preset text
  struct Case {
    const char* name;
    int id;
    std::wstring preset;  // put in by the program (WM_SETTEXT): never cut
    int selStart, selEnd;
    Input how;
    std::wstring input;
    std::wstring shown;
    std::string box;  // what Add says, then the field to correct has the focus; "": Add stores
    bool balloon = false;  // the edit says why it refused a character
  };
  const std::string kNone, kAddress = ProgramText(IDS_HARDWARE_ADDRESS_DIGITS);
  const auto kLengthBox = [](int chars) { return "Please enter no more than " + std::to_string(chars) + " characters."; };
  // One case for each way text reaches an edit, and for each edit's rule: what a rule makes of a
  // text is the native table's matter.
  const std::vector<Case> cases = {
      {"address: a typed letter past F is refused, the digits around it go in", IDC_EDIT_MAC, L"00a0b1c2d3", kEnd,
       kEnd, Input::Type, L"a" + a + L"gb", L"00a0b1c2d3ab", kNone, true},
      {"address: Ctrl+V of the colon form", IDC_EDIT_MAC, L"", kEnd, kEnd, Input::CtrlV, L"00:a0:b1:c2:d3:e4",
       L"00a0b1c2d3e4", kNone},
      {"address: the context menu's Paste of ipconfig's form", IDC_EDIT_MAC, L"", kEnd, kEnd, Input::ContextMenuPaste,
       L"00-A0-B1-C2-D3-E4", L"00A0B1C2D3E4", kNone},
      {"address: Shift+Insert of groups of four", IDC_EDIT_MAC, L"", kEnd, kEnd, Input::ShiftInsert, L"00a0.b1c2.d3e4",
       L"00a0b1c2d3e4", kNone},
      {"address: a paste with one non-hex character is refused whole", IDC_EDIT_MAC, L"00a0", kEnd, kEnd, Input::Paste,
       L"b1\uff71c2", L"00a0", kAddress, true},
      {"address: a program's text is never filtered", IDC_EDIT_MAC, L"00-a0:b1", kEnd, kEnd, Input::Type, L"c",
       L"00-a0:b1c", kAddress},
      {"address: undo brings the program's text back by the rule", IDC_EDIT_MAC, L"00-a0-b1-c2", 0, -1,
       Input::TypeThenUndo, L"b", L"00a0b1c2", kAddress},
      {"address: a longer text from a record stays whole and takes nothing more", IDC_EDIT_MAC,
       L"00a0b1c2d3e4ffeeddcc", kEnd, kEnd, Input::Type, L"f", L"00a0b1c2d3e4ffeeddcc", kLengthBox(12)},
      {"alias: a record's 64 bytes stay whole", IDC_EDIT_ALIAS, std::wstring(32, L'\u30b5'), kEnd, kEnd, Input::Type, L"",
       std::wstring(32, L'\u30b5'), kLengthBox(63)},
      {"broadcast: a record's 32 bytes stay whole", IDC_EDIT_BROADCAST, L"127.0.0.1" + std::wstring(23, L'0'), kEnd, kEnd,
       Input::Type, L"0", L"127.0.0.1" + std::wstring(23, L'0'), kLengthBox(31)},
      {"alias: an IME result is cut to what fits, though its composition showed whole", IDC_EDIT_ALIAS,
       std::wstring(60, L'a'), kEnd, kEnd, Input::ImeResult, nichi + hon + L"\u8a9e", std::wstring(60, L'a') + nichi,
       kNone},
      {"alias: an IME result over a selection", IDC_EDIT_ALIAS, L"x" + std::wstring(31, a[0]), 1, 3, Input::ImeResult,
       nichi + hon + L"\u8a9e", L"x" + nichi + hon + std::wstring(29, a[0]), kNone},
      {"alias: the IME's characters", IDC_EDIT_ALIAS, L"", kEnd, kEnd, Input::ImeChar, std::wstring(32, nichi[0]) + L"1",
       std::wstring(31, nichi[0]) + L"1", kNone},
      {"broadcast: full-width typed becomes half-width", IDC_EDIT_BROADCAST, L"", kEnd, kEnd, Input::Type,
       L"\uff11\uff12\uff17\uff0e\uff10\u3002\uff10\uff0e\uff11", L"127.0.0.1", kNone},
  };
  for (const Case& c : cases) {
    std::remove("MacList.txt");
    CKestrinDlg dlg;
    MessageBoxRecorder boxes;
    std::vector<LRESULT> limits;
    std::vector<bool> inputMethod;
    std::wstring shown;
    Row fields;
    int balloons = 0;
    bool fieldFocused = false;
    Run(dlg, [&](HWND hDlg) {
      for (int id : {IDC_EDIT_MAC, IDC_EDIT_ALIAS, IDC_EDIT_BROADCAST}) {
        HWND field = ::GetDlgItem(hDlg, id);
        limits.push_back(::SendMessageW(field, EM_GETLIMITTEXT, 0, 0));
        HIMC context = ::ImmGetContext(field);
        inputMethod.push_back(context != nullptr);
        if (context != nullptr) ::ImmReleaseContext(field, context);
      }
      SetEditText(hDlg, IDC_EDIT_MAC, "00a0b1c2d3e4");
      SetEditText(hDlg, IDC_EDIT_ALIAS, "alias");
      SetEditText(hDlg, IDC_EDIT_BROADCAST, "127.0.0.1");
      HWND edit = ::GetDlgItem(hDlg, c.id);
      ::SetDlgItemTextW(hDlg, c.id, c.preset.c_str());
      const WPARAM length = c.preset.size();
      ::SendMessageW(edit, EM_SETSEL, c.selStart == kEnd ? length : static_cast<WPARAM>(c.selStart),
                     c.selEnd == kEnd ? static_cast<LPARAM>(length) : c.selEnd);
      comctl::SetWindowSubclass(edit, &CountBalloons, 1, reinterpret_cast<DWORD_PTR>(&balloons));
      Enter(edit, c.how, c.input);
      comctl::RemoveWindowSubclass(edit, &CountBalloons, 1);
      shown = EditTextW(hDlg, c.id);
      fields = {EditText(hDlg, IDC_EDIT_MAC), EditText(hDlg, IDC_EDIT_ALIAS), EditText(hDlg, IDC_EDIT_BROADCAST)};
      ClickButton(hDlg, IDC_BUTTON_ADD);
      fieldFocused = ::GetFocus() == edit;
    });
    EXPECT_EQ(limits, (std::vector<LRESULT>{12, 63, 31})) << c.name;
    EXPECT_EQ(inputMethod, (std::vector<bool>{false, true, false})) << c.name << ": input method in the alias alone";
    EXPECT_EQ(shown, c.shown) << c.name;
    EXPECT_EQ(balloons > 0, c.balloon) << c.name;
    const size_t field = c.id == IDC_EDIT_MAC ? 0 : c.id == IDC_EDIT_ALIAS ? 1 : 2;
    EXPECT_EQ(fields[field], CodePageFromWide(c.shown, 932))
        << c.name << ": the exchange reads the text shown, in code page 932";
    if (c.box.empty()) {
      EXPECT_TRUE(boxes.Boxes().empty()) << c.name;
      EXPECT_EQ(ReadBytes("MacList.txt"), fields[0] + "," + fields[1] + "," + fields[2] + "\r\n") << c.name;
    } else {
      const auto shown = boxes.Boxes();
      ASSERT_EQ(shown.size(), 1u) << c.name;
      EXPECT_EQ(shown[0].text, c.box) << c.name;
      EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_ICONEXCLAMATION)) << c.name;
      EXPECT_TRUE(fieldFocused) << c.name;
      EXPECT_EQ(ReadBytes("MacList.txt"), std::nullopt) << c.name;
    }
  }
}

TEST_F(ActionsTest, WindowCarriesTheIconAndItsSystemMenuOpensTheAboutBoxModalToIt) {
  CWinApp app;  // the program's main window owns the About box
  CKestrinDlg dlg;
  app.m_pMainWnd = &dlg;
  std::wstring menuText, caption;
  HICON big = nullptr, small = nullptr;
  bool mainDisabled = false;
  bool aboutClosed = false;
  std::function<void()> closeAbout;  // outlives the run, as a look still pending may call it
  Run(dlg, [&](HWND hDlg) {
    big = reinterpret_cast<HICON>(::SendMessageW(hDlg, WM_GETICON, ICON_BIG, 0));
    small = reinterpret_cast<HICON>(::SendMessageW(hDlg, WM_GETICON, ICON_SMALL, 0));
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
  ASSERT_NE(dlg.m_hIcon, nullptr);
  EXPECT_EQ(big, dlg.m_hIcon) << "the window carries the program's icon";
  EXPECT_EQ(small, dlg.m_hIcon);
}

TEST_F(ActionsTest, StartedWithoutWakeArgumentsTheProgramRunsTheMainWindow) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,printer,127.0.0.1"}));
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
  // Should the Cancel button not close the window, the guard ends it and fails the test.
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
