// Where this program and its list are against the user's temporary folder, in the forms PathLiesUnder compares.
#include "app/StartFolder.h"

#include "framework/Platform.h"

namespace {

// The long form of an existing path, folded to upper case as the file system folds names;
// empty when the system cannot give it.
std::wstring Comparable(const std::wstring& path) {
  if (path.empty()) return path;
  const DWORD needed = ::GetLongPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::wstring();
  std::wstring longPath(needed, L'\0');
  const DWORD length = ::GetLongPathNameW(path.c_str(), &longPath[0], needed);
  if (length == 0 || length >= needed) return std::wstring();
  longPath.resize(length);
  ::CharUpperBuffW(&longPath[0], length);
  return longPath;
}

}  // namespace

bool RunsInTemporaryFolder() {
  std::wstring program(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, &program[0], static_cast<DWORD>(program.size()));
    if (length == 0 || length < program.size()) {
      program.resize(length);
      break;
    }
    program.resize(program.size() * 2);  // cut short: the path is longer than the buffer
  }
  program.resize(program.find_last_of(L'\\') == std::wstring::npos ? 0 : program.find_last_of(L'\\'));

  wchar_t temp[MAX_PATH + 1] = L"";
  const DWORD tempLength = ::GetTempPathW(MAX_PATH + 1, temp);
  if (tempLength == 0 || tempLength > MAX_PATH) return false;

  std::wstring current(MAX_PATH, L'\0');
  DWORD currentLength = ::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
  if (currentLength >= current.size()) {  // the size needed, terminator included
    current.resize(currentLength);
    currentLength = ::GetCurrentDirectoryW(static_cast<DWORD>(current.size()), &current[0]);
  }
  current.resize(currentLength < current.size() ? currentLength : 0);
  return KeptInTemporaryFolder(Comparable(program), Comparable(current), Comparable(temp));
}
