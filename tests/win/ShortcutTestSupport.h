// Test support for shortcuts: scratch folders standing in for the desktops, and a reader of shell links.
#pragma once
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "framework/TextConvert.h"
#include "shortcut/DesktopShortcut_win32.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestHost.h"

namespace shortcut_test {

// COM for the test's own scope.
class ComForTest {
 public:
  ComForTest() { CoInitialize(nullptr); }
  ~ComForTest() { CoUninitialize(); }
  ComForTest(const ComForTest&) = delete;
  ComForTest& operator=(const ComForTest&) = delete;
};

// The names of the files in folder (ANSI code page), sorted.
inline std::vector<std::string> FileNames(const ScratchFolder& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder.Path() + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// A shell link's fields as IShellLinkA reads them back from its file.
struct LinkFields {
  std::string target, arguments, description;
  int showCommand = -1;
};

inline LinkFields ReadLink(const std::string& linkPath) {
  LinkFields fields;
  ComForTest com;
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return fields;
  }
  IPersistFile* file = nullptr;
  const std::wstring wide = WideFromCodePage(linkPath, CP_ACP);
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide.c_str(), STGM_READ))) {
    char text[3][1024] = {};
    link->GetPath(text[0], sizeof text[0], nullptr, SLGP_RAWPATH);
    link->GetArguments(text[1], sizeof text[1]);
    link->GetDescription(text[2], sizeof text[2]);
    link->GetShowCmd(&fields.showCommand);
    fields.target = text[0];
    fields.arguments = text[1];
    fields.description = text[2];
  }
  if (file != nullptr) file->Release();
  link->Release();
  return fields;
}

// The desktops as the test sets them: folders by CSIDL ("" = cannot be had), folders whose saves
// fail, and every save asked for; the saves that go ahead are real shell links.
class FakeShortcutSystem : public shortcut::ShortcutSystem {
 public:
  std::string FolderPath(HWND, int csidl) override {
    const auto found = folders.find(csidl);
    return found == folders.end() ? "" : found->second;
  }

  HRESULT SaveShellLink(const std::string& linkPath, const std::string& targetPath,
                        const std::string& description, const std::string& arguments) override {
    saveAttempts.push_back(linkPath);
    for (const std::string& folder : failingSaves) {
      if (linkPath.compare(0, folder.size() + 1, folder + "\\") == 0) return E_ACCESSDENIED;
    }
    return shortcut::CreateShellLinkFile(linkPath.c_str(), targetPath.c_str(), description.c_str(),
                                         arguments.c_str(), nullptr, nullptr, 0, SW_SHOWNORMAL);
  }

  std::map<int, std::string> folders;
  std::vector<std::string> failingSaves;
  std::vector<std::string> saveAttempts;
};

// A scratch shared desktop and a scratch own desktop, in place for the test's scope.
struct FakeDesktops {
  FakeDesktops() {
    system.folders[CSIDL_COMMON_DESKTOPDIRECTORY] = shared.Path();
    system.folders[CSIDL_DESKTOPDIRECTORY] = own.Path();
  }
  ScratchFolder shared{"shared"};
  ScratchFolder own{"own"};
  FakeShortcutSystem system;
  ScopedOverride<shortcut::ShortcutSystem*> scope{shortcut::ShortcutSystemSeam(), &system};
};

inline std::string RunningProgramPath() {
  char path[MAX_PATH * 4] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  return path;
}

}  // namespace shortcut_test
