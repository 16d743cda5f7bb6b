// CKestrinDlg: the main window's fields, buttons, list handling and About box.
#include "app/KestrinDlg.h"

#include <imm.h>

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "app/AboutDlg.h"
#include "app/EditRules.h"
#include "app/HostRecords.h"
#include "app/HostRows.h"
#include "app/StartFolder.h"
#include "core/AddressText.h"
#include "core/MagicPacketSender.h"
#include "discovery/SweepWorker.h"
#include "framework/MessageBox.h"
#include "framework/TextConvert.h"
#include "framework/WinApp.h"

namespace {

constexpr int kColumnWidth = 120;  // pixels at 96 dpi

// Longest texts the edits accept, in bytes: what the record's fields hold beside their terminator.
constexpr int kMaxMacChars = 12;
constexpr int kMaxAliasChars = 63;
constexpr int kMaxBroadcastChars = static_cast<int>(sizeof(HostEntry::szBroadcast)) - 1;

// rec's texts as far as their fields hold them, each terminated within its field, as the file
// reads them: a caller's record with a field full to its last byte must not make the list read
// past the field, nor the list show another text than the file holds. The alias also made fit
// for the file (no "," or line end of its own), whether typed or found by the sweep.
HostEntry TerminatedCopy(const HostEntry& rec) {
  HostEntry copy{};
  CopyTextToField(copy.szMac, FieldText(rec.szMac));
  CopyTextToField(copy.szAlias, FieldText(rec.szAlias));
  CopyTextToField(copy.szAlias, CleanAliasText(copy.szAlias));
  CopyTextToField(copy.szBroadcast, FieldText(rec.szBroadcast));
  return copy;
}

// After the length check, while saving: an address the wake would not read whole is refused
// with its own box, and the fields after it stay unread, so nothing is stored.
void DDV_HardwareAddress(CDataExchange* pDX, const CString& value) {
  if (pDX->Failed() || !pDX->m_bSaveAndValidate) return;
  const std::wstring wide = WideFromCodePage(value.str(), CP_ACP);
  if (editrules::IsWholeHardwareAddress(std::u16string(wide.begin(), wide.end()))) return;
  AfxMessageBox(IDS_HARDWARE_ADDRESS_DIGITS, MB_OK | MB_ICONEXCLAMATION);
  pDX->Fail();
}

HICON LoadMainIcon() {
  CWinApp* app = AfxGetApp();
  if (app != nullptr) return app->LoadIcon(IDR_MAINFRAME);
  return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
}

}  // namespace

CKestrinDlg::CKestrinDlg(CWnd* pParent) : CDialog(IDD, pParent), m_hIcon(LoadMainIcon()) {}

CKestrinDlg::~CKestrinDlg() {
  // OnDestroy has normally stopped the sweep; a worker still running (a window that never got
  // WM_DESTROY) must end before the members it reads go.
  sweep::StopWorkerAndWait(&m_bStopSweep, &m_hSweepThread);
  // The window normally released them at WM_DESTROY; this covers a list that outlives it.
  if (m_listHosts.GetSafeHwnd() != nullptr) ReleaseHostRecords();
}

void CKestrinDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Text(pDX, IDC_EDIT_MAC, m_strMac);
  DDV_MaxChars(pDX, m_strMac, kMaxMacChars);
  DDV_HardwareAddress(pDX, m_strMac);
  DDX_Text(pDX, IDC_EDIT_ALIAS, m_strAlias);
  DDV_MaxChars(pDX, m_strAlias, kMaxAliasChars);
  DDX_Text(pDX, IDC_EDIT_BROADCAST, m_strBroadcast);
  DDV_MaxChars(pDX, m_strBroadcast, kMaxBroadcastChars);
  DDX_Control(pDX, IDC_LIST_HOSTS, m_listHosts);
  DDX_Control(pDX, IDC_PROGRESS_SWEEP, m_progressSweep);
  DDX_Control(pDX, IDC_BUTTON_AUTO, m_btnAutoAcquire);
}

BEGIN_MESSAGE_MAP(CKestrinDlg, CDialog)
  ON_WM_SYSCOMMAND()
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_BN_CLICKED(IDC_BUTTON_ADD, OnBnClickedAdd)
  ON_BN_CLICKED(IDC_BUTTON_WAKE, OnBnClickedWake)
  ON_BN_CLICKED(IDC_BUTTON_DELETE, OnBnClickedDelete)
  ON_NOTIFY(NM_DBLCLK, IDC_LIST_HOSTS, OnNMDblclkHostList)
  ON_NOTIFY(NM_CLICK, IDC_LIST_HOSTS, OnNMClickHostList)
  ON_NOTIFY(LVN_ITEMCHANGED, IDC_LIST_HOSTS, OnLvnItemchangedHostList)
  ON_NOTIFY(LVN_KEYDOWN, IDC_LIST_HOSTS, OnLvnKeydownHostList)
  ON_BN_CLICKED(IDC_BUTTON_ICON, OnBnClickedIcon)
  ON_BN_CLICKED(IDC_BUTTON_AUTO, OnBnClickedAutoAcquire)
  ON_MESSAGE(WM_SWEEP_HOSTS_FOUND, OnSweepHostsFound)
  ON_MESSAGE(WM_SWEEP_FINISHED, OnSweepFinished)
  ON_WM_DESTROY()
