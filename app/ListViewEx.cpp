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
  if ((GetStyle() & LVS_SHOWSELALWAYS) == 0) {
    for (int item = GetNextItem(-1, LVNI_SELECTED); item != -1; item = GetNextItem(item, LVNI_SELECTED)) {
      InvalidateRowFromLabel(item);
    }
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

void CListViewEx::DrawItem(DRAWITEMSTRUCT* pDrawItemStruct) {
  CDC dc(pDrawItemStruct->hDC);
  const int nItem = static_cast<int>(pDrawItemStruct->itemID);
  const RECT rcItem = pDrawItemStruct->rcItem;
  const bool hasFocus = ::GetFocus() == m_hWnd;
  const int dpi = GetDpi();

  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
  item.iItem = nItem;
  item.iSubItem = 0;
  item.stateMask = 0xFFFF;
  item.pszText = g_cellText;
  item.cchTextMax = sizeof g_cellText;
  g_cellText[0] = '\0';
  GetItem(&item);
  g_cellText[sizeof g_cellText - 1] = '\0';

  const bool selected = ((hasFocus || (GetStyle() & LVS_SHOWSELALWAYS) != 0) && (item.state & LVIS_SELECTED) != 0) ||
                        (item.state & LVIS_DROPHILITED) != 0;

  RECT rcBounds;
  RECT rcLabel;
  RECT rcIcon;
  GetItemRect(nItem, &rcBounds, LVIR_BOUNDS);
  GetItemRect(nItem, &rcLabel, LVIR_LABEL);
  GetItemRect(nItem, &rcIcon, LVIR_ICON);
  RECT rcHighlight = rcBounds;
  rcHighlight.left = rcLabel.left;
  if (rcHighlight.right < m_nClientWidth) rcHighlight.right = m_nClientWidth;

  // The theme's colours, high contrast included: Window and WindowText, or the highlight's.
  const COLORREF fillColor = ::GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  const COLORREF oldTextColor = dc.SetTextColor(::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  const COLORREF oldBkColor = dc.SetBkColor(fillColor);
  CBrush fill(fillColor);
  if (selected) {
    dc.FillRect(&rcHighlight, fill);
  } else {
    RECT rcClient;
    GetClientRect(&rcClient);
    RECT rcFill = rcItem;
    rcFill.right = rcClient.right;
    dc.FillRect(&rcFill, fill);
  }

  UINT imageStyle = ILD_TRANSPARENT;
  COLORREF imageBlend = m_crBackground;
  if ((item.state & LVIS_CUT) != 0) {
    imageStyle = ILD_TRANSPARENT | ILD_BLEND50;
  } else if (selected) {
    imageBlend = ::GetSysColor(COLOR_HIGHLIGHT);
    imageStyle = ILD_TRANSPARENT | ILD_BLEND50;
  }

  const UINT stateImage = item.state & LVIS_STATEIMAGEMASK;
  HIMAGELIST stateImages = GetImageList(LVSIL_STATE);
  if (stateImage != 0 && stateImages != nullptr) {
    comctl::ImageList_Draw(stateImages, static_cast<int>(stateImage >> 12) - 1, dc.m_hDC, rcItem.left,
                           rcItem.top, ILD_TRANSPARENT);
  }
  HIMAGELIST smallImages = GetImageList(LVSIL_SMALL);
  if (smallImages != nullptr && rcItem.left < rcItem.right - 1) {
    comctl::ImageList_DrawEx(smallImages, item.iImage, dc.m_hDC, rcIcon.left, rcIcon.top, 16, 16, m_crBackground,
                             imageBlend, imageStyle | (item.state & LVIS_OVERLAYMASK));
  }

  // Column 0: always left-aligned.
  {
    const char* shown = FitTextToWidth(&dc, g_cellText, rcLabel.right - rcLabel.left, ScaleToDpi(kLabelMargin, dpi));
    const int inset = ScaleToDpi(kLabelInset, dpi);
    RECT rcText = rcLabel;
    rcText.left += inset;
    rcText.right -= inset;
    dc.DrawText(shown, -1, &rcText, DT_LEFT | kCellFormat);
  }

  // Columns 1 and later, side by side from the label's right edge.
  LVCOLUMNA column{};
  column.mask = LVCF_FMT | LVCF_WIDTH;
  RECT rcColumn = rcItem;
  rcColumn.right = rcLabel.right;
  for (int nColumn = 1; GetColumn(nColumn, &column); ++nColumn) {
    rcColumn.left = rcColumn.right;
    if (column.cx == 0) {
      column.cx = ScaleToDpi(kZeroColumnWidth, dpi);  // a hidden column would hide its text for good
      SetColumn(nColumn, &column);
    }
    rcColumn.right += column.cx;
    if (GetItemText(nItem, nColumn, g_cellText, sizeof g_cellText) == 0 || g_cellText[0] == '\0') continue;
    const char* shown = FitTextToWidth(&dc, g_cellText, column.cx, ScaleToDpi(kSubItemMargin, dpi));
    UINT justify = DT_LEFT;
    if (shown == g_cellText) {
      switch (column.fmt & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT: justify = DT_RIGHT; break;
        case LVCFMT_CENTER: justify = DT_CENTER; break;
        default: break;
      }
    }
    const int inset = ScaleToDpi(kSubItemInset, dpi);
    RECT rcText = rcColumn;
    rcText.left += inset;
    rcText.right -= inset;
    dc.DrawText(shown, -1, &rcText, justify | kCellFormat);
  }

  if ((item.state & LVIS_FOCUSED) != 0 && hasFocus) dc.DrawFocusRect(&rcHighlight);
  dc.SetTextColor(oldTextColor);
  dc.SetBkColor(oldBkColor);
}
