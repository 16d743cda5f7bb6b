// Dialog data exchange: edit texts, length checks and control attachment.
#include "framework/DataExchange.h"

#include <string>
#include <vector>

#include "framework/EditLimit.h"
#include "framework/MessageBox.h"
#include "framework/Wnd.h"

namespace {

// The framework's prompt number for a text that is too long; AfxMessageBox takes it as help context.
constexpr UINT kPromptStringTooLong = 61716;

}  // namespace

HWND CDataExchange::PrepareEditCtrl(int id) {
  m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->GetSafeHwnd(), id);
  return m_hWndLastControl;
}

void CDataExchange::Fail() {
  m_bFailed = true;
  if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
    ::SetFocus(m_hWndLastControl);
    ::SendMessageW(m_hWndLastControl, EM_SETSEL, 0, -1);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->Failed()) return;
  HWND edit = pDX->PrepareEditCtrl(nIDC);
  if (edit == nullptr) return;
  if (pDX->m_bSaveAndValidate) {
    const int length = ::GetWindowTextLengthA(edit);
    std::vector<char> buffer(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(edit, buffer.data(), static_cast<int>(buffer.size()));
    value = CString(buffer.data(), copied > 0 ? copied : 0);
  } else {
    ::SetWindowTextA(edit, value);
  }
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (pDX->Failed()) return;
  if (pDX->m_bSaveAndValidate && value.GetLength() > nChars) {
    const std::string text = "Please enter no more than " + std::to_string(nChars) + " characters.";
    AfxMessageBox(text.c_str(), MB_ICONEXCLAMATION, kPromptStringTooLong);
    pDX->Fail();
    return;
  }
  if (pDX->m_hWndLastControl != nullptr) LimitEditToBytes(pDX->m_hWndLastControl, nChars);
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (pDX->Failed() || rControl.GetSafeHwnd() != nullptr) return;
  if (HWND control = ::GetDlgItem(pDX->m_pDlgWnd->GetSafeHwnd(), nIDC)) rControl.SubclassWindow(control);
}
