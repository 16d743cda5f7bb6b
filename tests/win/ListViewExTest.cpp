// The host list control's full-row drawing, on the real list of the main window.
#include "tests/win/MainWindowFixture.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace mainwindow {
namespace {

using ListViewExTest = MainWindowTest;

// A 32-bit bitmap to draw rows into, filled black so that untouched pixels show.
class Canvas {
 public:
  Canvas(int width, int height) : m_width(width), m_height(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    m_dc = ::CreateCompatibleDC(nullptr);
    m_bitmap = ::CreateDIBSection(m_dc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&m_bits), nullptr, 0);
    m_old = ::SelectObject(m_dc, m_bitmap);
    std::fill(m_bits, m_bits + width * height, 0u);
  }
  ~Canvas() {
    ::SelectObject(m_dc, m_old);
    ::DeleteObject(m_bitmap);
    ::DeleteDC(m_dc);
  }
  Canvas(const Canvas&) = delete;
  Canvas& operator=(const Canvas&) = delete;

  HDC dc() const { return m_dc; }
  COLORREF At(int x, int y) const {
    ::GdiFlush();
    const uint32_t bgra = m_bits[y * m_width + x];
    return RGB((bgra >> 16) & 0xFF, (bgra >> 8) & 0xFF, bgra & 0xFF);
  }

 private:
  int m_width;
  int m_height;
  HDC m_dc;
  HBITMAP m_bitmap;
  HGDIOBJ m_old;
  uint32_t* m_bits = nullptr;
};

// Draws row item of the dialog's list into canvas through the control's own DrawItem.
void DrawRow(CKestrinDlg& dlg, int item, const Canvas& canvas) {
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_LISTVIEW;
  draw.CtlID = IDC_LIST_HOSTS;
  draw.itemID = static_cast<UINT>(item);
  draw.itemAction = ODA_DRAWENTIRE;
  draw.hwndItem = dlg.m_listHosts.GetSafeHwnd();
  draw.hDC = canvas.dc();
  dlg.m_listHosts.GetItemRect(item, &draw.rcItem, LVIR_BOUNDS);
  dlg.m_listHosts.DrawItem(&draw);
}

// Puts colours in place of the system's for its lifetime, as a theme change would.
class ScopedSysColors {
 public:
  ScopedSysColors(std::vector<int> elements, const std::vector<COLORREF>& colors) : m_elements(std::move(elements)) {
    for (int element : m_elements) m_saved.push_back(::GetSysColor(element));
    ::SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), colors.data());
  }
  ~ScopedSysColors() { ::SetSysColors(static_cast<int>(m_elements.size()), m_elements.data(), m_saved.data()); }
  ScopedSysColors(const ScopedSysColors&) = delete;
  ScopedSysColors& operator=(const ScopedSysColors&) = delete;

 private:
  std::vector<int> m_elements;
  std::vector<COLORREF> m_saved;
};

// Whether any pixel of the rectangle has exactly the colour: the text drawn in it, for one.
bool HasPixel(const Canvas& canvas, const RECT& area, COLORREF color) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (canvas.At(x, y) == color) return true;
    }
  }
  return false;
}

int RowMiddle(CKestrinDlg& dlg, int item) {
  RECT bounds;
  dlg.m_listHosts.GetItemRect(item, &bounds, LVIR_BOUNDS);
  return (bounds.top + bounds.bottom) / 2;
}

