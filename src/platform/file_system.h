// SPDX-License-Identifier: MIT
// The file systems behind the platform's file operations: the system's own
// (files-posix.cc, files-win32.cc) and one held in memory for tests and
// fuzzing (memory/files-memory.h). Whichever is in use, files are known to the
// program by the numbers of one shared open-file table (files.cc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

/// How a file system names one of its open files: a descriptor, a handle
/// or a slot. The open-file table keeps it next to the file number.
using FileHandle = intptr_t;

/// The ways the program opens a file. Every one shares the file for
/// reading and writing with other processes, and opens plain files only:
/// a directory, a device or a pipe is refused rather than waited on.
enum class OpenMode {
  kExistingForReading,       // the file must exist
  kOrCreateForUpdate,        // reading and writing; created when missing
  kCreateOrEmptyForWriting,  // writing; created when missing, emptied when not
  kCreateNewForWriting,      // writing; created only when no entry of the name exists, in one
                             // atomic step, so that no other run's file is ever emptied
  kAppendForWriting,         // writing at the end, however many others append; created when missing
};

/// Paths are the program's byte strings in the DOS code page, with the
/// backslash as separator. Every operation absorbs its errors: it answers
/// false, 0 or -1 and changes nothing it did not manage to change.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// Opens `path`; true with `handle` set on success.
  virtual bool Open(const std::string& path, OpenMode mode, FileHandle& handle) = 0;
  /// Up to `size` bytes from the file's position; 0 at the end or on failure.
  virtual size_t Read(FileHandle handle, char* buffer, size_t size) = 0;
  /// All `size` bytes at the file's position; false when not all were written.
  virtual bool Write(FileHandle handle, const char* data, size_t size) = 0;
  /// Moves the position to `offset` bytes from the start (past the end too).
  virtual bool Seek(FileHandle handle, int64_t offset) = 0;
  /// The file's size in bytes, or -1.
  virtual int64_t Size(FileHandle handle) = 0;
  /// Closes a handle this file system gave out.
  virtual void Close(FileHandle handle) = 0;

  /// Deletes a file.
  virtual bool Remove(const std::string& path) = 0;
  /// Creates one directory level; false when it exists or cannot be made.
  virtual bool MakeDirectory(const std::string& path) = 0;
  /// The attributes (platform::Attribute bits) of the entry `path` names.
  /// The name is never a pattern: "?" and "*" match only themselves.
  virtual bool FindEntryAttributes(const std::string& path, unsigned* attributes) = 0;
  /// True when `path` names the file open as `handle` (the same file under
  /// another name or letter case too); false when it names none or another.
  virtual bool SameFile(FileHandle handle, const std::string& path) = 0;
  /// The full path of the entry `path` finds, in its own letter case, as
  /// the system names it; empty when there is none.
  virtual std::string EntryPath(const std::string& path) = 0;
};

/// The operating system's file system.
FileSystem& SystemFileSystem();

/// Makes `fileSystem` the one that later opens, removals, directory
/// creations and look-ups go to, and returns the one used until now (the
/// system's at start). Files already open stay with the file system that
/// opened them and keep their numbers.
FileSystem& UseFileSystem(FileSystem& fileSystem);

/// Closes every file `fileSystem` opened and, when it is in use, goes back
/// to the system's. A file system that goes away calls this first.
void ForgetFileSystem(FileSystem& fileSystem);

/// Opens `path` on the file system in use, under the rules of every path,
/// for the platform's own use (the trace): the file takes no number, and
/// CloseAllFiles leaves it open. Null on failure, else the file system that
/// owns `handle`, to which every later call on it goes.
FileSystem* OpenUnnumbered(const std::string& path, OpenMode mode, FileHandle& handle);

/// Puts a file system in use for as long as the object lives, then the
/// one used before it again.
class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(FileSystem& fileSystem) : previous_(UseFileSystem(fileSystem)) {}
  ~ScopedFileSystem() { UseFileSystem(previous_); }
  ScopedFileSystem(const ScopedFileSystem&) = delete;
  ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

 private:
  FileSystem& previous_;
};

}  // namespace platform
