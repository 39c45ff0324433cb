// SPDX-License-Identifier: MIT
// The system's file system on POSIX: every operation works relative to the
// folder the resolver found, on the entry name it found there; an
// operation whose own call tells whether the name is there (a creation, a
// status query) asks the resolver only for the other spellings of it.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"
#include "platform/path_resolver-posix.h"
#include "platform/platform.h"
#include "platform/text-posix.h"
#include "platform/trace.h"

namespace platform {
namespace {

int Descriptor(FileHandle handle) { return static_cast<int>(handle); }

// Notes the system's reason for a failure (errno), for the trace; the
// answer to the caller is false all the same.
bool Fail(int error) {
  if (TraceOn()) NoteFailure(SystemErrorText(error));
  return false;
}

// A folder on the way that the resolver could not reach: its reason is
// the last call's, or a missing folder when it made none.
bool FailFolder() { return Fail(errno != 0 ? errno : ENOENT); }

// Creates the entry `resolved` names as a new plain file, opened with
// `access`, only when no entry of the name is there: -1 when it cannot be
// made or the name is taken (errno EEXIST). O_EXCL makes the creation one
// step, on NFS too (version 3 and later): of two processes creating the
// name, one fails. A file made this way is a new plain file, so it needs
// neither the non-blocking open nor the type test.
int CreateExclusive(const ResolvedPath& resolved, int access) {
  int fd;
  do fd = openat(resolved.folder, resolved.name.c_str(), access | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd >= 0) {
    NoteEntryCreated(resolved);
  } else if (errno == EEXIST) {
    NoteNameTaken(resolved);
    errno = EEXIST;
  }
  return fd;
}

// An entry of the name in any letter case counts as taken. The exact name
// is left to the creation itself.
bool CreateNew(const std::string& path, FileHandle& handle) {
  errno = 0;
  ResolvedPath resolved = ResolveFolder(path);
  if (resolved.folder < 0) return FailFolder();
  if (resolved.exists || !FindMatchingName(resolved).empty()) return Fail(EEXIST);
  const int fd = CreateExclusive(resolved, O_WRONLY);
  if (fd < 0) return Fail(errno);
  handle = fd;
  return true;
}

class PosixFileSystem : public FileSystem {
 public:
  bool Open(const std::string& path, OpenMode mode, FileHandle& handle) override {
    if (mode == OpenMode::kCreateNewForWriting) return CreateNew(path, handle);
    errno = 0;
    ResolvedPath resolved = ResolvePath(path);
    if (resolved.folder < 0) return FailFolder();
    if (mode == OpenMode::kExistingForReading && !resolved.exists) return Fail(ENOENT);
    const int access = mode == OpenMode::kExistingForReading  ? O_RDONLY
                       : mode == OpenMode::kOrCreateForUpdate ? O_RDWR
                       : mode == OpenMode::kAppendForWriting  ? O_WRONLY | O_APPEND
                                                              : O_WRONLY;
    // A file missing a moment ago is made in one call; one that another
    // program made meanwhile is opened as any other.
    if (!resolved.exists) {
      const int fd = CreateExclusive(resolved, access);
      if (fd >= 0) {
        handle = fd;
        return true;
      }
      if (errno != EEXIST) return Fail(errno);
    }
    // Opened without blocking, so that a pipe with no writer or a device
    // cannot hold the program up; only a plain file is kept.
    int fd;
    do
      fd = openat(resolved.folder, resolved.name.c_str(),
                  access | (access == O_RDONLY ? 0 : O_CREAT) | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(errno);
    struct stat st = {};
    int status = fcntl(fd, F_GETFL);
    // A file that is empty already is not truncated: on ext4 a truncation
    // to nothing makes the close write the file's data out at once, which
    // costs a new document most of the time its close takes.
    bool plain = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (!plain || status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0 ||
        (mode == OpenMode::kCreateOrEmptyForWriting && st.st_size != 0 && ftruncate(fd, 0) != 0)) {
      int error = plain ? errno : S_ISDIR(st.st_mode) ? EISDIR : ENXIO;
      close(fd);
      return Fail(error);
    }
    handle = fd;
    return true;
  }

  size_t Read(FileHandle handle, char* buffer, size_t size) override {
    ssize_t n;
    do n = read(Descriptor(handle), buffer, size);
    while (n < 0 && errno == EINTR);
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

  bool Write(FileHandle handle, const char* data, size_t size) override {
    while (size > 0) {
      ssize_t n = write(Descriptor(handle), data, size);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return Fail(n < 0 ? errno : ENOSPC);
      data += n;
      size -= static_cast<size_t>(n);
    }
    return true;
  }

  bool Seek(FileHandle handle, int64_t offset) override {
    return lseek(Descriptor(handle), static_cast<off_t>(offset), SEEK_SET) == offset;
  }

  int64_t Size(FileHandle handle) override {
    struct stat st;
    return fstat(Descriptor(handle), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
  }

  void Close(FileHandle handle) override { close(Descriptor(handle)); }

  bool Remove(const std::string& path) override {
    ResolvedPath resolved = ResolvePath(path);
    if (resolved.folder < 0 || !resolved.exists || unlinkat(resolved.folder, resolved.name.c_str(), 0) != 0)
      return false;
    NoteEntryRemoved(resolved);
    return true;
  }

  bool MakeDirectory(const std::string& path) override {
    // A folder held open that the path still leads to is there: making it
    // again could only fail.
    if (IsKnownFolder(path)) return Fail(EEXIST);
    errno = 0;
    ResolvedPath resolved = ResolveFolder(path);
    if (resolved.folder < 0) return FailFolder();
    if (resolved.exists || !FindMatchingName(resolved).empty()) return Fail(EEXIST);
    if (mkdirat(resolved.folder, resolved.name.c_str(), 0777) != 0) {
      const int error = errno;
      if (error == EEXIST) NoteNameTaken(resolved);
      return Fail(error);
    }
    NoteEntryCreated(resolved);
    NoteFolderCreated(resolved);
    return true;
  }

  bool SameFile(FileHandle handle, const std::string& path) override {
    struct stat open;
    struct stat named;
    ResolvedPath resolved = ResolvePath(path);
    return resolved.folder >= 0 && resolved.exists && fstat(Descriptor(handle), &open) == 0 &&
           fstatat(resolved.folder, resolved.name.c_str(), &named, 0) == 0 && open.st_dev == named.st_dev &&
           open.st_ino == named.st_ino;
  }

  std::string EntryPath(const std::string& path) override {
    ResolvedPath resolved = ResolvePath(path);
    return resolved.folder >= 0 && resolved.exists ? CodePageFromUtf8(resolved.systemPath) : std::string();
  }

  bool FindEntryAttributes(const std::string& path, unsigned* attributes) override {
    ResolvedPath resolved = ResolveFolder(path);
    if (resolved.folder < 0) return false;
    // The name as written first; another spelling only when it is not there.
    std::string name = resolved.name;
    struct stat st;
    if (fstatat(resolved.folder, name.c_str(), &st, 0) != 0) {
      if (errno != ENOENT) return false;
      name = FindMatchingName(resolved);
      // The name itself is there only as a link that leads nowhere.
      if (name.empty() || name == resolved.name || fstatat(resolved.folder, name.c_str(), &st, 0) != 0) return false;
    }
    unsigned a = 0;
    if (S_ISDIR(st.st_mode))
      a |= kDirectory;
    else if (S_ISREG(st.st_mode))
      a |= kArchive;
    else
      a |= kSystem;
    if (!(st.st_mode & S_IWUSR)) a |= kReadOnly;
    // A name that begins with a full stop is hidden on POSIX systems.
    if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kHidden;
    *attributes = a;
    return true;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem system;
  return system;
}

}  // namespace platform