TEST_F(ListViewExTest, RowsAreFilledOutToTheClientWidthInTheThemesColoursAsTheirSelectionAndFocusSay) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,a,127.0.0.1", "001122334455,b,127.0.0.1"}));
  // The default scheme, and a dark high-contrast one (whose Window colour the canvas does not start with).
  struct Scheme {
    const char* name;
    bool custom;
    COLORREF window, windowText, highlight, highlightText, buttonFace, buttonText;
  };
  const Scheme schemes[] = {
      {"system colours", false, ::GetSysColor(COLOR_WINDOW), ::GetSysColor(COLOR_WINDOWTEXT),
       ::GetSysColor(COLOR_HIGHLIGHT), ::GetSysColor(COLOR_HIGHLIGHTTEXT), ::GetSysColor(COLOR_BTNFACE),
       ::GetSysColor(COLOR_BTNTEXT)},
      {"dark high contrast", true, RGB(0, 0, 40), RGB(255, 255, 255), RGB(0, 255, 255), RGB(0, 0, 0), RGB(60, 60, 0),
       RGB(255, 255, 0)},
  };
  struct Case {
    const char* name;
    bool listFocused;
    UINT state;
    enum { kPlain, kHighlighted, kInactiveSelection } look;
  };
  const std::vector<Case> cases = {
      {"selected, list focused", true, LVIS_SELECTED, Case::kHighlighted},
      {"selected, focus elsewhere: still in sight", false, LVIS_SELECTED, Case::kInactiveSelection},
      {"not selected", true, 0, Case::kPlain},
      {"drop target, focus elsewhere", false, LVIS_DROPHILITED, Case::kHighlighted},
  };
  for (const Scheme& scheme : schemes) {
    std::unique_ptr<ScopedSysColors> colors;
    if (scheme.custom) {
      colors = std::make_unique<ScopedSysColors>(
          std::vector<int>{COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT, COLOR_BTNFACE,
                           COLOR_BTNTEXT},
          std::vector<COLORREF>{scheme.window, scheme.windowText, scheme.highlight, scheme.highlightText,
                                scheme.buttonFace, scheme.buttonText});
    }
    CKestrinDlg dlg;
    Run(dlg, [&](HWND hDlg) {
      CListViewEx& list = dlg.m_listHosts;
      RECT bounds, client, label;
      list.GetItemRect(1, &bounds, LVIR_BOUNDS);
      list.GetItemRect(1, &label, LVIR_LABEL);
      list.GetClientRect(&client);
      list.m_nClientWidth = bounds.right + 40;  // as if the window were wider than its columns
      const int width = std::max(bounds.right, client.right) + 60;
      for (const Case& c : cases) {
        SCOPED_TRACE(std::string(scheme.name) + ", " + c.name);
        if (c.listFocused) {
          ::SetFocus(list.GetSafeHwnd());
        } else {
          ::SetFocus(::GetDlgItem(hDlg, IDC_EDIT_MAC));
        }
        // The drawing asks GetFocus; without a window manager a refused focus would read as a drawing fault.
        if ((::GetFocus() == list.GetSafeHwnd()) != c.listFocused) {
          ADD_FAILURE() << "the focus could not be placed as the case needs";
          continue;
        }
        list.SetItemState(1, c.state, LVIS_SELECTED | LVIS_DROPHILITED);
        Canvas canvas(width, client.bottom + 1);
        DrawRow(dlg, 1, canvas);
        const int y = RowMiddle(dlg, 1);
        const COLORREF fill = c.look == Case::kHighlighted       ? scheme.highlight
                              : c.look == Case::kInactiveSelection ? scheme.buttonFace
                                                                   : scheme.window;
        const COLORREF text = c.look == Case::kHighlighted       ? scheme.highlightText
                              : c.look == Case::kInactiveSelection ? scheme.buttonText
                                                                   : scheme.windowText;
        EXPECT_EQ(canvas.At(50, y), fill);
        EXPECT_TRUE(HasPixel(canvas, label, text)) << "the address drawn in the text colour";
        if (c.look != Case::kPlain) {
          EXPECT_EQ(canvas.At(bounds.right + 30, y), fill) << "highlight out to the client width";
          EXPECT_EQ(canvas.At(bounds.right + 50, y), RGB(0, 0, 0)) << "and no further";
        } else if (bounds.right < client.right) {
          EXPECT_EQ(canvas.At(client.right - 1, y), fill) << "filled out to the client edge";
        }
        EXPECT_EQ(canvas.At(50, RowMiddle(dlg, 0)), RGB(0, 0, 0)) << "other rows untouched";
      }
    });
  }
}

TEST_F(ListViewExTest, RowsAreTallEnoughForTheFontAndAZeroWidthColumnBecomesTenPixelsAt96Dpi) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,a,127.0.0.1"}));
  CKestrinDlg dlg;
  int rowHeight = -1, before = -1, afterPaint = -1;
  TEXTMETRICW metrics{};
  Run(dlg, [&](HWND) {
    CListViewEx& list = dlg.m_listHosts;
    RECT bounds;
    if (list.GetItemRect(0, &bounds, LVIR_BOUNDS)) rowHeight = bounds.bottom - bounds.top;
    HDC dc = ::GetDC(list.GetSafeHwnd());
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)));
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(list.GetSafeHwnd(), dc);
    list.SendMessage(LVM_SETCOLUMNWIDTH, 1, 0);
    before = static_cast<int>(list.SendMessage(LVM_GETCOLUMNWIDTH, 1));
    list.Invalidate();
    list.UpdateWindow();  // the list asks its parent to draw the row: WM_DRAWITEM comes back to the control
    afterPaint = static_cast<int>(list.SendMessage(LVM_GETCOLUMNWIDTH, 1));
  });
  EXPECT_GT(metrics.tmHeight, 0);
  EXPECT_GE(rowHeight, metrics.tmHeight);
  EXPECT_EQ(before, 0);
  EXPECT_EQ(afterPaint, ::MulDiv(10, RunDpi(), 96));
}

