// The few binary file calls the host list needs, with one backend per platform (_posix / _win32).
// The calls named in detail::Step ask the step hook first (HostFileIo.cpp): tests fail, hold or
// crash them here, at the boundary, and nowhere else.
#pragma once
#include <cstddef>
#include <cstdint>

namespace hostlist::io {

enum class OpenResult {
  kOpened,
  kMissing,  // no such file: the list has never been written
  kFailed,   // it exists but cannot be read (a directory, no permission, locked by another program)
};

// A regular file open for reading, closed by the destructor.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // Opens path for reading; anything but a regular file (a directory, a pipe) is kFailed.
  OpenResult Open(const char* path);
  // Reads up to size bytes. Returns the count, 0 at the end of the file, -1 on a read error.
  long long Read(char* buffer, size_t size);
  void Close();

 private:
  friend class OutputFile;
  long long SystemRead(char* buffer, size_t size);  // the backend's call behind Read, and so on
  intptr_t m_handle = -1;
};

// A newly created file open for writing. The destructor closes it without syncing, which is what
// a process that dies mid-write leaves behind.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Removes whatever file stands at path and creates an empty one there. False when either fails
  // (a directory in the way, an unwritable directory).
  bool Create(const char* path);
  // Gives the file the permission bits of model (POSIX; nothing on Windows). Best effort.
  void CopyPermissionsFrom(const InputFile& model);
  // Writes all size bytes; false on any failure (disk full included).
  bool Write(const char* data, size_t size);
  // Forces the written bytes to the disk.
  bool Sync();
  // Closes the file; false when the system reports a failure on close.
  bool Close();
  bool IsOpen() const { return m_handle != -1; }

 private:
  bool SystemCreate(const char* path);
  bool SystemWrite(const char* data, size_t size);
  bool SystemSync();
  bool SystemClose();
  intptr_t m_handle = -1;
};

enum class MoveResult {
  kMoved,
  kHeld,    // another program has to open for a moment (Windows sharing, access or lock refusals): worth trying again
  kFailed,  // read-only, or refused for good
};

// Puts the file from in the place of to in one step, so that a reader sees the old or the new
// file and never neither. Fails, leaving both as they are, when to is read-only (no write
// permission bit on POSIX, the read-only attribute on Windows) or cannot be replaced.
MoveResult MoveIntoPlace(const char* from, const char* to);
// The backend's call behind MoveIntoPlace, without the hook.
MoveResult SystemMoveIntoPlace(const char* from, const char* to);

// Removes a file; false when it could not be removed (a missing file counts as removed).
bool RemoveFile(const char* path);

// Whether anything stands at path. Asks the directory only: it never opens the file, so it
// cannot stand in the way of another process replacing it.
bool FileExists(const char* path);

// An exclusive lock that every process working on one list takes on a file beside it. The
// system holds it for the open file and drops it when the file is closed or its process dies,
// so a lock file a crash leaves behind is an empty file that blocks nobody; the file is never
// removed. Windows: LockFileEx on byte 0 of a handle that does not share deletion, so the file
// cannot be removed while held. POSIX: flock, which belongs to the open file and so is not
// dropped when some other descriptor of the file is closed.
class LockFile {
 public:
  enum class Result {
    kLocked,
    kBusy,    // another process holds it (or it was replaced under us): worth trying again
    kFailed,  // it cannot be created or locked at all (an unwritable folder, a directory there)
  };

  LockFile() = default;
  ~LockFile();  // releases the lock
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  // Opens path, creating an empty file when there is none, and tries once to lock it.
  Result TryLock(const char* path);
  void Unlock();

 private:
  intptr_t m_handle = -1;
};

}  // namespace hostlist::io