END_MESSAGE_MAP()

BOOL CKestrinDlg::OnInitDialog() {
  CDialog::OnInitDialog();

  if (HMENU systemMenu = GetSystemMenu(FALSE)) {
    const std::wstring about = LoadResourceString(IDS_ABOUTBOX);
    if (!about.empty()) {
      ::AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
      ::AppendMenuW(systemMenu, MF_STRING, IDM_ABOUTBOX, about.c_str());
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  const UINT captions[] = {IDS_COLUMN_MAC, IDS_COLUMN_ALIAS, IDS_COLUMN_BROADCAST};
  const int columnWidth = ScaleToDpi(kColumnWidth, GetDpi());
  for (int column = 0; column < 3; ++column) {
    CString caption;
    caption.LoadString(captions[column]);
    m_listHosts.DeleteColumn(column);
    m_listHosts.InsertColumn(column, caption, LVCFMT_LEFT, columnWidth, column);
  }
  // Before the list is read or written: whatever is kept here goes with the folder.
  if (RunsInTemporaryFolder()) AfxMessageBox(IDS_STARTED_FROM_TEMPORARY_FOLDER, MB_OK | MB_ICONEXCLAMATION);
  LoadHostList();
  m_listHosts.EnableFullRowSelect(TRUE);
  SetUpEditInput();
  return TRUE;
}

void CKestrinDlg::SetUpEditInput() {
  FilterEditInput(GetDlgItem(IDC_EDIT_MAC), &editrules::HexDigits, LoadResourceString(IDS_NOT_HEX_TITLE),
                  LoadResourceString(IDS_ONLY_HEX_DIGITS));
  FilterEditInput(GetDlgItem(IDC_EDIT_BROADCAST), &editrules::HalfWidth);
  // A comma would end the alias's field in MacList.txt's line.
  FilterEditInput(GetDlgItem(IDC_EDIT_ALIAS), &editrules::FullWidthComma);
  // The two addresses take ASCII alone: no input method there, so it cannot stay on from the
  // alias. (The context detached is the window's default one, which the system owns.)
  ::ImmAssociateContext(GetDlgItem(IDC_EDIT_MAC), nullptr);
  ::ImmAssociateContext(GetDlgItem(IDC_EDIT_BROADCAST), nullptr);
}

void CKestrinDlg::OnOK() {
  // Enter comes here from wherever the focus is, since the window has no default button. In an
  // edit it does nothing: people confirm a conversion with it, often once more. On the list it
  // wakes the selected hosts, as a double-click does.
  if (::GetFocus() == m_listHosts.GetSafeHwnd()) OnBnClickedWake();
}

void CKestrinDlg::ReleaseHostRecords() {
  const int count = m_listHosts.GetItemCount();
  for (int item = 0; item < count; ++item) {
    HostEntry* record = HostRecordOfRow(m_listHosts, item);
    if (record == nullptr) continue;
    m_listHosts.SetItemData(item, 0);
    DeleteHostRecord(record);
  }
}

void CKestrinDlg::ReportUnsavedChanges(const ListSaveTally& tally) {
  if (tally.notSaved) AfxMessageBox(IDS_CHANGE_NOT_SAVED, MB_OK | MB_ICONEXCLAMATION);
}

int CKestrinDlg::AddOrReplaceHost(const HostEntry* caller, ListSaveTally* tally) {
  return AddOrReplaceHosts({*caller}, tally);
}

int CKestrinDlg::AddOrReplaceHosts(const std::vector<HostEntry>& callers, ListSaveTally* tally) {
  std::vector<HostEntry> hosts;
  hosts.reserve(callers.size());
  for (const HostEntry& caller : callers) hosts.push_back(TerminatedCopy(caller));
  {
    HostRowBatch rows(m_listHosts);
    // Looked up in one pass over the rows, not one per host.
    std::unordered_map<std::string, int> rowOf = rows.FirstRowOfEachAddress();
    for (const HostEntry& rec : hosts) {
      const auto known = rowOf.find(rec.szMac);
      if (known != rowOf.end()) {
        HostEntry* record = rows.RecordOf(known->second);
        rows.SetTexts(known->second, rec.szAlias, rec.szBroadcast);
        std::memcpy(record->szAlias, rec.szAlias, sizeof record->szAlias);
        std::memcpy(record->szBroadcast, rec.szBroadcast, sizeof record->szBroadcast);
        continue;
      }
      HostEntry* record = NewHostRecord(rec);
      const int row = rows.Insert(rows.Count(), record);
      if (row == -1) {
        DeleteHostRecord(record);
      } else {
        rowOf.emplace(rec.szMac, row);
      }
    }
  }
  return StoreHostEntries(hosts, tally);
}

void CKestrinDlg::OnBnClickedAdd() {
  // A failed check (length, then the address's digits) leaves the fields after it unread:
  // nothing is stored then.
  if (!UpdateData(TRUE)) return;
  HostEntry rec{};
  CopyTextToField(rec.szMac, m_strMac.str());
  CopyTextToField(rec.szAlias, m_strAlias.str());
  CopyTextToField(rec.szBroadcast, m_strBroadcast.str());
  ListSaveTally tally;
  AddOrReplaceHost(&rec, &tally);
  ReportUnsavedChanges(tally);
}

void CKestrinDlg::OnBnClickedWake() {
  if (m_listHosts.GetSelectedCount() == 0) {
    AfxMessageBox(IDS_SELECT_ITEMS_TO_WAKE, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  CMagicPacketSender sender;
  for (int item = m_listHosts.GetNextItem(-1, LVNI_SELECTED); item != -1;
       item = m_listHosts.GetNextItem(item, LVNI_SELECTED)) {
    const HostEntry* record = HostRecordOfRow(m_listHosts, item);
    if (record == nullptr) continue;
    // A failure has been shown by the sender; the other hosts are still woken.
    sender.SendMagicPacket(ParseBroadcastText(record->szBroadcast), ParseMacText(record->szMac));
  }
}

void CKestrinDlg::OnNMDblclkHostList(NMHDR*, LRESULT* pResult) {
  // A double-click beside the rows clears the selection: it asked for nothing, so no box.
  if (m_listHosts.GetSelectedCount() != 0) OnBnClickedWake();
  *pResult = 0;
}

void CKestrinDlg::OnBnClickedDelete() {
  if (m_listHosts.GetSelectedCount() == 0) {
    AfxMessageBox(IDS_SELECT_ITEMS_TO_DELETE, MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Only a clear Yes deletes: a box that could not be shown answers 0.
  if (AfxMessageBox(IDS_CONFIRM_DELETE, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  // Every row goes from the list, stored or not: the file in one rewrite, then the rows as one
  // batch; one box at the end if the file kept them.
  ListSaveTally tally;
  {
    HostRowBatch rows(m_listHosts);
    std::vector<int> selected;
    std::vector<HostEntry> removed;
    for (int row = rows.NextSelected(-1); row != -1; row = rows.NextSelected(row)) {
      const HostEntry* record = rows.RecordOf(row);
      if (record == nullptr) continue;
      selected.push_back(row);
      removed.push_back(*record);
    }
    RemoveHostEntries(removed, &tally);
    // From the last: the rows still to go keep their places.
    for (auto row = selected.rbegin(); row != selected.rend(); ++row) rows.DeleteWithRecord(*row);
  }
  ReportUnsavedChanges(tally);
}

void CKestrinDlg::OnNMClickHostList(NMHDR*, LRESULT* pResult) {
  *pResult = 0;
  const int item = m_listHosts.GetNextItem(-1, LVNI_SELECTED);
  if (item != -1) FillEditsFromRow(item);
}

void CKestrinDlg::OnLvnItemchangedHostList(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
  constexpr UINT kFocusedAndSelected = LVIS_FOCUSED | LVIS_SELECTED;
  if (change->iItem < 0 || (change->uChanged & LVIF_STATE) == 0) return;
  if ((change->uNewState & kFocusedAndSelected) != kFocusedAndSelected) return;
  if ((change->uOldState & kFocusedAndSelected) == kFocusedAndSelected) return;  // a text changed, say
  // The user changes rows with the list focused; a change while the focus is elsewhere is the
  // program's own and must not replace what the user is typing.
  if (::GetFocus() != m_listHosts.GetSafeHwnd()) return;
  FillEditsFromRow(change->iItem);
}

void CKestrinDlg::OnLvnKeydownHostList(NMHDR* pNMHDR, LRESULT* pResult) {
  *pResult = 0;
  const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR)->wVKey;
  if (key == VK_DELETE) {
    OnBnClickedDelete();
  } else if (key == 'A' && ::GetKeyState(VK_CONTROL) < 0) {
    m_listHosts.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
  }
}

void CKestrinDlg::FillEditsFromRow(int item) {
  const HostEntry* record = HostRecordOfRow(m_listHosts, item);
  if (record == nullptr) return;
  m_strMac = record->szMac;
  m_strAlias = record->szAlias;
  m_strBroadcast = record->szBroadcast;
  UpdateData(FALSE);
}

void CKestrinDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg about;
    about.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void CKestrinDlg::OnPaint() {
  if (!IsIconic()) {
    CDialog::OnPaint();
    return;
  }
  CPaintDC dc(this);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
  const int cxIcon = ::GetSystemMetrics(SM_CXICON);
  const int cyIcon = ::GetSystemMetrics(SM_CYICON);
  RECT client;
  GetClientRect(&client);
  const int x = (client.right - client.left - cxIcon + 1) / 2;
  const int y = (client.bottom - client.top - cyIcon + 1) / 2;
  dc.DrawIcon(x, y, m_hIcon);
}

HCURSOR CKestrinDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
