// CListViewEx: the host list control, a report-view list that draws its rows itself to select whole rows.
//
// With full-row selection on (EnableFullRowSelect(TRUE)) the list is owner-drawn: a selected
// row is highlighted from the left edge of its label out to the client width (Highlight and
// HighlightText while the list has the focus, ButtonFace and ButtonText without it), an
// unselected row is filled with the Window colour out to the client rectangle's right edge and
// written in WindowText, and cell texts that do not fit their column end in "...". Rows, their
// texts and their item data are the plain CListCtrl's: this class never reads or frees the item data.
//
// Window's thread only: drawing uses two static text buffers.
#pragma once
#include "framework/Controls.h"
#include "framework/Gdi.h"

class CListViewEx : public CListCtrl {
 public:
  CListViewEx();
  ~CListViewEx() override;

  // Switches owner-drawn full-row selection on or off. Returns TRUE when the window style
  // changed; m_bFullRowSelect takes bEnable either way.
  BOOL EnableFullRowSelect(BOOL bEnable);

  // Repaints at once the rows whose look depends on the focus: the focused row and the selected rows.
  void InvalidateSelectedRows();

  // text itself when it fits columnWidth with margin, else a shared shortened copy ending in
  // "..." (valid until the next call). Widths in the device context's current font.
  const char* FitTextToWidth(CDC* pDC, const char* text, int columnWidth, int margin);

  // Draws one row (the list asks through its parent's WM_DRAWITEM).
  void DrawItem(DRAWITEMSTRUCT* pDrawItemStruct) override;

  BOOL m_bFullRowSelect;
  int m_nClientWidth;        // client width from the last WM_SIZE; 0 until the first one
  COLORREF m_crBackground;   // follows LVM_SETBKCOLOR

 protected:
  void OnSize(UINT nType, int cx, int cy);
  void OnPaint();
  void OnSetFocus(HWND hOldWnd);
  void OnKillFocus(HWND hNewWnd);
  BOOL OnEraseBkgnd(CDC* pDC);
  LRESULT OnSetImageList(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTextColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetTextBkColor(WPARAM wParam, LPARAM lParam);
  LRESULT OnSetBkColor(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

 private:
  struct RowLook;
  // The steps of DrawItem. ReadRow leaves column 0's text in the shared cell buffer for DrawCells.
  RowLook ReadRow(const DRAWITEMSTRUCT& draw);
  void FillRow(CDC& dc, const RowLook& row);
  void DrawRowImages(CDC& dc, const RowLook& row);
  void DrawCells(CDC& dc, const RowLook& row);

  bool IsReportView() const;
  // After a focus change: repaint unless the other window is one of the list's own children.
  void RepaintForFocusChange(HWND hOtherWnd);
  // Invalidates item's bounds from the left edge of its label, without erasing.
  void InvalidateRowFromLabel(int nItem);
};
