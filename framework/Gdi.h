// Drawing: CDC over a device context handle, CPaintDC for WM_PAINT, and CBrush for solid fills.
#pragma once
#include "framework/Platform.h"

class CWnd;

// A length of pixels at 96 dpi, as the window's layout was drawn, at dpi: the same at 96.
inline int ScaleToDpi(int pixelsAt96, int dpi) { return ::MulDiv(pixelsAt96, dpi, 96); }

// A device context this object does not own: the caller (or a derived class) releases it.
class CDC {
 public:
  CDC() = default;
  explicit CDC(HDC hDC) : m_hDC(hDC) {}
  virtual ~CDC() = default;
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC GetSafeHdc() const { return m_hDC; }

  // Both return the previous colour.
  COLORREF SetTextColor(COLORREF color) { return ::SetTextColor(m_hDC, color); }
  COLORREF SetBkColor(COLORREF color) { return ::SetBkColor(m_hDC, color); }

  // Text in the ANSI code page (host texts); count -1 for a terminated text.
  int DrawText(const char* text, int count, RECT* rect, UINT format) {
    return ::DrawTextA(m_hDC, text, count, rect, format);
  }
  // Width and height of the first count bytes of text in the current font; {0, 0} on failure.
  SIZE GetTextExtent(const char* text, int count) const;

  // The smallest rectangle around the area that may be drawn; returns the region type.
  int GetClipBox(RECT* rect) const { return ::GetClipBox(m_hDC, rect); }
  void FillRect(const RECT* rect, HBRUSH brush) { ::FillRect(m_hDC, rect, brush); }
  void DrawFocusRect(const RECT* rect) { ::DrawFocusRect(m_hDC, rect); }
  BOOL DrawIcon(int x, int y, HICON icon) { return ::DrawIcon(m_hDC, x, y, icon); }

  HDC m_hDC = nullptr;
};

// BeginPaint on construction, EndPaint on destruction: only for a window's WM_PAINT.
class CPaintDC : public CDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;

  PAINTSTRUCT m_ps{};

 private:
  HWND m_hWndPainted;
};

// A solid brush, deleted with the object.
class CBrush {
 public:
  explicit CBrush(COLORREF color) : m_hBrush(::CreateSolidBrush(color)) {}
  ~CBrush() {
    if (m_hBrush) ::DeleteObject(m_hBrush);
  }
  CBrush(const CBrush&) = delete;
  CBrush& operator=(const CBrush&) = delete;

  operator HBRUSH() const { return m_hBrush; }  // NOLINT: passed where the platform wants a brush

  HBRUSH m_hBrush;
};
