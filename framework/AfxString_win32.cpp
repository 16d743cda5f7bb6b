// Reading the program's texts from its string table, wide as stored or narrow for CString.
#include "framework/AfxString.h"

#include "framework/TextConvert.h"
#include "framework/WinApp.h"

std::wstring LoadResourceString(UINT id) {
  // Length 0 asks for a pointer to the text inside the loaded module: no buffer to size or cut.
  const wchar_t* text = nullptr;
  const int length = ::LoadStringW(AfxGetResourceHandle(), id, reinterpret_cast<wchar_t*>(&text), 0);
  return (length > 0 && text != nullptr) ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

BOOL CString::LoadString(UINT nID) {
  m_text = CodePageFromWide(LoadResourceString(nID), CP_ACP);
  return m_text.empty() ? FALSE : TRUE;
}
