// The common controls the dialogs bind: list view (CListCtrl), progress bar (CProgressCtrl), button (CButton).
//
// Item texts are host texts: ANSI bytes of the system code page, sent with the list view's
// A messages and never converted by the program. Column captions are the program's own
// texts, stored in code page 932 and shown through the wide messages.
// Every operation is a message to the control, so other threads may call them; the control's
// thread handles each one.
#pragma once
#include "framework/Platform.h"
#include "framework/Wnd.h"

#include <commctrl.h>

class CListCtrl : public CWnd {
 public:
  // Inserts a column at nCol with the caption headingCp932 (code page 932), the format, width
  // and subitem given. Returns the new column's index, or -1.
  int InsertColumn(int nCol, const char* headingCp932, int nFormat, int nWidth, int nSubItem);
  BOOL DeleteColumn(int nCol) { return static_cast<BOOL>(Send(LVM_DELETECOLUMN, nCol)); }
  // Fills the fields pColumn->mask asks for; a text buffer, if asked for, takes ANSI text.
  // FALSE when there is no column nCol.
  BOOL GetColumn(int nCol, LVCOLUMNA* pColumn) const { return static_cast<BOOL>(Send(LVM_GETCOLUMNA, nCol, pColumn)); }
  BOOL SetColumn(int nCol, const LVCOLUMNA* pColumn) { return static_cast<BOOL>(Send(LVM_SETCOLUMNA, nCol, pColumn)); }

  // Returns the new item's index, or -1.
  int InsertItem(int nItem, const char* text);
  int InsertItem(const LVITEMA* pItem) { return static_cast<int>(Send(LVM_INSERTITEMA, 0, pItem)); }
  // Makes room for nItems rows at once, ahead of inserting them.
  void SetItemCount(int nItems) { Send(LVM_SETITEMCOUNT, nItems); }
  // Fills the fields pItem->mask asks for; FALSE when the item does not exist.
  BOOL GetItem(LVITEMA* pItem) const { return static_cast<BOOL>(Send(LVM_GETITEMA, 0, pItem)); }
  BOOL SetItemText(int nItem, int nSubItem, const char* text);
  // Copies the text into buffer (at most bufferSize bytes with the terminator); returns its length.
  int GetItemText(int nItem, int nSubItem, char* buffer, int bufferSize) const;
  // The item's data, or 0 when it has none or does not exist.
  DWORD_PTR GetItemData(int nItem) const;
  BOOL SetItemData(int nItem, DWORD_PTR data);
  BOOL SetItemState(int nItem, UINT state, UINT mask);
  int GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }
  // The next item after nItem (-1: from the start) with all of nFlags (LVNI_*), or -1.
  int GetNextItem(int nItem, int nFlags) const { return static_cast<int>(SendMessage(LVM_GETNEXTITEM, nItem, nFlags)); }
  UINT GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }
  BOOL DeleteItem(int nItem) { return static_cast<BOOL>(Send(LVM_DELETEITEM, nItem)); }
  BOOL DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }
  // nCode: LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS. FALSE when there is no such item.
  BOOL GetItemRect(int nItem, RECT* rect, UINT nCode) const {
    rect->left = static_cast<LONG>(nCode);
    return static_cast<BOOL>(Send(LVM_GETITEMRECT, nItem, rect));
  }
  // nImageList: LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; null when none is set.
  HIMAGELIST GetImageList(int nImageList) const {
    return reinterpret_cast<HIMAGELIST>(Send(LVM_GETIMAGELIST, nImageList));
  }

  // Draws one row of an owner-drawn list (LVS_OWNERDRAWFIXED). The base draws nothing.
  virtual void DrawItem(DRAWITEMSTRUCT*) {}

 protected:
  // The WM_DRAWITEM the parent received for this list: DrawItem, result TRUE.
  LRESULT OnReflectedDrawItem(WPARAM wParam, LPARAM lParam);

  DECLARE_MESSAGE_MAP()

 private:
  // A list message with an index in WPARAM (-1 stays all bits set) and a structure, if any, in LPARAM.
  LRESULT Send(UINT message, int index, const void* data = nullptr) const {
    return SendMessage(message, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(data));
  }
};

class CProgressCtrl : public CWnd {
 public:
  void SetRange32(int nLower, int nUpper) { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(nLower), nUpper); }
  // Each returns the previous step or position.
  int SetStep(int nStep) { return static_cast<int>(SendMessage(PBM_SETSTEP, static_cast<WPARAM>(nStep))); }
  int SetPos(int nPos) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos))); }
};

class CButton : public CWnd {};
