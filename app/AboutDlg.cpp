// CAboutDlg: no handlers of its own; OK and the close box end it through CDialog.
#include "app/AboutDlg.h"

BEGIN_MESSAGE_MAP(CAboutDlg, CDialog)
END_MESSAGE_MAP()
