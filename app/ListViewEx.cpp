// CListViewEx: owner-drawn full-row selection for the host list.
#include "app/ListViewEx.h"

#include "app/FitText.h"
#include "framework/CommonControls_win32.h"

namespace {

// Cell texts go through these, so drawing a row allocates nothing.
char g_cellText[MAX_PATH];
char g_fittedText[kFitTextBufferSize];

constexpr COLORREF kEraseFill = RGB(255, 255, 0);
constexpr UINT kCellFormat = DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | DT_VCENTER;
// Pixels at 96 dpi; drawn scaled to the window's dpi.
constexpr int kLabelMargin = 4;     // passed to FitTextToWidth for column 0
constexpr int kLabelInset = 2;      // each side of column 0's text
constexpr int kSubItemMargin = 12;  // for columns 1 and later
constexpr int kSubItemInset = 6;
constexpr int kZeroColumnWidth = 10;  // what a column of width 0 becomes when drawn

class DcTextMeasurer : public TextMeasurer {
 public:
  explicit DcTextMeasurer(CDC* dc) : m_dc(dc) {}
  int Width(const char* text, int length) const override { return m_dc->GetTextExtent(text, length).cx; }

 private:
  CDC* m_dc;
};

}  // namespace

CListViewEx::CListViewEx()
    : m_bFullRowSelect(FALSE), m_nClientWidth(0), m_crBackground(::GetSysColor(COLOR_WINDOW)) {}

CListViewEx::~CListViewEx() = default;

BEGIN_MESSAGE_MAP(CListViewEx, CListCtrl)
  ON_WM_SIZE()
  ON_WM_PAINT()
  ON_WM_SETFOCUS()
  ON_WM_KILLFOCUS()
  ON_WM_ERASEBKGND()
  ON_MESSAGE(LVM_SETIMAGELIST, OnSetImageList)
  ON_MESSAGE(LVM_SETTEXTCOLOR, OnSetTextColor)
  ON_MESSAGE(LVM_SETTEXTBKCOLOR, OnSetTextBkColor)
  ON_MESSAGE(LVM_SETBKCOLOR, OnSetBkColor)
END_MESSAGE_MAP()

bool CListViewEx::IsReportView() const { return (GetStyle() & LVS_TYPEMASK) == LVS_REPORT; }

BOOL CListViewEx::EnableFullRowSelect(BOOL bEnable) {
  // One redraw for the whole switch. The lock is system-wide and refused while another window
  // holds it: that lock is not ours to release.
  const BOOL locked = ::LockWindowUpdate(m_hWnd);
  m_bFullRowSelect = bEnable;
  const BOOL changed = bEnable ? ModifyStyle(0, LVS_OWNERDRAWFIXED) : ModifyStyle(LVS_OWNERDRAWFIXED, 0);
  if (changed && IsReportView()) Invalidate(TRUE);
  if (locked) ::LockWindowUpdate(nullptr);
  return changed;
}

void CListViewEx::InvalidateRowFromLabel(int nItem) {
  RECT bounds;
  RECT label;
  if (!GetItemRect(nItem, &bounds, LVIR_BOUNDS) || !GetItemRect(nItem, &label, LVIR_LABEL)) return;
  bounds.left = label.left;
  InvalidateRect(&bounds, FALSE);
}

void CListViewEx::InvalidateSelectedRows() {
  const int focused = GetNextItem(-1, LVNI_FOCUSED);
  if (focused != -1) InvalidateRowFromLabel(focused);
  for (int item = GetNextItem(-1, LVNI_SELECTED); item != -1; item = GetNextItem(item, LVNI_SELECTED)) {
    InvalidateRowFromLabel(item);
  }
  UpdateWindow();
}

void CListViewEx::OnSize(UINT nType, int cx, int cy) {
  m_nClientWidth = cx;
  CListCtrl::OnSize(nType, cx, cy);
}

void CListViewEx::OnPaint() {
  if (m_bFullRowSelect && IsReportView() && GetItemCount() > 0) {
    RECT row;
    if (GetItemRect(0, &row, LVIR_BOUNDS) && row.right < m_nClientWidth) {
      // The strip right of the columns is repainted with the rows, so a highlight drawn out
      // to the client width never keeps a stale part.
      CPaintDC dc(this);
      RECT clip;
      dc.GetClipBox(&clip);
      if (row.right - 1 < clip.left) clip.left = row.right - 1;
      clip.right = m_nClientWidth;
      InvalidateRect(&clip, FALSE);
    }
  }
  CListCtrl::OnPaint();
}

