// SPDX-License-Identifier: MIT
// The system's file system on POSIX: every operation works relative to the
// folder the resolver found, on the entry name it found there.
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

// O_EXCL makes the creation one step, on NFS too (version 3 and later): of
// two processes creating the name, one fails. An entry of the name in any
// letter case counts as taken. A file made this way is a new plain file,
// so it needs neither the non-blocking open nor the type test.
bool CreateNew(const ResolvedPath& resolved, FileHandle& handle) {
  if (resolved.exists) return Fail(EEXIST);
  int fd;
  do fd = openat(resolved.folder, resolved.name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail(errno);
  NoteEntryCreated(resolved);
  handle = fd;
  return true;
}

class PosixFileSystem : public FileSystem {
 public:
  bool Open(const std::string& path, OpenMode mode, FileHandle& handle) override {
    errno = 0;
    ResolvedPath resolved = ResolvePath(path);
    if (resolved.folder < 0) return FailFolder();
    if (mode == OpenMode::kCreateNewForWriting) return CreateNew(resolved, handle);
    int flags = mode == OpenMode::kExistingForReading  ? O_RDONLY
                : mode == OpenMode::kOrCreateForUpdate ? O_RDWR | O_CREAT
                : mode == OpenMode::kAppendForWriting  ? O_WRONLY | O_APPEND | O_CREAT
                                                       : O_WRONLY | O_CREAT;
    // Opened without blocking, so that a pipe with no writer or a device
    // cannot hold the program up; only a plain file is kept.
    int fd;
    do fd = openat(resolved.folder, resolved.name.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) return Fail(errno);
    if (!resolved.exists) NoteEntryCreated(resolved);
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
    errno = 0;
    ResolvedPath resolved = ResolvePath(path);
    if (resolved.folder < 0) return FailFolder();
    if (resolved.exists) return Fail(EEXIST);
    if (mkdirat(resolved.folder, resolved.name.c_str(), 0777) != 0) return Fail(errno);
    NoteEntryCreated(resolved);
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
    ResolvedPath resolved = ResolvePath(path);
    struct stat st;
    if (resolved.folder < 0 || fstatat(resolved.folder, resolved.name.c_str(), &st, 0) != 0) return false;
    unsigned a = 0;
    if (S_ISDIR(st.st_mode))
      a |= kDirectory;
    else if (S_ISREG(st.st_mode))
      a |= kArchive;
    else
      a |= kSystem;
    if (!(st.st_mode & S_IWUSR)) a |= kReadOnly;
    // A name that begins with a full stop is hidden on POSIX systems.
    const std::string& name = resolved.name;
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
