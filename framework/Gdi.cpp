// The drawing wrappers' out-of-line parts: text measurement and the paint context.
#include "framework/Gdi.h"

#include "framework/Wnd.h"

SIZE CDC::GetTextExtent(const char* text, int count) const {
  SIZE size{0, 0};
  return ::GetTextExtentPoint32A(m_hDC, text, count, &size) ? size : SIZE{0, 0};
}

CPaintDC::CPaintDC(CWnd* pWnd) : m_hWndPainted(pWnd->GetSafeHwnd()) {
  m_hDC = ::BeginPaint(m_hWndPainted, &m_ps);
}

CPaintDC::~CPaintDC() { ::EndPaint(m_hWndPainted, &m_ps); }
