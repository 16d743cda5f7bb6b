// Whether the program or its list is kept in the user's temporary folder, as when started inside a zip that was not extracted.
#pragma once
#include <string>

// Whether path is folder itself or lies below it. Both are absolute Windows paths, compared as
// the file system compares them: without regard to ASCII case (callers fold other letters
// first), with "/" as good as "\", trailing separators ignored, and only whole folder names
// matching ("C:\Temp2" does not lie under "C:\Temp"). Empty paths lie under nothing.
bool PathLiesUnder(std::wstring path, std::wstring folder);

// Whether the system's cleaning of the temporary folder would take something of ours: the
// program's folder (and with it what the desktop shortcuts start) or the current directory
// (and with it MacList.txt) lies under it, as PathLiesUnder compares.
bool KeptInTemporaryFolder(const std::wstring& programFolder, const std::wstring& currentDirectory,
                           const std::wstring& temporaryFolder);

#ifdef _WIN32
// KeptInTemporaryFolder for this program's .exe, the current directory and GetTempPath's folder,
// each in its long form and folded to one case. A folder that cannot be had lies under nothing.
bool RunsInTemporaryFolder();
#endif
