// CListCtrl: the list view operations the host list uses, as list view messages.
#include "framework/Controls.h"

#include <string>

#include "framework/TextConvert.h"

int CListCtrl::InsertColumn(int nCol, const char* headingCp932, int nFormat, int nWidth, int nSubItem) {
  std::wstring heading = WideFromCodePage(headingCp932 ? headingCp932 : "", 932);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.fmt = nFormat;
  column.pszText = &heading[0];  // a wide string's buffer is always terminated, an empty one too
  column.cx = nWidth;
  column.iSubItem = nSubItem;
  return static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol),
                                         reinterpret_cast<LPARAM>(&column)));
}

int CListCtrl::InsertItem(int nItem, const char* text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<char*>(text ? text : "");
  return InsertItem(&item);
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<char*>(text ? text : "");
  return static_cast<BOOL>(Send(LVM_SETITEMTEXTA, nItem, &item));
}

int CListCtrl::GetItemText(int nItem, int nSubItem, char* buffer, int bufferSize) const {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  buffer[0] = '\0';
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = buffer;
  item.cchTextMax = bufferSize;
  const int length = static_cast<int>(Send(LVM_GETITEMTEXTA, nItem, &item));
  buffer[bufferSize - 1] = '\0';
  return length;
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  return GetItem(&item) ? static_cast<DWORD_PTR>(item.lParam) : 0;
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR data) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  item.lParam = static_cast<LPARAM>(data);
  return static_cast<BOOL>(Send(LVM_SETITEMA, 0, &item));
}

BOOL CListCtrl::SetItemState(int nItem, UINT state, UINT mask) {
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  return static_cast<BOOL>(Send(LVM_SETITEMSTATE, nItem, &item));
}

BEGIN_MESSAGE_MAP(CListCtrl, CWnd)
  ON_MESSAGE(WM_REFLECTED_DRAWITEM, OnReflectedDrawItem)
END_MESSAGE_MAP()

LRESULT CListCtrl::OnReflectedDrawItem(WPARAM, LPARAM lParam) {
  DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}
