// SPDX-License-Identifier: MIT
// The in-memory file system: entries by their folded full path, open files
// in numbered slots.
#include "platform/memory/files-memory.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "common/text.h"
#include "platform/file_names.h"
#include "platform/trace.h"

namespace platform {
namespace {

// Windows takes no longer path and no longer name.
constexpr size_t kLongestPath = 32767;
constexpr size_t kLongestName = 255;
// Far beyond any file the program writes; a write past it fails like one
// to a full disk instead of asking for the memory.
constexpr uint64_t kLongestFile = uint64_t{1} << 30;

// The reasons a failure gives, in the words Windows uses for them.
constexpr const char* kNoPath = "The system cannot find the path specified.";
constexpr const char* kNoFile = "The system cannot find the file specified.";
constexpr const char* kExists = "The file exists.";
constexpr const char* kDenied = "Access is denied.";
constexpr const char* kDiskFull = "There is not enough space on the disk.";

bool Fail(const char* reason) {
  NoteFailure(reason);
  return false;
}

// Characters no name on a Windows file system can hold. Every level of
// every path passes this test, so it is a switch rather than a search.
bool IsForbidden(char c) {
  switch (c) {
    case '<':
    case '>':
    case ':':
    case '"':
    case '|':
    case '?':
    case '*':
      return true;
    default:
      return static_cast<unsigned char>(c) < 32;
  }
}

}  // namespace

struct MemoryFileSystem::Node {
  std::string name;  // the last level, as created
  bool directory = false;
  unsigned attributes = 0;
  std::string bytes;
  int openCount = 0;
};

// A path taken apart. The key of an entry is its drive (or nothing) and
// each level, folded, each level after a backslash; the root's key is the
// drive alone.
struct MemoryFileSystem::Parsed {
  // One level: where its name, as written, lies in the path, and the
  // length of its key.
  struct Level {
    size_t begin, size, keySize;
  };
  // The levels of a path: most paths have a few, held without allocating.
  class Levels {
   public:
    size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    const Level& operator[](size_t i) const { return i < kHeld ? held_[i] : more_[i - kHeld]; }
    const Level& back() const { return (*this)[count_ - 1]; }
    void push_back(const Level& level) {
      if (count_ < kHeld)
        held_[count_] = level;
      else
        more_.push_back(level);
      ++count_;
    }
    void pop_back() {
      if (count_ > kHeld) more_.pop_back();
      --count_;
    }

   private:
    static constexpr size_t kHeld = 8;
    Level held_[kHeld];
    std::vector<Level> more_;
    size_t count_ = 0;
  };
  bool valid = false;
  bool root = false;  // the path names a drive or the root itself
  std::string key;
  size_t parentKeySize = 0;  // the parent's key is the start of the key
  Levels levels;
  const std::string* path = nullptr;

