// CDialog: a modal dialog built from a dialog template in the program's resources.
//
// DoModal creates the dialog (wide functions, so the Japanese template texts show whatever
// the ANSI code page), runs the dialog manager's modal loop and returns the value given to
// EndDialog. The dialog procedure dispatches every message from WM_INITDIALOG on through the
// object's message map (CWnd::WindowProc); what the map does not take, or a handler passes on
// with Default(), the dialog manager processes once the procedure has answered. The map of
// CDialog sends WM_INITDIALOG to OnInitDialog, IDOK to OnOK and IDCANCEL (button 2, Escape,
// the close box) to OnCancel.
#pragma once
#include "framework/DataExchange.h"
#include "framework/Wnd.h"

class CDialog : public CWnd {
 public:
  // pParentWnd null: the dialog is owned by the application's main window, when there is one.
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

  // Runs the dialog until EndDialog; returns its result, or -1 when it could not be created.
  virtual INT_PTR DoModal();
  // Ends the modal run with nResult once the current message has been handled.
  void EndDialog(int nResult);

  // Runs DoDataExchange: controls to members (TRUE, with checks) or members to controls (FALSE).
  // Returns FALSE when a check failed.
  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

 protected:
  // Called once the controls exist: UpdateData(FALSE). Returns TRUE to let the dialog
  // manager put the focus on the first tab stop.
  virtual BOOL OnInitDialog();
  // IDOK: UpdateData(TRUE), then EndDialog(IDOK) when it succeeded.
  virtual void OnOK();
  // IDCANCEL: EndDialog(IDCANCEL).
  virtual void OnCancel();
  // Binds controls to members with DDX_/DDV_ calls; the base binds nothing.
  virtual void DoDataExchange(CDataExchange* pDX);

  DECLARE_MESSAGE_MAP()

  // The dialog manager's processing, after the handler: DialogProc answers FALSE.
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  LRESULT OnInitDialogMessage(WPARAM wParam, LPARAM lParam);
  static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

  bool m_bDefault = false;  // the message in DialogProc is left to the dialog manager
};
