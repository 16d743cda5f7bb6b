// Shared pieces of the main window tests: a fresh folder per test, and reading and driving the real dialog.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/HostRecords.h"
#include "app/KestrinDlg.h"
#include "tests/support/ModalDriver.h"
#include "tests/support/ScratchFolder.h"

namespace mainwindow {

using Row = std::array<std::string, 3>;  // columns 0, 1, 2

inline std::vector<Row> ListRows(const CKestrinDlg& dlg) {
  std::vector<Row> rows(static_cast<size_t>(dlg.m_listHosts.GetItemCount()));
  char text[256];  // more than any field of a record holds
  for (size_t i = 0; i < rows.size(); ++i) {
    for (int column = 0; column < 3; ++column) {
      dlg.m_listHosts.GetItemText(static_cast<int>(i), column, text, sizeof text);
      rows[i][static_cast<size_t>(column)] = text;
    }
  }
  return rows;
}

// Each row's record as the same three texts; "<none>" for a row without one.
inline std::vector<Row> RecordRows(const CKestrinDlg& dlg) {
  std::vector<Row> rows;
  for (int i = 0; i < dlg.m_listHosts.GetItemCount(); ++i) {
    const auto* record = reinterpret_cast<const HostEntry*>(dlg.m_listHosts.GetItemData(i));
    if (record == nullptr) {
      rows.push_back({"<none>", "", ""});
    } else {
      rows.push_back({record->szMac, record->szAlias, record->szBroadcast});
    }
  }
  return rows;
}

inline std::string EditText(HWND hDlg, int id) {
  char buffer[512] = "";
  ::GetDlgItemTextA(hDlg, id, buffer, sizeof buffer);
  return buffer;
}

inline void SetEditText(HWND hDlg, int id, const std::string& text) { ::SetDlgItemTextA(hDlg, id, text.c_str()); }

// The edit's text as the control holds it (UTF-16), and as the window shows it.
inline std::wstring EditTextW(HWND hDlg, int id) {
  wchar_t buffer[512] = L"";
  ::GetDlgItemTextW(hDlg, id, buffer, 512);
  return buffer;
}

// Puts text on the clipboard as Unicode text, for a paste; false when the clipboard refused it.
inline bool SetClipboardText(HWND owner, const std::wstring& text) {
  if (!::OpenClipboard(owner)) return false;
  ::EmptyClipboard();
  const size_t size = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, size);
  bool placed = false;
  if (void* bytes = memory != nullptr ? ::GlobalLock(memory) : nullptr) {
    std::memcpy(bytes, text.c_str(), size);
    ::GlobalUnlock(memory);
    placed = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  }
  if (!placed && memory != nullptr) ::GlobalFree(memory);
  ::CloseClipboard();
  return placed;
}

// A user's click on a push button: the button itself reports BN_CLICKED to the dialog.
inline void ClickButton(HWND hDlg, int id) { ::SendMessageW(::GetDlgItem(hDlg, id), BM_CLICK, 0, 0); }

// Selects exactly the given rows; the first becomes the focused row.
inline void SelectRows(CKestrinDlg& dlg, const std::vector<int>& rows) {
  dlg.m_listHosts.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (size_t i = 0; i < rows.size(); ++i) {
    const UINT state = LVIS_SELECTED | (i == 0 ? LVIS_FOCUSED : 0u);
    dlg.m_listHosts.SetItemState(rows[i], state, state);
  }
}

// A key pressed in control id, through the dialog's key handling as its loop would do it; with
// Ctrl held when ctrl is set.
inline void PressKey(HWND hDlg, int id, UINT key, bool ctrl = false) {
  HWND control = ::GetDlgItem(hDlg, id);
  ::SetFocus(control);
  BYTE keys[256];
  ::GetKeyboardState(keys);
  const BYTE ctrlBefore = keys[VK_CONTROL];
  keys[VK_CONTROL] = ctrl ? 0x80 : 0;
  ::SetKeyboardState(keys);
  ::PostMessageW(control, WM_KEYDOWN, key, 1);
  ::PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  modal::PumpMessages(50, hDlg);
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = ctrlBefore;
  ::SetKeyboardState(keys);
}

// The notification the list sends its parent for a click (NM_CLICK) or a double-click (NM_DBLCLK).
inline LRESULT NotifyFromList(HWND hDlg, UINT code, int item) {
  NMITEMACTIVATE activate{};
  activate.hdr.hwndFrom = ::GetDlgItem(hDlg, IDC_LIST_HOSTS);
  activate.hdr.idFrom = IDC_LIST_HOSTS;
  activate.hdr.code = code;
  activate.iItem = item;
  return ::SendMessageW(hDlg, WM_NOTIFY, IDC_LIST_HOSTS, reinterpret_cast<LPARAM>(&activate));
}

// A CRLF-ended host list file from lines given without line ends.
inline std::string HostFile(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// The host list file that holds these rows, each as its line.
inline std::string FileOf(const std::vector<Row>& rows) {
  std::string text;
  for (const Row& row : rows) text += row[0] + "," + row[1] + "," + row[2] + "\r\n";
  return text;
}

// The program's text id, as the program reads it for a box.
inline std::string ProgramText(UINT id) {
  CString text;
  text.LoadString(id);
  return text.str();
}

// How many of boxes said a change was not saved, each checked to look as the program's others.
template <typename Boxes>
size_t UnsavedBoxes(const Boxes& boxes) {
  size_t count = 0;
  for (const auto& box : boxes) {
    if (box.text != ProgramText(IDS_CHANGE_NOT_SAVED)) continue;
    ++count;
    EXPECT_EQ(box.type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  }
  return count;
}

// The dpi this run's windows are drawn at. scripts/test.sh runs the tests named "...Dpi..." once
// more at each dpi it sets in the prefix (its LogPixels), naming it in KESTRIN_DPI: a run that
// got another dpi fails instead of passing at 96.
inline int RunDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  if (const char* expected = std::getenv("KESTRIN_DPI")) {
    EXPECT_EQ(dpi, std::atoi(expected)) << "the dpi of the prefix's LogPixels";
  }
  return dpi;
}

// Every test runs in a fresh folder of its own and must release every record it made.
class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override { m_recordsBefore = LiveHostRecordCount(); }
  void TearDown() override {
    EXPECT_EQ(LiveHostRecordCount(), m_recordsBefore) << "records still allocated after the dialog ended";
  }

  // Runs a fresh main window over the current folder's MacList.txt and returns its modal result.
  modal::ModalRun Run(CKestrinDlg& dlg, const std::function<void(HWND)>& body) {
    modal::ModalRun run = modal::RunModal(dlg, body);
    EXPECT_TRUE(run.bodyRan);
    EXPECT_FALSE(run.timedOut);
    return run;
  }

  ScratchFolder m_scratch;
  long m_recordsBefore = 0;
};

}  // namespace mainwindow
