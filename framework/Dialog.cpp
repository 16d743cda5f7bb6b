// CDialog: modal run, initialisation and the OK/Cancel defaults.
#include "framework/Dialog.h"

#include "framework/WinApp.h"

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_MESSAGE(WM_INITDIALOG, OnInitDialogMessage)
  ON_COMMAND(IDOK, OnOK)
  ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

INT_PTR CDialog::DoModal() {
  if (m_hWnd != nullptr) return -1;  // already running
  HWND owner = m_pParentWnd != nullptr ? m_pParentWnd->GetSafeHwnd() : AfxGetMainWindowHandle();
  return ::DialogBoxParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner, &CDialog::DialogProc,
                           reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    reinterpret_cast<CDialog*>(lParam)->m_hWnd = hWnd;
    ::SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
  }
  // Null for the messages before WM_INITDIALOG (WM_SETFONT) and after WM_NCDESTROY.
  auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrW(hWnd, DWLP_USER));
  if (dialog == nullptr) return FALSE;
  const bool outerDefault = dialog->m_bDefault;
  dialog->m_bDefault = false;
  const LRESULT result = dialog->WindowProc(message, wParam, lParam);
  const bool handled = !dialog->m_bDefault;
  dialog->m_bDefault = outerDefault;
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(hWnd, DWLP_USER, 0);
    dialog->Detach();
  }
  if (!handled) return FALSE;
  // Of the messages the maps take, these two answer through the procedure's value (as do
  // WM_CTLCOLOR*, WM_COMPAREITEM and the like, which none takes); every other result goes in DWLP_MSGRESULT.
  if (message == WM_INITDIALOG || message == WM_QUERYDRAGICON) return static_cast<INT_PTR>(result);
  ::SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
  return TRUE;
}

LRESULT CDialog::DefWindowProc(UINT, WPARAM, LPARAM) {
  m_bDefault = true;
  return 0;
}

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) { return OnInitDialog(); }

void CDialog::EndDialog(int nResult) { ::EndDialog(m_hWnd, nResult); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange exchange(this, bSaveAndValidate);
  DoDataExchange(&exchange);
  return exchange.Failed() ? FALSE : TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}