  std::string LevelName(size_t i) const { return path->substr(levels[i].begin, levels[i].size); }
  std::string Name() const { return LevelName(levels.size() - 1); }
};

struct MemoryFileSystem::Slot {
  Node* node = nullptr;  // null while the slot is free
  int64_t position = 0;
  bool canRead = false;
  bool canWrite = false;
  bool append = false;  // every write goes to the end
};

MemoryFileSystem::MemoryFileSystem() : capacity_(std::numeric_limits<size_t>::max()) {}

MemoryFileSystem::~MemoryFileSystem() { ForgetFileSystem(*this); }

MemoryFileSystem::Parsed MemoryFileSystem::Parse(const std::string& path) const {
  Parsed parsed;
  parsed.path = &path;
  if (path.empty() || path.size() > kLongestPath) return parsed;
  size_t i = 0;
  std::string& key = parsed.key;
  key.reserve(path.size() + 1);  // a backslash before each level, the levels no longer than written
  const char drive = FoldUpperAscii(path[0]);
  if (path.size() >= 2 && path[1] == ':' && drive >= 'A' && drive <= 'Z') {
    AppendFoldedFileName(key, path.data(), 2);
    i = 2;
  }
  const size_t rootSize = key.size();
  while (i < path.size()) {
    if (IsPathSeparator(path[i])) {
      ++i;
      continue;
    }
    const size_t begin = i;
    while (i < path.size() && !IsPathSeparator(path[i])) ++i;
    size_t size = i - begin;
    const char* level = path.data() + begin;
    if (size == 1 && level[0] == '.') continue;
    if (size == 2 && level[0] == '.' && level[1] == '.') {
      if (!parsed.levels.empty()) parsed.levels.pop_back();
      key.resize(parsed.levels.empty() ? rootSize : parsed.levels.back().keySize);
      continue;
    }
    // Windows drops trailing blanks and full stops from a name.
    while (size > 0 && (level[size - 1] == '.' || level[size - 1] == ' ')) --size;
    if (size == 0 || size > kLongestName || std::any_of(level, level + size, IsForbidden)) {
      parsed.key.clear();
      return parsed;
    }
    key += '\\';
    AppendFoldedFileName(key, level, size);
    parsed.levels.push_back({begin, size, key.size()});
  }
  parsed.valid = true;
  parsed.root = parsed.levels.empty();
  parsed.parentKeySize = parsed.root                ? key.size()
                         : parsed.levels.size() > 1 ? parsed.levels[parsed.levels.size() - 2].keySize
                                                    : rootSize;
  return parsed;
}

MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& key) {
  auto it = nodes_.find(key);
  if (it != nodes_.end()) return it->second.get();
  if (!lateFiles_) return nullptr;
  // Only in a directory that is there, as a program can make a file only
  // there; a drive and the root always are.
  const size_t cut = key.rfind('\\');
  if (cut == std::string::npos) return nullptr;
  if (key.find('\\') < cut) {
    const Node* parent = static_cast<const MemoryFileSystem*>(this)->Lookup(key.substr(0, cut));
    if (!parent || !parent->directory) return nullptr;
  }
  LateFile late;
  if (!lateFiles_(key, late)) return nullptr;
  Node* node = Insert(key, std::move(late.name), late.attributes & ~static_cast<unsigned>(kDirectory));
  node->bytes = std::move(late.bytes);
  used_ += node->bytes.size();
  if (capacity_ != std::numeric_limits<size_t>::max()) capacity_ += node->bytes.size();
  return node;
}

MemoryFileSystem::Node* MemoryFileSystem::Insert(const std::string& key, std::string name, unsigned attributes) {
  std::unique_ptr<Node> created(new Node);
  created->name = std::move(name);
  created->directory = (attributes & kDirectory) != 0;
  created->attributes = attributes;
  Node* node = created.get();
  nodes_[key] = std::move(created);
  return node;
}

const MemoryFileSystem::Node* MemoryFileSystem::Lookup(const std::string& key) const {
  auto it = nodes_.find(key);
  return it == nodes_.end() ? nullptr : it->second.get();
}

const std::string& MemoryFileSystem::KeyStart(const Parsed& parsed, size_t size) const {
  scratchKey_.assign(parsed.key, 0, size);
  return scratchKey_;
}

bool MemoryFileSystem::ParentIsDirectory(const Parsed& parsed) const {
  const std::string& parentKey = KeyStart(parsed, parsed.parentKeySize);
  if (parentKey.find('\\') == std::string::npos) return true;  // a drive or the root
  const Node* parent = Lookup(parentKey);
  return parent && parent->directory;
}

MemoryFileSystem::Slot* MemoryFileSystem::SlotOf(FileHandle handle) {
  if (handle < 1 || static_cast<size_t>(handle) > slots_.size()) return nullptr;
  Slot& slot = slots_[static_cast<size_t>(handle) - 1];
  return slot.node ? &slot : nullptr;
}

