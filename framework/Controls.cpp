// CListCtrl: the list view operations the host list uses, as list view messages.
#include "framework/Controls.h"

#include <string>
#include <vector>

#include "framework/TextConvert.h"

int CListCtrl::InsertColumn(int nCol, const char* headingCp932, int nFormat, int nWidth, int nSubItem) {
  std::wstring heading = WideFromCodePage(headingCp932 ? headingCp932 : "", 932);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_TEXT;
  column.fmt = nFormat;
  column.pszText = &heading[0];  // a wide string's buffer is always terminated
  if (heading.empty()) column.pszText = const_cast<wchar_t*>(L"");
  if (nWidth != -1) {
    column.mask |= LVCF_WIDTH;
    column.cx = nWidth;
  }
  if (nSubItem != -1) {
    column.mask |= LVCF_SUBITEM;
    column.iSubItem = nSubItem;
  }
  return static_cast<int>(::SendMessageW(m_hWnd, LVM_INSERTCOLUMNW, static_cast<WPARAM>(nCol),
                                         reinterpret_cast<LPARAM>(&column)));
}

BOOL CListCtrl::DeleteColumn(int nCol) {
  return static_cast<BOOL>(SendMessage(LVM_DELETECOLUMN, static_cast<WPARAM>(nCol)));
}

BOOL CListCtrl::GetColumn(int nCol, LVCOLUMNA* pColumn) const {
  return static_cast<BOOL>(SendMessage(LVM_GETCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(pColumn)));
}

BOOL CListCtrl::SetColumn(int nCol, const LVCOLUMNA* pColumn) {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNA, static_cast<WPARAM>(nCol), reinterpret_cast<LPARAM>(pColumn)));
}

int CListCtrl::GetColumnWidth(int nCol) const {
  return static_cast<int>(SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(nCol)));
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
  return static_cast<BOOL>(SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(nCol), MAKELPARAM(cx, 0)));
}

int CListCtrl::InsertItem(const LVITEMA* pItem) {
  return static_cast<int>(SendMessage(LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

int CListCtrl::InsertItem(int nItem, const char* text) {
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<char*>(text ? text : "");
  return InsertItem(&item);
}

BOOL CListCtrl::SetItem(const LVITEMA* pItem) {
  return static_cast<BOOL>(SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::GetItem(LVITEMA* pItem) const {
  return static_cast<BOOL>(SendMessage(LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(pItem)));
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = const_cast<char*>(text ? text : "");
  return static_cast<BOOL>(SendMessage(LVM_SETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::GetItemText(int nItem, int nSubItem, char* buffer, int bufferSize) const {
  if (buffer == nullptr || bufferSize <= 0) return 0;
  buffer[0] = '\0';
  LVITEMA item{};
  item.iSubItem = nSubItem;
  item.pszText = buffer;
  item.cchTextMax = bufferSize;
  const int length =
      static_cast<int>(SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
  buffer[bufferSize - 1] = '\0';
  return length;
}

CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  // The list copies at most the buffer; a full buffer may mean a longer text, so grow and ask again.
  for (int size = 256; size <= 65536; size *= 4) {
    std::vector<char> buffer(static_cast<size_t>(size), '\0');
    const int length = GetItemText(nItem, nSubItem, buffer.data(), size);
    if (length < size - 1) return CString(buffer.data(), length);
  }
  return CString();
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  if (!GetItem(&item)) return 0;
  return static_cast<DWORD_PTR>(item.lParam);
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR data) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = nItem;
  item.lParam = static_cast<LPARAM>(data);
  return SetItem(&item);
}

BOOL CListCtrl::SetItemState(int nItem, UINT state, UINT mask) {
  LVITEMA item{};
  item.state = state;
  item.stateMask = mask;
  return static_cast<BOOL>(SendMessage(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}

int CListCtrl::GetItemCount() const { return static_cast<int>(SendMessage(LVM_GETITEMCOUNT)); }

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
  return static_cast<int>(SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(nItem), MAKELPARAM(nFlags, 0)));
}

UINT CListCtrl::GetSelectedCount() const { return static_cast<UINT>(SendMessage(LVM_GETSELECTEDCOUNT)); }

BOOL CListCtrl::DeleteItem(int nItem) {
  return static_cast<BOOL>(SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(nItem)));
}

BOOL CListCtrl::DeleteAllItems() { return static_cast<BOOL>(SendMessage(LVM_DELETEALLITEMS)); }

BOOL CListCtrl::GetItemRect(int nItem, RECT* rect, UINT nCode) const {
  rect->left = static_cast<LONG>(nCode);
  return static_cast<BOOL>(SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(rect)));
}

HIMAGELIST CListCtrl::GetImageList(int nImageList) const {
  return reinterpret_cast<HIMAGELIST>(SendMessage(LVM_GETIMAGELIST, static_cast<WPARAM>(nImageList)));
}

void CListCtrl::DrawItem(DRAWITEMSTRUCT*) {}

BEGIN_MESSAGE_MAP(CListCtrl, CWnd)
  ON_MESSAGE(WM_REFLECTED_DRAWITEM, OnReflectedDrawItem)
END_MESSAGE_MAP()

LRESULT CListCtrl::OnReflectedDrawItem(WPARAM, LPARAM lParam) {
  DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}
