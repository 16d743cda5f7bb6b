// The host list's file calls over Win32 handles: FlushFileBuffers and MoveFileEx for the atomic replace, LockFileEx for the lock.
#include "hostlist/HostFileIo.h"

#include "framework/Platform.h"

namespace hostlist::io {
namespace {

// The sentinel -1 is INVALID_HANDLE_VALUE, so a closed file holds it too.
HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }
intptr_t Stored(HANDLE handle) { return reinterpret_cast<intptr_t>(handle); }

// One ReadFile/WriteFile call moves at most this much; a DWORD count cannot say more anyway.
constexpr size_t kMaxTransfer = 1u << 30;

}  // namespace

InputFile::~InputFile() { Close(); }

OpenResult InputFile::Open(const char* path) {
  Close();
  // Sharing everything keeps an editor or a virus scanner that has the file open from locking us out.
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? OpenResult::kMissing
                                                                          : OpenResult::kFailed;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return OpenResult::kFailed;
  }
  m_handle = Stored(file);
  return OpenResult::kOpened;
}

long long InputFile::SystemRead(char* buffer, size_t size) {
  DWORD count = 0;
  const DWORD wanted = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
  if (!::ReadFile(Handle(m_handle), buffer, wanted, &count, nullptr)) return -1;
  return count;
}

void InputFile::Close() {
  if (m_handle != -1) CloseHandle(Handle(m_handle));
  m_handle = -1;
}

OutputFile::~OutputFile() {
  if (m_handle != -1) CloseHandle(Handle(m_handle));
}

bool OutputFile::SystemCreate(const char* path) {
  // A leftover of an interrupted rewrite goes first; a read-only one stays and makes CREATE_NEW fail.
  if (!DeleteFileA(path)) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return false;
  }
  const HANDLE file =
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  m_handle = Stored(file);
  return true;
}

void OutputFile::CopyPermissionsFrom(const InputFile&) {}

bool OutputFile::SystemWrite(const char* data, size_t size) {
  while (size > 0) {
    const DWORD wanted = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
    DWORD written = 0;
    if (!::WriteFile(Handle(m_handle), data, wanted, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool OutputFile::SystemSync() { return FlushFileBuffers(Handle(m_handle)) != FALSE; }

bool OutputFile::SystemClose() {
  const HANDLE file = Handle(m_handle);
  m_handle = -1;
  return CloseHandle(file) != FALSE;
}

MoveResult SystemMoveIntoPlace(const char* from, const char* to) {
  // Windows refuses to replace a read-only target by itself; asking first gives the same answer
  // where the system does not (Wine replaces it), and keeps that refusal from passing for a hold.
  const DWORD attributes = GetFileAttributesA(to);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return MoveResult::kFailed;
  // WRITE_THROUGH: returns only once the rename is on the disk.
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return MoveResult::kMoved;
  // What a scanner, a sync client or an editor opening the list without delete sharing, or a
  // delete still pending, makes the replace meet.
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_ACCESS_DENIED:
    case ERROR_LOCK_VIOLATION:
      return MoveResult::kHeld;
    default:
      return MoveResult::kFailed;
  }
}

bool RemoveFile(const char* path) {
  return DeleteFileA(path) != FALSE || GetLastError() == ERROR_FILE_NOT_FOUND;
}

bool FileExists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

LockFile::~LockFile() { Unlock(); }

LockFile::Result LockFile::TryLock(const char* path) {
  Unlock();
  // Reading is all LockFileEx needs, so a read-only lock file works too. No FILE_SHARE_DELETE:
  // while a process holds it, nobody can remove it and start a second lock beside it. Hidden
  // when we create it: it is nothing a user needs to see beside the list.
  const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    // Held open by some other program that shares nothing: that passes.
    return GetLastError() == ERROR_SHARING_VIOLATION ? Result::kBusy : Result::kFailed;
  }
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return Result::kFailed;
  }
  OVERLAPPED firstByte{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &firstByte)) {
    const DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING ? Result::kBusy : Result::kFailed;
  }
  m_handle = Stored(file);
  return Result::kLocked;
}

void LockFile::Unlock() {
  if (m_handle == -1) return;
  // Unlocked before the close: the system may take its time over locks a close leaves.
  OVERLAPPED firstByte{};
  UnlockFileEx(Handle(m_handle), 0, 1, 0, &firstByte);
  CloseHandle(Handle(m_handle));
  m_handle = -1;
}

}  // namespace hostlist::io
