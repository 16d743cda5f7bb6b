// Desktop shortcuts on Windows: COM's shell link object, the desktop folders and the fallback between them.
#include "shortcut/DesktopShortcut_win32.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>

#include "framework/AfxString.h"
#include "framework/TextConvert.h"
#include "res/resource.h"
#include "shortcut/ShortcutText.h"

namespace shortcut {

namespace {

// Owns one reference to a COM interface and releases it when it goes.
template <class Interface>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (m_pointer) m_pointer->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;

  void** Receive() { return reinterpret_cast<void**>(&m_pointer); }
  Interface* operator->() const { return m_pointer; }

 private:
  Interface* m_pointer = nullptr;
};

// COM on this thread for one scope; uninitialised again only when the initialisation succeeded.
class ComInitialization {
 public:
  ComInitialization() : m_result(CoInitialize(nullptr)) {}
  ~ComInitialization() {
    if (SUCCEEDED(m_result)) CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;

  bool Succeeded() const { return SUCCEEDED(m_result); }

 private:
  HRESULT m_result;
};

class WindowsShortcutSystem : public ShortcutSystem {
 public:
  std::string FolderPath(HWND owner, int csidl) override {
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(owner, folder, csidl, TRUE)) return "";
    return FieldText(folder);
  }

  HRESULT SaveShellLink(const std::string& linkPath, const std::string& targetPath,
                        const std::string& description, const std::string& arguments) override {
    return CreateShellLinkFile(linkPath.c_str(), targetPath.c_str(), description.c_str(),
                               arguments.c_str(), nullptr, nullptr, 0, SW_SHOWNORMAL);
  }
};

}  // namespace

HRESULT CreateShellLinkFile(const char* linkPath, const char* targetPath, const char* description,
                            const char* arguments, const char* workingDirectory,
                            const char* iconPath, int iconIndex, int showCommand) {
  if (linkPath == nullptr) return E_POINTER;
  // Declared link first, so the persist-file interface is released before the link.
  ComRef<IShellLinkA> link;
  HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IShellLinkA, link.Receive());
  if (FAILED(result)) return result;
  ComRef<IPersistFile> file;
  result = link->QueryInterface(IID_IPersistFile, file.Receive());
  if (FAILED(result)) return result;

  // A field the link will not take shows in the saved file; the save's result is what counts.
  link->SetPath(targetPath);
  link->SetDescription(description);
  link->SetArguments(arguments);
  // A new link has no working directory; Wine stores stray bytes when given a null one.
  if (workingDirectory != nullptr) link->SetWorkingDirectory(workingDirectory);
  link->SetIconLocation(iconPath, iconIndex);
  link->SetShowCmd(showCommand);

  const int wideLength = MultiByteToWideChar(CP_ACP, 0, linkPath, -1, nullptr, 0);
  if (wideLength <= 0) return HRESULT_FROM_WIN32(GetLastError());
  std::wstring wideLinkPath(static_cast<size_t>(wideLength), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, &wideLinkPath[0], wideLength) != wideLength) {
    return HRESULT_FROM_WIN32(GetLastError());
  }
  return file->Save(wideLinkPath.c_str(), TRUE);
}

bool ReadShellLinkArguments(const std::string& linkPath, std::string* arguments) {
  const std::wstring wideLinkPath = WideFromCodePage(linkPath, CP_ACP);
  if (wideLinkPath.empty()) return false;
  ComRef<IShellLinkA> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              link.Receive()))) {
    return false;
  }
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.Receive()))) return false;
  if (FAILED(file->Load(wideLinkPath.c_str(), STGM_READ))) return false;
  // Far longer than any arguments this program writes: one cut short is another host's anyway.
  char text[1024] = {};
  if (FAILED(link->GetArguments(text, sizeof text))) return false;
  *arguments = FieldText(text);
  return true;
}

ShortcutSystem& SystemShortcutSystem() {
  static WindowsShortcutSystem system;
  return system;
}

Overridable<ShortcutSystem*>& ShortcutSystemSeam() {
  static Overridable<ShortcutSystem*> system{nullptr};
  return system;
}

std::string ProgramPath() {
  // GetModuleFileNameA cuts a path that does not fit (without a terminator on older systems):
  // grow until the answer is shorter than the buffer, up to the longest path the system has.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD length = GetModuleFileNameA(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return "";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    if (path.size() >= 32768) return "";
    path.resize(path.size() * 2);
  }
}

std::string PlaceDesktopShortcut(const HostEntry& host, HWND owner, std::vector<std::string>* namesTaken) {
  const std::string programPath = ProgramPath();
  if (programPath.empty()) return "";
  CString descriptionSuffix;
  descriptionSuffix.LoadString(IDS_SHORTCUT_DESCRIPTION_SUFFIX);
  const ShortcutTexts texts = ComposeShortcutTexts(host, descriptionSuffix.str());

  const ComInitialization com;
  if (!com.Succeeded()) return "";
  ShortcutSystem* const replaced = ShortcutSystemSeam().Get();
  ShortcutSystem& system = replaced ? *replaced : SystemShortcutSystem();
  // Ordinary users cannot write the shared desktop on current Windows: their own desktop
  // shows the shortcut just the same.
  const std::vector<std::string> noNames;
  for (const int csidl : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY}) {
    const std::string folder = system.FolderPath(owner, csidl);
    const std::string fileName = ChooseFileName(
        texts, namesTaken ? *namesTaken : noNames, [&folder](const std::string& name, std::string* arguments) {
          const std::string existing = ShortcutLinkPath(folder, name);
          return !existing.empty() && ReadShellLinkArguments(existing, arguments);
        });
    const std::string linkPath = ShortcutLinkPath(folder, fileName);
    if (linkPath.empty()) continue;
    const HRESULT saved =
        system.SaveShellLink(linkPath, programPath, texts.description, texts.arguments);
    if (FAILED(saved)) continue;
    if (namesTaken != nullptr) namesTaken->push_back(fileName);
    return linkPath;
  }
  return "";
}

}  // namespace shortcut
