// Desktop shortcuts on Windows: the shell link file, and the placing of one host's shortcut.
#pragma once
#ifdef _WIN32
#include <string>
#include <vector>

#include "core/HostEntry.h"
#include "framework/Platform.h"
#include "framework/ScopedOverride.h"

namespace shortcut {

// Creates a shell link (IShellLinkA) with these fields and saves it (IPersistFile) as the file at
// linkPath, replacing a file of that name. workingDirectory and iconPath may be null (none). COM must be
// initialised on the calling thread. Returns the HRESULT of the step that ended it: the link's
// creation, the query for IPersistFile, the conversion of linkPath, or Save (S_OK when saved).
HRESULT CreateShellLinkFile(const char* linkPath, const char* targetPath, const char* description,
                            const char* arguments, const char* workingDirectory,
                            const char* iconPath, int iconIndex, int showCommand);

// The arguments of the shell link saved in the file at linkPath; false when there is no such file
// or it cannot be read as a shell link. COM must be initialised on the calling thread.
bool ReadShellLinkArguments(const std::string& linkPath, std::string* arguments);

// What placing a shortcut asks of the system; tests put their own in place of it.
class ShortcutSystem {
 public:
  virtual ~ShortcutSystem() = default;
  // The path of the special folder csidl (CSIDL_COMMON_DESKTOPDIRECTORY or
  // CSIDL_DESKTOPDIRECTORY), created when missing; "" when it cannot be had.
  virtual std::string FolderPath(HWND owner, int csidl) = 0;
  // Saves a shortcut at linkPath with target, description and arguments, no working directory,
  // no icon and the normal show command; COM is initialised. Returns the HRESULT of the save.
  virtual HRESULT SaveShellLink(const std::string& linkPath, const std::string& targetPath,
                                const std::string& description, const std::string& arguments) = 0;
};

// The system's own: SHGetSpecialFolderPathA and CreateShellLinkFile.
ShortcutSystem& SystemShortcutSystem();

// The system placing a shortcut uses: the system's own while this holds null; tests put theirs
// in with a ScopedOverride.
Overridable<ShortcutSystem*>& ShortcutSystemSeam();

// Full path of the running program's file, however long; "" when it cannot be had.
std::string ProgramPath();

// Places host's shortcut, which starts this program with "-e <mac> -m <broadcast>", in the
// desktop folder shared by all users; when that folder cannot be had, the path there would be
// too long, or the save there fails, on the user's own desktop instead. Its name is the one
// ChooseFileName gives, over namesTaken (the names of the shortcuts made before it for the same
// selection; null: none) and the shortcut of that name in the folder, read by
// ReadShellLinkArguments; the name made is added to namesTaken. COM is initialised around this
// one shortcut; owner owns any window the folder lookup shows. Reports nothing to the user.
// Returns the path of the file made, or "" when no shortcut was made.
std::string PlaceDesktopShortcut(const HostEntry& host, HWND owner, std::vector<std::string>* namesTaken = nullptr);

}  // namespace shortcut
#endif