bool MemoryFileSystem::Open(const std::string& path, OpenMode mode, FileHandle& handle) {
  Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.root || !ParentIsDirectory(parsed)) return Fail(kNoPath);
  const bool writing = mode != OpenMode::kExistingForReading;
  Node* node = Lookup(parsed.key);
  if (node) {
    if (mode == OpenMode::kCreateNewForWriting) return Fail(kExists);
    if (node->directory || (writing && (node->attributes & kReadOnly))) return Fail(kDenied);
    if (mode == OpenMode::kCreateOrEmptyForWriting) {
      used_ -= node->bytes.size();
      node->bytes.clear();
      node->bytes.shrink_to_fit();
    }
  } else {
    if (mode == OpenMode::kExistingForReading) return Fail(kNoFile);
    if (refused_.count(KeyStart(parsed, parsed.parentKeySize))) return Fail(kDenied);
    node = Insert(parsed.key, parsed.Name(), kArchive);
  }
  size_t free = 0;
  while (free < slots_.size() && slots_[free].node) ++free;
  if (free == slots_.size()) slots_.emplace_back();
  Slot& slot = slots_[free];
  slot.node = node;
  slot.position = 0;
  slot.canRead = mode == OpenMode::kExistingForReading || mode == OpenMode::kOrCreateForUpdate;
  slot.canWrite = writing;
  slot.append = mode == OpenMode::kAppendForWriting;
  ++node->openCount;
  handle = static_cast<FileHandle>(free + 1);
  return true;
}

size_t MemoryFileSystem::Read(FileHandle handle, char* buffer, size_t size) {
  Slot* slot = SlotOf(handle);
  if (!slot || !slot->canRead) return 0;
  const std::string& bytes = slot->node->bytes;
  if (slot->position >= static_cast<int64_t>(bytes.size())) return 0;
  size_t start = static_cast<size_t>(slot->position);
  size_t n = std::min(size, bytes.size() - start);
  std::memcpy(buffer, bytes.data() + start, n);
  slot->position += static_cast<int64_t>(n);
  return n;
}

bool MemoryFileSystem::Write(FileHandle handle, const char* data, size_t size) {
  Slot* slot = SlotOf(handle);
  if (!slot || !slot->canWrite) return false;
  std::string& bytes = slot->node->bytes;
  if (slot->append) slot->position = static_cast<int64_t>(bytes.size());
  // A position past the end leaves a gap of zero bytes, as on a disk.
  const uint64_t start = static_cast<uint64_t>(slot->position);
  const uint64_t end = start + size;
  const uint64_t growth = end > bytes.size() ? end - bytes.size() : 0;
  if (end > kLongestFile || growth > capacity_ - used_) return Fail(kDiskFull);
  try {
    if (start == bytes.size()) {
      bytes.append(data, size);  // the common case: no gap to fill first
    } else {
      if (end > bytes.size()) bytes.resize(static_cast<size_t>(end), '\0');
      std::memcpy(&bytes[static_cast<size_t>(start)], data, size);
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  used_ += static_cast<size_t>(growth);
  slot->position = static_cast<int64_t>(end);
  return true;
}

bool MemoryFileSystem::Seek(FileHandle handle, int64_t offset) {
  Slot* slot = SlotOf(handle);
  if (!slot || offset < 0) return false;
  slot->position = offset;
  return true;
}

int64_t MemoryFileSystem::Size(FileHandle handle) {
  Slot* slot = SlotOf(handle);
  return slot ? static_cast<int64_t>(slot->node->bytes.size()) : -1;
}

void MemoryFileSystem::Close(FileHandle handle) {
  Slot* slot = SlotOf(handle);
  if (!slot) return;
  --slot->node->openCount;
  *slot = Slot();
}

bool MemoryFileSystem::Remove(const std::string& path) {
  Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.root) return false;
  Node* node = Lookup(parsed.key);
  // An open file is shared for reading and writing, never for deleting.
  if (!node || node->directory || (node->attributes & kReadOnly) || node->openCount > 0) return false;
  used_ -= node->bytes.size();
  nodes_.erase(parsed.key);
  return true;
}

bool MemoryFileSystem::MakeDirectory(const std::string& path) {
  Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.root || !ParentIsDirectory(parsed)) return Fail(kNoPath);
  if (Lookup(parsed.key)) return Fail("Cannot create a file when that file already exists.");
  if (refused_.count(KeyStart(parsed, parsed.parentKeySize))) return Fail(kDenied);
  Insert(parsed.key, parsed.Name(), kDirectory);
  return true;
}

bool MemoryFileSystem::SameFile(FileHandle handle, const std::string& path) {
  Slot* slot = SlotOf(handle);
  Parsed parsed = Parse(path);
  return slot && parsed.valid && !parsed.root && Lookup(parsed.key) == slot->node;
}

