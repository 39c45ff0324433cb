// SPDX-License-Identifier: MIT
// The open-file table shared by every file system: a file number is the
// lowest free slot at the time of the open, and each slot remembers which
// file system opened the file, so that a switch of file systems never
// sends a handle to the wrong one. Every path reaches a file system through
// here, so the paths no file system may see are turned away here, once.
#include <vector>

#include "platform/file_names.h"
#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/trace.h"

namespace platform {
namespace {

struct OpenFile {
  FileSystem* owner;  // null while the slot is free
  FileHandle handle;
};

// Slot i holds file number i + 1.
std::vector<OpenFile>& Table() {
  static std::vector<OpenFile> table;
  return table;
}

// True for a path that names no entry on any file system: one holding a
// NUL byte, which the system's interfaces would take for its end and so
// reach a shorter path the program never asked for.
bool NamesNothing(const std::string& path) { return path.find('\0') != std::string::npos; }

// True for a path that ends in a separator: it can name a folder, never a file.
bool NamesFolderOnly(const std::string& path) { return !path.empty() && IsPathSeparator(path.back()); }

FileSystem*& Current() {
  static FileSystem* current = &SystemFileSystem();
  return current;
}

FileNumber Open(const std::string& path, OpenMode mode) {
  FileHandle handle = 0;
  FileSystem* owner = OpenUnnumbered(path, mode, handle);
  if (!owner) return 0;
  FileSystem& fileSystem = *owner;
  std::vector<OpenFile>& table = Table();
  for (size_t i = 0; i < table.size(); ++i) {
    if (!table[i].owner) {
      table[i] = OpenFile{&fileSystem, handle};
      return static_cast<FileNumber>(i + 1);
    }
  }
  table.push_back(OpenFile{&fileSystem, handle});
  return static_cast<FileNumber>(table.size());
}

// The slot of an open file, or null.
OpenFile* Find(FileNumber file) {
  std::vector<OpenFile>& table = Table();
  if (file < 1 || static_cast<size_t>(file) > table.size() || !table[file - 1].owner) return nullptr;
  return &table[file - 1];
}

}  // namespace

FileSystem* OpenUnnumbered(const std::string& path, OpenMode mode, FileHandle& handle) {
  if (NamesFolderOnly(path) || NamesNothing(path)) {
    NoteFailure("the name is no file's name");
    return nullptr;
  }
  FileSystem& fileSystem = *Current();
  return fileSystem.Open(path, mode, handle) ? &fileSystem : nullptr;
}

FileSystem& UseFileSystem(FileSystem& fileSystem) {
  FileSystem& previous = *Current();
  Current() = &fileSystem;
  return previous;
}

void ForgetFileSystem(FileSystem& fileSystem) {
  std::vector<OpenFile>& table = Table();
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i].owner == &fileSystem) CloseFile(static_cast<FileNumber>(i + 1));
  if (Current() == &fileSystem) Current() = &SystemFileSystem();
}

FileNumber OpenExistingForReading(const std::string& path) { return Open(path, OpenMode::kExistingForReading); }

FileNumber OpenOrCreateForUpdate(const std::string& path) { return Open(path, OpenMode::kOrCreateForUpdate); }

FileNumber CreateOrEmptyForWriting(const std::string& path) { return Open(path, OpenMode::kCreateOrEmptyForWriting); }

FileNumber CreateNewForWriting(const std::string& path) { return Open(path, OpenMode::kCreateNewForWriting); }

size_t ReadBytes(FileNumber file, char* buffer, size_t size) {
  OpenFile* open = Find(file);
  return open && size > 0 ? open->owner->Read(open->handle, buffer, size) : 0;
}

bool ReadBytesAt(FileNumber file, int64_t offset, char* buffer, size_t size) {
  if (!SeekFile(file, offset)) return false;
  while (size > 0) {
    size_t n = ReadBytes(file, buffer, size);
    if (n == 0) return false;
    buffer += n;
    size -= n;
  }
  return true;
}

bool WriteBytes(FileNumber file, const char* data, size_t size) {
  OpenFile* open = Find(file);
  return open && (size == 0 || open->owner->Write(open->handle, data, size));
}

bool SeekFile(FileNumber file, int64_t offset) {
  OpenFile* open = Find(file);
  return open && offset >= 0 && open->owner->Seek(open->handle, offset);
}

int64_t FileSize(FileNumber file) {
  OpenFile* open = Find(file);
  return open ? open->owner->Size(open->handle) : -1;
}

void CloseFile(FileNumber file) {
  OpenFile* open = Find(file);
  if (!open) return;
  open->owner->Close(open->handle);
  *open = OpenFile{nullptr, 0};
}

void CloseAllFiles() {
  std::vector<OpenFile>& table = Table();
  for (size_t i = 0; i < table.size(); ++i) CloseFile(static_cast<FileNumber>(i + 1));
  table.clear();
}

bool RemoveFile(const std::string& path) { return !NamesNothing(path) && Current()->Remove(path); }

bool MakeDirectory(const std::string& path) { return !NamesNothing(path) && Current()->MakeDirectory(path); }

bool FindEntryAttributes(const std::string& path, unsigned* attributes) {
  // The Windows search finds nothing for a path that ends in a separator,
  // a folder's included; every file system answers alike.
  if (NamesFolderOnly(path) || NamesNothing(path)) return false;
  unsigned found = 0;
  if (!Current()->FindEntryAttributes(path, &found)) return false;
  *attributes = found;
  return true;
}

std::string FoundEntryPath(const std::string& path) {
  return NamesFolderOnly(path) || NamesNothing(path) ? std::string() : Current()->EntryPath(path);
}

}  // namespace platform
