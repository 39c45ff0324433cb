// SPDX-License-Identifier: MIT
// A file system held in memory, for tests and fuzzing: the program's file
// operations run on it unchanged once it is in use (UseFileSystem, or
// ScopedFileSystem for one test). It behaves as a Windows file system
// does for this program: names compared without regard to letter case,
// trailing blanks and full stops dropped from names, "?" and "*" and the
// other characters such names cannot hold refused, open files not
// removable, read-only files not writable. Failures can be asked for: a
// full disk, a folder where nothing may be created, a read-only file.
// Everything is deterministic and every operation costs time in
// proportion to the length of its path.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform.h"

namespace platform {

/// Paths are absolute or relative to the root, which stands for the
/// current directory: "C:\A", "\A" and "A" name three different
/// entries, the first on the always-present drive C:. Both "\" and "/"
/// separate levels; "." is dropped and ".." goes up one level.
class MemoryFileSystem : public FileSystem {
 public:
  MemoryFileSystem();
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  bool Open(const std::string& path, OpenMode mode, FileHandle& handle) override;
  size_t Read(FileHandle handle, char* buffer, size_t size) override;
  bool Write(FileHandle handle, const char* data, size_t size) override;
  bool Seek(FileHandle handle, int64_t offset) override;
  int64_t Size(FileHandle handle) override;
  void Close(FileHandle handle) override;
  bool Remove(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool FindEntryAttributes(const std::string& path, unsigned* attributes) override;
  bool SameFile(FileHandle handle, const std::string& path) override;
  /// The path as written when it names an entry.
  std::string EntryPath(const std::string& path) override;

  /// Creates the directory and every missing level above it. False for a
  /// path no directory can have (a file in the way, a name it cannot hold).
  bool AddDirectory(const std::string& path);

  /// Creates or replaces a file with `bytes` and the attribute bits, and
  /// the directories above it. Capacity and refusals do not apply.
  bool AddFile(const std::string& path, const std::string& bytes, unsigned attributes = kArchive);

  /// True when `path` names a file; its bytes in `bytes`.
  bool ReadFile(const std::string& path, std::string& bytes) const;

  /// The bytes of a file; empty when there is none.
  std::string FileBytes(const std::string& path) const;

  /// True when `path` names a file (false for a directory).
  bool FileExists(const std::string& path) const;

  /// True when `path` names a directory.
  bool DirectoryExists(const std::string& path) const;

  /// The names of the entries directly in a directory, in the letter case
  /// they were created with, sorted byte by byte.
  std::vector<std::string> List(const std::string& directory) const;

  /// Gives an existing file or directory new attribute bits (kReadOnly,
  /// kHidden, kSystem, kArchive; a directory keeps kDirectory).
  bool SetAttributes(const std::string& path, unsigned attributes);

  /// The bytes all files may hold together, like the free space of a disk:
  /// a write that would go beyond it writes nothing and fails.
  void SetCapacity(size_t bytes) { capacity_ = bytes; }

  /// Bytes all files hold together.
  size_t UsedBytes() const { return used_; }

  /// A file another program makes at the moment this one first looks for
  /// it: its name as created, bytes and attribute bits.
  struct LateFile {
    std::string name;
    std::string bytes;
    unsigned attributes = kArchive;
  };
  /// Asked with the folded path (FoldedPath's form) of an entry that is not
  /// there, in a directory that is; true when a file stands there now, then
  /// given in `file`.
  using LateFiles = std::function<bool(const std::string& key, LateFile& file)>;

  /// From now on an operation on a path that names no entry first asks
  /// `appear` (null for none) whether another program has just made the
  /// file, as when runs share a folder; one that appears stays, its bytes
  /// held beyond the capacity. Reading the file system here (FileAt,
  /// ForEachFile and the others) asks nothing. `appear` must not use this
  /// file system.
  void SetLateFiles(LateFiles appear) { lateFiles_ = std::move(appear); }

  /// From now on no file or directory may be created directly in
  /// `directory` (as when access to it is denied); existing files there
  /// still open, and emptying one is no creation.
  void RefuseCreatingIn(const std::string& directory);

  /// How many files are open.
  int OpenFileCount() const;

  /// Calls `visit` with the full path, in the form FoldedPath gives, the
  /// bytes and the attribute bits of every file, in no particular order.
  void ForEachFile(
      const std::function<void(const std::string& key, const std::string& bytes, unsigned attributes)>& visit) const;

  /// The bytes of the file `path` names, without a copy; null when it
  /// names none. Valid until the file changes.
  const std::string* FileAt(const std::string& path) const;

  /// The one form of every path that names the same entry: drive, levels
  /// folded, backslashes; empty for a path that can name nothing.
  std::string FoldedPath(const std::string& path) const;

 private:
  struct Node;
  struct Parsed;
  struct Slot;
  Parsed Parse(const std::string& path) const;
  Node* Lookup(const std::string& key);
  // A new entry under `key`, a directory when the attributes say so.
  Node* Insert(const std::string& key, std::string name, unsigned attributes);
  const Node* Lookup(const std::string& key) const;
  // The first `size` bytes of the key, in memory kept for it: looking up
  // the levels above an entry allocates nothing.
  const std::string& KeyStart(const Parsed& parsed, size_t size) const;
  bool ParentIsDirectory(const Parsed& parsed) const;
  bool MakeLevels(const Parsed& parsed, size_t count);
  Slot* SlotOf(FileHandle handle);

  std::unordered_map<std::string, std::unique_ptr<Node>> nodes_;  // by folded path
  std::unordered_set<std::string> refused_;                       // folded directory paths
  std::vector<Slot> slots_;                                       // handle h is slot h - 1
  size_t capacity_;
  size_t used_ = 0;
  mutable std::string scratchKey_;  // KeyStart's
  LateFiles lateFiles_;
};

}  // namespace platform
