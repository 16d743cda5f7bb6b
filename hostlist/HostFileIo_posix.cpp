// The host list's file calls over POSIX descriptors: fsync and rename for the atomic replace, flock for the lock.
#include "hostlist/HostFileIo.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace hostlist::io {
namespace {

int Fd(intptr_t handle) { return static_cast<int>(handle); }

// The directory part of path ("." for a bare name), so the rename itself can be made durable.
std::string DirectoryOf(const char* path) {
  const std::string text(path);
  const size_t slash = text.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return text.substr(0, slash);
}

// Windows refuses to replace a read-only file; the same rule here keeps the two builds alike.
// rename() itself ignores the file's own mode, and root passes access(), so look at the bits too.
bool IsReadOnly(const char* path) {
  struct stat status;
  if (stat(path, &status) != 0) return false;  // nothing there to protect
  if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return true;
  return access(path, W_OK) != 0;
}

}  // namespace

InputFile::~InputFile() { Close(); }

OpenResult InputFile::Open(const char* path) {
  Close();
  // O_NONBLOCK: a FIFO in the list's place must not hang the window; it is refused below.
  const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT ? OpenResult::kMissing : OpenResult::kFailed;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return OpenResult::kFailed;
  }
  m_handle = fd;
  return OpenResult::kOpened;
}

long long InputFile::SystemRead(char* buffer, size_t size) {
  for (;;) {
    const ssize_t count = read(Fd(m_handle), buffer, size);
    if (count >= 0) return count;
    if (errno != EINTR) return -1;
  }
}

void InputFile::Close() {
  if (m_handle != -1) close(Fd(m_handle));
  m_handle = -1;
}

OutputFile::~OutputFile() {
  if (m_handle != -1) close(Fd(m_handle));
}

bool OutputFile::SystemCreate(const char* path) {
  // A leftover of an interrupted rewrite, or a link someone put there: never write through it.
  if (unlink(path) != 0 && errno != ENOENT) return false;
  const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  m_handle = fd;
  return true;
}

void OutputFile::CopyPermissionsFrom(const InputFile& model) {
  struct stat status;
  if (model.m_handle == -1 || fstat(Fd(model.m_handle), &status) != 0) return;
  (void)fchmod(Fd(m_handle), status.st_mode & 0777);
}

bool OutputFile::SystemWrite(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(Fd(m_handle), data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

bool OutputFile::SystemSync() { return fsync(Fd(m_handle)) == 0; }

bool OutputFile::SystemClose() {
  const int fd = Fd(m_handle);
  m_handle = -1;
  return close(fd) == 0;
}

MoveResult SystemMoveIntoPlace(const char* from, const char* to) {
  // An open file never stands in the way of a rename here: nothing is worth trying again.
  if (IsReadOnly(to)) return MoveResult::kFailed;
  if (rename(from, to) != 0) return MoveResult::kFailed;
  // The new name is only durable once its directory is; the list is in place either way.
  const int dir = open(DirectoryOf(to).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    (void)fsync(dir);
    close(dir);
  }
  return MoveResult::kMoved;
}

bool RemoveFile(const char* path) { return unlink(path) == 0 || errno == ENOENT; }

bool FileExists(const char* path) {
  struct stat status;
  return lstat(path, &status) == 0;
}

LockFile::~LockFile() { Unlock(); }

LockFile::Result LockFile::TryLock(const char* path) {
  Unlock();
  // O_NOFOLLOW: a link put in its place must not make us create a file somewhere else.
  const int fd = open(path, O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
  if (fd < 0) return Result::kFailed;
  struct stat held;
  if (fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
    close(fd);
    return Result::kFailed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    close(fd);
    return error == EWOULDBLOCK || error == EINTR ? Result::kBusy : Result::kFailed;
  }
  // Removed or replaced between our open and our lock: the next process opens another file, so
  // this one locks nobody out.
  struct stat named;
  if (stat(path, &named) != 0 || named.st_dev != held.st_dev || named.st_ino != held.st_ino) {
    close(fd);
    return Result::kBusy;
  }
  m_handle = fd;
  return Result::kLocked;
}

void LockFile::Unlock() {
  // Closing the only descriptor of this open file drops its flock.
  if (m_handle != -1) close(Fd(m_handle));
  m_handle = -1;
}

}  // namespace hostlist::io
