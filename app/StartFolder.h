// Whether the program runs from the user's temporary folder, as it does when started inside a zip that was not extracted.
#pragma once
#include <string>

// Whether path is folder itself or lies below it. Both are absolute Windows paths, compared as
// the file system compares them: without regard to ASCII case (callers fold other letters
// first), with "/" as good as "\", trailing separators ignored, and only whole folder names
// matching ("C:\Temp2" does not lie under "C:\Temp"). Empty paths lie under nothing.
bool PathLiesUnder(std::wstring path, std::wstring folder);

#ifdef _WIN32
// Whether the folder of this program's .exe lies under GetTempPath's folder, both in their long
// forms and folded to one case. False when either cannot be had.
bool ProgramRunsFromTemporaryFolder();
#endif