TEST_F(ListViewExTest, SwitchingFullRowSelectionReportsAChangeOnceAndLeavesAnotherWindowsUpdateLock) {
  CKestrinDlg dlg;
  std::vector<BOOL> results, flags;
  std::vector<bool> ownerDrawn;
  bool lockedElsewhere = false, stillLocked = false;
  Run(dlg, [&](HWND hDlg) {
    CListViewEx& list = dlg.m_listHosts;
    // Only one window can be locked at a time; this lock is not the list's to release.
    lockedElsewhere = ::LockWindowUpdate(::GetDlgItem(hDlg, IDC_EDIT_ALIAS)) != FALSE;
    for (BOOL enable : {TRUE, FALSE, FALSE, TRUE}) {
      results.push_back(list.EnableFullRowSelect(enable));
      flags.push_back(list.m_bFullRowSelect);
      ownerDrawn.push_back((list.GetStyle() & LVS_OWNERDRAWFIXED) != 0);
    }
    // A second lock is refused while the first one holds.
    stillLocked = ::LockWindowUpdate(::GetDlgItem(hDlg, IDC_EDIT_MAC)) == FALSE;
    ::LockWindowUpdate(nullptr);
  });
  ASSERT_TRUE(lockedElsewhere);
  EXPECT_EQ(results, (std::vector<BOOL>{FALSE, TRUE, FALSE, TRUE})) << "already on after the window's start-up";
  EXPECT_EQ(flags, (std::vector<BOOL>{TRUE, FALSE, FALSE, TRUE}));
  EXPECT_EQ(ownerDrawn, (std::vector<bool>{true, false, false, true}));
  EXPECT_TRUE(stillLocked) << "the other window's lock was released";
}

TEST_F(ListViewExTest, BackgroundColourIsKeptAndTheEraseStartsYellow) {
  CKestrinDlg dlg;
  COLORREF kept = 0, listOwn = 0, erased = 0;
  Run(dlg, [&](HWND) {
    CListViewEx& list = dlg.m_listHosts;
    list.SendMessage(LVM_SETBKCOLOR, 0, RGB(1, 2, 3));
    kept = list.m_crBackground;
    listOwn = static_cast<COLORREF>(list.SendMessage(LVM_GETBKCOLOR));
    // With no background colour of its own and a transparent background, the list leaves the
    // yellow fill in place (the dialog draws nothing for WM_PRINTCLIENT).
    list.SendMessage(LVM_SETBKCOLOR, 0, static_cast<LPARAM>(CLR_NONE));
    list.SendMessage(LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_TRANSPARENTBKGND, LVS_EX_TRANSPARENTBKGND);
    RECT client;
    list.GetClientRect(&client);
    Canvas canvas(client.right, client.bottom);
    list.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc()));
    erased = canvas.At(client.right / 2, client.bottom - 2);
  });
  EXPECT_EQ(kept, RGB(1, 2, 3));
  EXPECT_EQ(listOwn, RGB(1, 2, 3)) << "the message still reaches the list";
  EXPECT_EQ(erased, RGB(255, 255, 0));
}

// Counts the rows the list asks its parent to draw, between the dialog's window and its object.
int g_rowsDrawn = 0;
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK CountRowsDrawn(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DRAWITEM) ++g_rowsDrawn;
  return ::CallWindowProcW(g_dialogProc, hWnd, message, wParam, lParam);
}

TEST_F(ListViewExTest, FocusMovingToTheListsOwnHeaderRepaintsNoRowsOfItsOwn) {
  WriteBytes("MacList.txt", HostFile({"00a0b1c2d3e4,a,127.0.0.1", "001122334455,b,127.0.0.1"}));
  CKestrinDlg dlg;
  int toHeader = -1, toEdit = -1;
  Run(dlg, [&](HWND hDlg) {
    CListViewEx& list = dlg.m_listHosts;
    HWND header = reinterpret_cast<HWND>(list.SendMessage(LVM_GETHEADER));
    ::SetFocus(list.GetSafeHwnd());
    SelectRows(dlg, {0, 1});
    list.UpdateWindow();
    g_dialogProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountRowsDrawn)));
    // Each case starts from a focused list. The list view's own handling may draw its focus
    // rectangle; the repaint adds the focused and selected rows at once.
    auto rowsDrawnOnFocusLoss = [&](HWND newFocus) {
      ::SetFocus(::GetDlgItem(hDlg, IDC_EDIT_ALIAS));
      ::SetFocus(list.GetSafeHwnd());
      list.UpdateWindow();
      g_rowsDrawn = 0;
      list.SendMessage(WM_KILLFOCUS, reinterpret_cast<WPARAM>(newFocus));
      return g_rowsDrawn;
    };
    toHeader = rowsDrawnOnFocusLoss(header);
    toEdit = rowsDrawnOnFocusLoss(::GetDlgItem(hDlg, IDC_EDIT_MAC));
    ::SetWindowLongPtrW(hDlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
  });
  EXPECT_LE(toHeader, 1) << "at most the list view's own focus rectangle";
  EXPECT_GE(toEdit, toHeader + 2) << "the focused and the selected rows are redrawn at once";
}

}  // namespace
}  // namespace mainwindow
