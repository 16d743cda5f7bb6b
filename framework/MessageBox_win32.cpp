// The real message box: the program's code page 932 texts shown through the wide functions; boxes by string id.
#include <string>

#include "framework/AfxString.h"
#include "framework/MessageBox.h"
#include "framework/TextConvert.h"

namespace {

// The executable's file name without directory and extension.
std::wstring ExecutableBaseName() {
  wchar_t path[MAX_PATH * 2] = L"";
  constexpr DWORD kCapacity = sizeof path / sizeof path[0];
  const DWORD length = GetModuleFileNameW(nullptr, path, kCapacity);
  std::wstring name(path, length < kCapacity ? length : 0);
  name.erase(0, name.find_last_of(L"\\/") + 1);  // npos + 1: nothing to erase
  const size_t dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos && dot > 0) name.erase(dot);
  return name;
}

}  // namespace

int AfxMessageBox(UINT nIDPrompt, UINT type, UINT helpContext) {
  CString text;
  text.LoadString(nIDPrompt);
  return AfxMessageBox(text, type, helpContext);
}

int ShowPlatformMessageBox(const MessageBoxRequest& request) {
  const std::wstring text = WideFromCodePage(request.text, 932);
  const std::wstring caption = ExecutableBaseName();
  return MessageBoxW(request.owner, text.c_str(), caption.c_str(), request.type);
}
