// Loading Windows' own DLLs at run time from system32, never from the program's folder.
#pragma once
#include "framework/Platform.h"

// Narrows where the whole process looks for DLLs to system32: every later load, and every DLL such
// a load pulls in, comes from there, never from the program's folder (often the Downloads
// folder, holding whatever else was downloaded). Call first, before any window or library.
// Where Windows lacks SetDefaultDllDirectories (Windows 7 without KB2533623) only the current
// folder leaves the search; LoadSystemLibrary then loads by full path.
void NarrowLibrarySearch();

// The system DLL name (L"iphlpapi.dll") from system32; nullptr when it cannot be loaded. The
// module stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const wchar_t* name);

// The export name of module as a pointer of type Function; nullptr when either is missing. A
// wrapper keeps it in a static of its own, so each function is looked up once, at its first call.
template <typename Function>
Function SystemFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}