std::string MemoryFileSystem::EntryPath(const std::string& path) {
  Parsed parsed = Parse(path);
  return parsed.valid && Lookup(parsed.key) ? path : std::string();
}

bool MemoryFileSystem::FindEntryAttributes(const std::string& path, unsigned* attributes) {
  Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.root) return false;
  const Node* node = Lookup(parsed.key);
  if (!node) return false;
  *attributes = node->attributes;
  return true;
}

bool MemoryFileSystem::MakeLevels(const Parsed& parsed, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const std::string& key = KeyStart(parsed, parsed.levels[i].keySize);
    const Node* node = Lookup(key);
    if (node && !node->directory) return false;
    if (node) continue;
    Insert(key, parsed.LevelName(i), kDirectory);
  }
  return true;
}

bool MemoryFileSystem::AddDirectory(const std::string& path) {
  Parsed parsed = Parse(path);
  return parsed.valid && MakeLevels(parsed, parsed.levels.size());
}

bool MemoryFileSystem::AddFile(const std::string& path, const std::string& bytes, unsigned attributes) {
  Parsed parsed = Parse(path);
  if (!parsed.valid || parsed.root || !MakeLevels(parsed, parsed.levels.size() - 1)) return false;
  Node* node = Lookup(parsed.key);
  if (node && node->directory) return false;
  if (!node) {
    node = Insert(parsed.key, parsed.Name(), 0);
  }
  used_ = used_ - node->bytes.size() + bytes.size();
  node->bytes = bytes;
  node->attributes = attributes & ~static_cast<unsigned>(kDirectory);
  return true;
}

bool MemoryFileSystem::ReadFile(const std::string& path, std::string& bytes) const {
  const std::string* held = FileAt(path);
  if (held) bytes = *held;
  return held != nullptr;
}

std::string MemoryFileSystem::FileBytes(const std::string& path) const {
  std::string bytes;
  ReadFile(path, bytes);
  return bytes;
}

bool MemoryFileSystem::FileExists(const std::string& path) const { return FileAt(path) != nullptr; }

bool MemoryFileSystem::DirectoryExists(const std::string& path) const {
  Parsed parsed = Parse(path);
  if (!parsed.valid) return false;
  if (parsed.root) return true;
  const Node* node = Lookup(parsed.key);
  return node && node->directory;
}

std::vector<std::string> MemoryFileSystem::List(const std::string& directory) const {
  std::vector<std::string> names;
  Parsed parsed = Parse(directory);
  if (!parsed.valid) return names;
  for (const auto& entry : nodes_) {
    const std::string& key = entry.first;
    size_t cut = key.rfind('\\');
    if (cut != std::string::npos && key.compare(0, cut, parsed.key) == 0 && cut == parsed.key.size())
      names.push_back(entry.second->name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

bool MemoryFileSystem::SetAttributes(const std::string& path, unsigned attributes) {
  Parsed parsed = Parse(path);
  Node* node = parsed.valid ? Lookup(parsed.key) : nullptr;
  if (!node) return false;
  node->attributes = node->directory ? (attributes | kDirectory) : (attributes & ~static_cast<unsigned>(kDirectory));
  return true;
}

void MemoryFileSystem::RefuseCreatingIn(const std::string& directory) {
  Parsed parsed = Parse(directory);
  if (parsed.valid) refused_.insert(parsed.key);
}

int MemoryFileSystem::OpenFileCount() const {
  return static_cast<int>(std::count_if(slots_.begin(), slots_.end(), [](const Slot& s) { return s.node; }));
}

void MemoryFileSystem::ForEachFile(
    const std::function<void(const std::string& key, const std::string& bytes, unsigned attributes)>& visit) const {
  for (const auto& entry : nodes_)
    if (!entry.second->directory) visit(entry.first, entry.second->bytes, entry.second->attributes);
}

const std::string* MemoryFileSystem::FileAt(const std::string& path) const {
  Parsed parsed = Parse(path);
  const Node* node = parsed.valid ? Lookup(parsed.key) : nullptr;
  return node && !node->directory ? &node->bytes : nullptr;
}

std::string MemoryFileSystem::FoldedPath(const std::string& path) const {
  Parsed parsed = Parse(path);
  return parsed.valid ? parsed.key : std::string();
}

}  // namespace platform