void CListViewEx::RepaintForFocusChange(HWND hOtherWnd) {
  // Focus moving between the list and its own header changes nothing that is drawn.
  if (hOtherWnd != nullptr && ::GetParent(hOtherWnd) == m_hWnd) return;
  if (m_bFullRowSelect && IsReportView()) InvalidateSelectedRows();
}

void CListViewEx::OnSetFocus(HWND hOldWnd) {
  CListCtrl::OnSetFocus(hOldWnd);
  RepaintForFocusChange(hOldWnd);
}

void CListViewEx::OnKillFocus(HWND hNewWnd) {
  CListCtrl::OnKillFocus(hNewWnd);
  RepaintForFocusChange(hNewWnd);
}

BOOL CListViewEx::OnEraseBkgnd(CDC* pDC) {
  RECT client;
  GetClientRect(&client);
  CBrush fill(kEraseFill);
  pDC->FillRect(&client, fill);
  return CListCtrl::OnEraseBkgnd(pDC);
}

LRESULT CListViewEx::OnSetImageList(WPARAM, LPARAM) { return Default(); }

LRESULT CListViewEx::OnSetTextColor(WPARAM, LPARAM) { return Default(); }

LRESULT CListViewEx::OnSetTextBkColor(WPARAM, LPARAM) { return Default(); }

LRESULT CListViewEx::OnSetBkColor(WPARAM, LPARAM lParam) {
  m_crBackground = static_cast<COLORREF>(lParam);
  return Default();
}

const char* CListViewEx::FitTextToWidth(CDC* pDC, const char* text, int columnWidth, int margin) {
  return ::FitTextToWidth(text, columnWidth, margin, DcTextMeasurer(pDC), g_fittedText, sizeof g_fittedText);
}

// What one row's drawing needs from the list, read once.
struct CListViewEx::RowLook {
  int item;
  UINT state;
  int image;
  bool selected;
  bool hasFocus;
  int fillColor;  // system colour indexes
  int textColor;
  RECT rcItem;
  RECT rcLabel;
  RECT rcIcon;
  RECT rcHighlight;  // the label's left edge out to the client width
};

CListViewEx::RowLook CListViewEx::ReadRow(const DRAWITEMSTRUCT& draw) {
  RowLook row{};
  row.item = static_cast<int>(draw.itemID);
  row.rcItem = draw.rcItem;
  row.hasFocus = ::GetFocus() == m_hWnd;

  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  item.iItem = row.item;
  item.stateMask = 0xFFFF;
  item.pszText = g_cellText;
  item.cchTextMax = sizeof g_cellText;
  g_cellText[0] = '\0';
  GetItem(&item);
  g_cellText[sizeof g_cellText - 1] = '\0';
  row.state = item.state;
  row.image = item.iImage;
  // The theme's colours, high contrast included. A selection without the focus stays in sight in
  // the colours Windows' own lists give it, so the user sees what a button will act on.
  const bool highlighted = (row.hasFocus && (item.state & LVIS_SELECTED) != 0) || (item.state & LVIS_DROPHILITED) != 0;
  row.selected = highlighted || (item.state & LVIS_SELECTED) != 0;
  row.fillColor = highlighted ? COLOR_HIGHLIGHT : row.selected ? COLOR_BTNFACE : COLOR_WINDOW;
  row.textColor = highlighted ? COLOR_HIGHLIGHTTEXT : row.selected ? COLOR_BTNTEXT : COLOR_WINDOWTEXT;

  RECT rcBounds;
  GetItemRect(row.item, &rcBounds, LVIR_BOUNDS);
  GetItemRect(row.item, &row.rcLabel, LVIR_LABEL);
  GetItemRect(row.item, &row.rcIcon, LVIR_ICON);
  row.rcHighlight = rcBounds;
  row.rcHighlight.left = row.rcLabel.left;
  if (row.rcHighlight.right < m_nClientWidth) row.rcHighlight.right = m_nClientWidth;
  return row;
}

