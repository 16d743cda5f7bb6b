// The common controls the dialogs bind: list view (CListCtrl), progress bar (CProgressCtrl), button (CButton).
//
// Item texts are host texts: ANSI bytes of the system code page, sent with the list view's
// A messages and never converted by the program. Column captions are the program's own
// texts, stored in code page 932 and shown through the wide messages.
// Every operation is a message to the control, so other threads may call them; the control's
// thread handles each one.
#pragma once
#include "framework/AfxString.h"
#include "framework/Platform.h"
#include "framework/Wnd.h"

#include <commctrl.h>

class CListCtrl : public CWnd {
 public:
  // Inserts a column at nCol with the caption headingCp932 (code page 932); nSubItem -1
  // leaves the subitem unset. Returns the new column's index, or -1.
  int InsertColumn(int nCol, const char* headingCp932, int nFormat = LVCFMT_LEFT, int nWidth = -1,
                   int nSubItem = -1);
  BOOL DeleteColumn(int nCol);
  // Fills the fields pColumn->mask asks for; a text buffer, if asked for, takes ANSI text.
  // FALSE when there is no column nCol.
  BOOL GetColumn(int nCol, LVCOLUMNA* pColumn) const;
  BOOL SetColumn(int nCol, const LVCOLUMNA* pColumn);
  int GetColumnWidth(int nCol) const;
  BOOL SetColumnWidth(int nCol, int cx);

  // Returns the new item's index, or -1.
  int InsertItem(const LVITEMA* pItem);
  int InsertItem(int nItem, const char* text);
  BOOL SetItem(const LVITEMA* pItem);
  // Fills the fields pItem->mask asks for; FALSE when the item does not exist.
  BOOL GetItem(LVITEMA* pItem) const;
  BOOL SetItemText(int nItem, int nSubItem, const char* text);
  // Copies the text into buffer (at most bufferSize bytes with the terminator); returns its length.
  int GetItemText(int nItem, int nSubItem, char* buffer, int bufferSize) const;
  CString GetItemText(int nItem, int nSubItem) const;
  // The item's data, or 0 when it has none or does not exist.
  DWORD_PTR GetItemData(int nItem) const;
  BOOL SetItemData(int nItem, DWORD_PTR data);
  BOOL SetItemState(int nItem, UINT state, UINT mask);
  int GetItemCount() const;
  // The next item after nItem (-1: from the start) with all of nFlags (LVNI_*), or -1.
  int GetNextItem(int nItem, int nFlags) const;
  UINT GetSelectedCount() const;
  BOOL DeleteItem(int nItem);
  BOOL DeleteAllItems();
  // nCode: LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS. FALSE when there is no such item.
  BOOL GetItemRect(int nItem, RECT* rect, UINT nCode) const;
  // nImageList: LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; null when none is set.
  HIMAGELIST GetImageList(int nImageList) const;

  // Draws one row of an owner-drawn list (LVS_OWNERDRAWFIXED). The base draws nothing.
  virtual void DrawItem(DRAWITEMSTRUCT* pDrawItemStruct);

 protected:
  // The WM_DRAWITEM the parent received for this list: DrawItem, result TRUE.
  LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
  // Each returns the previous step or position.
  int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
  int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
};

class CButton : public CWnd {};
