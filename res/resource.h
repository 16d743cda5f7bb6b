// Identifiers of the program's resources and of the controls in its dialog templates.
#pragma once

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_KESTRIN_DIALOG 102
#define IDM_ABOUTBOX 0x0010

// The texts of the program's boxes, balloon, list columns and shortcuts (string table).
#define IDS_COLUMN_MAC 201
#define IDS_COLUMN_ALIAS 202
#define IDS_COLUMN_BROADCAST 203
#define IDS_SELECT_ITEMS_TO_DELETE 204
#define IDS_CONFIRM_DELETE 205
#define IDS_CHANGE_NOT_SAVED 206
#define IDS_STARTED_FROM_TEMPORARY_FOLDER 207
#define IDS_NOT_HEX_TITLE 208
#define IDS_ONLY_HEX_DIGITS 209
#define IDS_SHORTCUT_DESCRIPTION_SUFFIX 210

#define IDC_LIST_HOSTS 1001
#define IDC_EDIT_MAC 1002
#define IDC_EDIT_ALIAS 1003
#define IDC_BUTTON_ADD 1004
#define IDC_BUTTON_WAKE 1005
#define IDC_BUTTON_DELETE 1006
#define IDC_EDIT_BROADCAST 1007
#define IDC_BUTTON_ICON 1008
#define IDC_PROGRESS_SWEEP 1009
#define IDC_BUTTON_AUTO 1010
