// CKestrinDlg: the main window. Declared once here; its host-list, sweep and shortcut members
// are defined in hostlist/, discovery/ and shortcut/ beside the work they do.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "app/ListViewEx.h"
#include "core/HostEntry.h"
#include "framework/AfxString.h"
#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "res/resource.h"

// Private messages the sweep worker sends to the dialog, so that the list and the file are only
// ever changed on the window's thread.
constexpr UINT WM_SWEEP_HOSTS_FOUND = WM_APP + 1;  // LPARAM: const std::vector<HostEntry>*, valid during the send
constexpr UINT WM_SWEEP_FINISHED = WM_APP + 2;     // WPARAM: how it ended, a sweep::SweepEnd

class CKestrinDlg : public CDialog {
 public:
  enum { IDD = IDD_KESTRIN_DIALOG };

  explicit CKestrinDlg(CWnd* pParent = nullptr);
  ~CKestrinDlg() override;  // releases the records still in the list; stops a running sweep

  // Frees the record of every row still in the list and clears the rows' item data; the
  // rows stay. Runs when the dialog's window is destroyed (in OnDestroy, once no sweep runs),
  // while the list still exists. Window's thread only.
  void ReleaseHostRecords();

  // What the changes of one action (a press of Add or Delete, one sweep) did to MacList.txt.
  struct ListSaveTally {
    bool notSaved = false;  // a change was not stored: the action says so once, at its end
    bool listBusy = false;  // a wait for another process ran out: later changes do not wait again
  };

  // The one path by which a host enters or changes in the list after the load: replaces the
  // texts of the first row whose szMac equals rec->szMac (byte for byte), or appends a row
  // with a copy of rec; then stores rec in the file. Returns StoreHostEntry's result; the list
  // keeps the change whether or not the file does. Shows nothing: the action that called it
  // tells the user, through tally, once for all its changes.
  // Each text of rec counts up to its first zero byte or its field's end; the alias is made fit
  // for the file by CleanAliasText; each is cut to what its field holds with its terminator. The caller keeps ownership of rec. Window's thread only.
  int AddOrReplaceHost(const HostEntry* rec, ListSaveTally* tally = nullptr);
  // The same for many hosts in turn, as one batch: the list draws once and the file is rewritten once.
  int AddOrReplaceHosts(const std::vector<HostEntry>& hosts, ListSaveTally* tally = nullptr);

  // --- Host list file (hostlist/KestrinDlgHostList.cpp) ---
  // The writers, one rewrite for all the entries, return hostlist's kStored, kNotStored or
  // kListBusy and note a failure in tally.
  void LoadHostList();                             // fills m_listHosts from MacList.txt
  int StoreHostEntries(const std::vector<HostEntry>& entries, ListSaveTally* tally = nullptr);
  int RemoveHostEntries(const std::vector<HostEntry>& entries, ListSaveTally* tally = nullptr);
  // The box that says the change was not saved to MacList.txt, when tally has a failure.
  static void ReportUnsavedChanges(const ListSaveTally& tally);

  // --- Subnet sweep (discovery/) ---
  static UINT SweepThreadProc(void* pParam);        // the worker; pParam is the dialog

  // --- Desktop shortcuts (shortcut/) ---
  // Row nItem's shortcut, named apart from namesTaken (the selection's made so far), which it joins.
  void CreateDesktopShortcut(int nItem, std::vector<std::string>* namesTaken);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // Enter: wakes the selected hosts when the list has the focus; the window stays open.
  void OnOK() override;

  // The rules of the three edits: hexadecimal digits, half-width text, no half-width comma;
  // the two address edits without an input method.
  void SetUpEditInput();

  // Message map handlers.
  void OnSysCommand(UINT nID, LPARAM lParam);
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnBnClickedAdd();
  void OnBnClickedWake();
  void OnBnClickedDelete();
  void OnNMDblclkHostList(NMHDR* pNMHDR, LRESULT* pResult);
  void OnNMClickHostList(NMHDR* pNMHDR, LRESULT* pResult);
  // A row the user makes the focused, selected one (arrow keys, Home, End, Page Up and Down, a
  // click) fills the edits, as a click does; the program's own changes of rows do not.
  void OnLvnItemchangedHostList(NMHDR* pNMHDR, LRESULT* pResult);
  // Delete on the list: as the 削除 button, with its question. Ctrl+A: selects every row.
  void OnLvnKeydownHostList(NMHDR* pNMHDR, LRESULT* pResult);
  void OnBnClickedIcon();          // shortcut/
  void OnBnClickedAutoAcquire();   // discovery/
  LRESULT OnSweepHostsFound(WPARAM wParam, LPARAM lParam);  // discovery/
  LRESULT OnSweepFinished(WPARAM wParam, LPARAM lParam);   // discovery/
  void OnDestroy();                // discovery/: stops and waits for a running sweep, then ReleaseHostRecords

  DECLARE_MESSAGE_MAP()

 public:
  HICON m_hIcon;
  CString m_strMac;
  CString m_strAlias;
  CString m_strBroadcast;
  CListViewEx m_listHosts;
  CProgressCtrl m_progressSweep;
  CButton m_btnAutoAcquire;

  // Sweep state (discovery/): the worker's handle while one runs, and the request to stop it.
  HANDLE m_hSweepThread = nullptr;
  std::atomic<bool> m_bStopSweep{false};
  ListSaveTally m_sweepSave;  // the running or last sweep's

 private:
  // The three edits take the texts of row item's record; nothing changes when it has none.
  void FillEditsFromRow(int item);
};
