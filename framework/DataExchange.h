// Dialog data exchange: moving texts between a dialog's controls and its members, with length checks.
//
// CDialog::UpdateData creates one CDataExchange and calls DoDataExchange with it. When a
// check fails the exchange is over: every later DDX_/DDV_ call of that run does nothing, and
// UpdateData returns FALSE. No exception is thrown.
#pragma once
#include "framework/AfxString.h"
#include "framework/Platform.h"

class CWnd;

class CDataExchange {
 public:
  // pDlgWnd: the dialog whose controls are exchanged.
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

  // Makes edit control id the one the following checks apply to (they set its text limit);
  // returns its window, or null when the dialog has no such control.
  HWND PrepareEditCtrl(int id);

  // Ends the exchange unsuccessfully. While saving, the focus goes to the edit last prepared
  // and its text is selected, so the user sees what to correct.
  void Fail();
  bool Failed() const { return m_bFailed; }

  BOOL m_bSaveAndValidate;  // TRUE: controls to members (with checks); FALSE: members to controls
  CWnd* m_pDlgWnd;
  HWND m_hWndLastControl = nullptr;

 private:
  bool m_bFailed = false;
};

// Edit text <-> value, as ANSI bytes of the system code page, never converted otherwise.
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);

// After a DDX_Text, nChars at least 1: while saving, a value longer than nChars bytes shows
// "Please enter no more than <nChars> characters." (exclamation icon) and fails the exchange.
// Whenever it does not fail (loading included) the edit takes from the user at most nChars
// bytes of the ANSI code page, as an ANSI edit's text limit would (LimitEditToBytes); texts
// the program puts in stay whole, and are what the check above is for.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

// Attaches rControl to control nIDC (once), so that rControl's message map runs for it.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