void CListViewEx::FillRow(CDC& dc, const RowLook& row) {
  CBrush fill(::GetSysColor(row.fillColor));
  if (row.selected) {
    dc.FillRect(&row.rcHighlight, fill);
    return;
  }
  RECT rcClient;
  GetClientRect(&rcClient);
  RECT rcFill = row.rcItem;
  rcFill.right = rcClient.right;
  dc.FillRect(&rcFill, fill);
}

void CListViewEx::DrawRowImages(CDC& dc, const RowLook& row) {
  UINT imageStyle = ILD_TRANSPARENT;
  COLORREF imageBlend = m_crBackground;
  if ((row.state & LVIS_CUT) != 0) {
    imageStyle = ILD_TRANSPARENT | ILD_BLEND50;
  } else if (row.selected) {
    imageBlend = ::GetSysColor(row.fillColor);
    imageStyle = ILD_TRANSPARENT | ILD_BLEND50;
  }
  const UINT stateImage = row.state & LVIS_STATEIMAGEMASK;
  HIMAGELIST stateImages = GetImageList(LVSIL_STATE);
  if (stateImage != 0 && stateImages != nullptr) {
    comctl::ImageList_Draw(stateImages, static_cast<int>(stateImage >> 12) - 1, dc.m_hDC, row.rcItem.left,
                           row.rcItem.top, ILD_TRANSPARENT);
  }
  HIMAGELIST smallImages = GetImageList(LVSIL_SMALL);
  if (smallImages != nullptr && row.rcItem.left < row.rcItem.right - 1) {
    comctl::ImageList_DrawEx(smallImages, row.image, dc.m_hDC, row.rcIcon.left, row.rcIcon.top, 16, 16,
                             m_crBackground, imageBlend, imageStyle | (row.state & LVIS_OVERLAYMASK));
  }
}

void CListViewEx::DrawCells(CDC& dc, const RowLook& row) {
  const int dpi = GetDpi();
  // Column 0, in g_cellText since ReadRow: always left-aligned.
  const char* label = FitTextToWidth(&dc, g_cellText, row.rcLabel.right - row.rcLabel.left,
                                     ScaleToDpi(kLabelMargin, dpi));
  RECT rcText = row.rcLabel;
  rcText.left += ScaleToDpi(kLabelInset, dpi);
  rcText.right -= ScaleToDpi(kLabelInset, dpi);
  dc.DrawText(label, -1, &rcText, DT_LEFT | kCellFormat);

  // Columns 1 and later, side by side from the label's right edge.
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  RECT rcColumn = row.rcItem;
  rcColumn.right = row.rcLabel.right;
  for (int nColumn = 1; GetColumn(nColumn, &column); ++nColumn) {
    rcColumn.left = rcColumn.right;
    if (column.cx == 0) {
      column.cx = ScaleToDpi(kZeroColumnWidth, dpi);  // a hidden column would hide its text for good
      SetColumn(nColumn, &column);
    }
    rcColumn.right += column.cx;
    if (GetItemText(row.item, nColumn, g_cellText, sizeof g_cellText) == 0 || g_cellText[0] == '\0') continue;
    const char* shown = FitTextToWidth(&dc, g_cellText, column.cx, ScaleToDpi(kSubItemMargin, dpi));
    UINT justify = DT_LEFT;
    // A shortened text keeps its start in sight, whatever the column's alignment.
    if (shown == g_cellText && (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT) justify = DT_RIGHT;
    if (shown == g_cellText && (column.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_CENTER) justify = DT_CENTER;
    rcText = rcColumn;
    rcText.left += ScaleToDpi(kSubItemInset, dpi);
    rcText.right -= ScaleToDpi(kSubItemInset, dpi);
    dc.DrawText(shown, -1, &rcText, justify | kCellFormat);
  }
}

void CListViewEx::DrawItem(DRAWITEMSTRUCT* pDrawItemStruct) {
  CDC dc(pDrawItemStruct->hDC);
  const RowLook row = ReadRow(*pDrawItemStruct);
  const COLORREF oldTextColor = dc.SetTextColor(::GetSysColor(row.textColor));
  const COLORREF oldBkColor = dc.SetBkColor(::GetSysColor(row.fillColor));
  FillRow(dc, row);
  DrawRowImages(dc, row);
  DrawCells(dc, row);
  if ((row.state & LVIS_FOCUSED) != 0 && row.hasFocus) dc.DrawFocusRect(&row.rcHighlight);
  dc.SetTextColor(oldTextColor);
  dc.SetBkColor(oldBkColor);
}
