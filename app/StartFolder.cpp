// The comparison behind the warning for a program started from the temporary folder.
#include "app/StartFolder.h"

#include <algorithm>

namespace {

std::wstring Normalised(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  for (wchar_t& c : path) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  while (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

}  // namespace

bool PathLiesUnder(std::wstring path, std::wstring folder) {
  path = Normalised(std::move(path));
  folder = Normalised(std::move(folder));
  if (path.empty() || folder.empty() || path.size() < folder.size()) return false;
  if (path.compare(0, folder.size(), folder) != 0) return false;
  return path.size() == folder.size() || path[folder.size()] == L'\\';
}

bool KeptInTemporaryFolder(const std::wstring& programFolder, const std::wstring& currentDirectory,
                           const std::wstring& temporaryFolder) {
  return PathLiesUnder(programFolder, temporaryFolder) || PathLiesUnder(currentDirectory, temporaryFolder);
}
