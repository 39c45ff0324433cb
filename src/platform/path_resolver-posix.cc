// SPDX-License-Identifier: MIT
// Program paths resolved level by level from an open folder, with folder
// indexes for the letter-case look-up.
//
// An index is trusted while the folder's time stamps stay as they were
// when it was read. Time stamps move in steps (a clock tick), so a folder
// read within a step of its last change might change again unseen: such a
// "racy" index answers found names but reads the folder again before it
// says a name is missing. The program's own creations are written into
// the index at once, with the stamps they leave, so that making thousands
// of folders in one folder reads it only once.
#include "platform/path_resolver-posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "common/charset.h"
#include "platform/file_names.h"
#include "platform/text-posix.h"

namespace platform {
namespace {

#ifdef O_PATH
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// Indexes kept at once; the least recently used goes first.
constexpr size_t kIndexedFolders = 8;

// A change this close to the reading of a folder might share its stamps
// with a later change (coarse clocks step every 1 to 10 ms).
constexpr int64_t kRacyNanoseconds = 20 * 1000 * 1000;

struct Stamp {
  int64_t modified = -1;  // nanoseconds
  int64_t changed = -1;
  bool operator==(const Stamp& o) const { return modified == o.modified && changed == o.changed; }
  bool operator!=(const Stamp& o) const { return !(*this == o); }
};

int64_t Nanoseconds(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

Stamp StampOf(const struct stat& st) { return Stamp{Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)}; }

struct FolderIndex {
  dev_t device = 0;
  ino_t inode = 0;
  Stamp stamp;     // the folder's stamps when the index was last known right
  Stamp ownStamp;  // the stamps the program's own last change left
  bool racy = false;
  uint64_t lastUse = 0;
  std::unordered_map<std::string, std::string> byFoldedName;  // folded code page name -> entry name
};

struct Resolver {
  // The folder resolved last, kept open: its path as written (code page
  // bytes, "/" for every separator, ending in "/"; empty for the current
  // directory) and as the system names it.
  int folder = -1;
  std::string key;
  std::string resolved;
  bool relative = false;
  dev_t cwdDevice = 0;  // the current directory a relative key was resolved from
  ino_t cwdInode = 0;

  std::vector<FolderIndex> indexes;
  uint64_t uses = 0;
};

Resolver& State() {
  static Resolver resolver;
  return resolver;
}

int OpenFolder(int at, const char* name) {
  int fd;
  do fd = openat(at, name, kFolderFlags);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// The entry name in the code page when the code page writes it exactly.
bool CodePageName(const std::string& utf8, std::string& name) {
  name = CodePageFromUtf8(utf8);
  return ConvertCharset(name) == utf8;
}

FolderIndex* FindIndex(Resolver& r, const struct stat& st) {
  for (FolderIndex& index : r.indexes)
    if (index.device == st.st_dev && index.inode == st.st_ino) return &index;
  return nullptr;
}

// Reads the folder's names into its index (a new one, or the old one again).
FolderIndex* ReadIndex(Resolver& r, int folder, const struct stat& st, FolderIndex* index) {
  if (!index) {
    if (r.indexes.size() >= kIndexedFolders) {
      size_t oldest = 0;
      for (size_t i = 1; i < r.indexes.size(); ++i)
        if (r.indexes[i].lastUse < r.indexes[oldest].lastUse) oldest = i;
      r.indexes.erase(r.indexes.begin() + static_cast<std::ptrdiff_t>(oldest));
    }
    r.indexes.emplace_back();
    index = &r.indexes.back();
    index->device = st.st_dev;
    index->inode = st.st_ino;
  }
  index->byFoldedName.clear();
  index->stamp = StampOf(st);
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  index->racy = index->stamp != index->ownStamp && Nanoseconds(now) - index->stamp.changed < kRacyNanoseconds;

  int fd = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
  if (!dir) {
    if (fd >= 0) close(fd);
    index->racy = true;  // nothing was read: ask again next time
    return index;
  }
  std::string name;
  while (dirent* entry = readdir(dir)) {
    const std::string utf8 = entry->d_name;
    if (utf8 == "." || utf8 == ".." || !CodePageName(utf8, name)) continue;
    // Of names that differ only in letter case (possible here, not on
    // Windows) the same one is always taken.
    std::string& found = index->byFoldedName[FoldFileName(name)];
    if (found.empty() || utf8 < found) found = utf8;
  }
  closedir(dir);
  return index;
}

// The name of the entry of `folder` that matches `name` (code page bytes)
// without regard to letter case; empty when none does.
std::string FindFolded(Resolver& r, int folder, const std::string& name) {
  if (name.empty() || name.size() > NAME_MAX) return std::string();
  struct stat st;
  if (fstat(folder, &st) != 0) return std::string();
  const std::string folded = FoldFileName(name);
  FolderIndex* index = FindIndex(r, st);
  bool fresh = false;
  if (!index || index->stamp != StampOf(st)) {
    index = ReadIndex(r, folder, st, index);
    fresh = true;
  }
  index->lastUse = ++r.uses;
  auto hit = index->byFoldedName.find(folded);
  if (hit != index->byFoldedName.end()) return hit->second;
  if (index->racy && !fresh) {
    index = ReadIndex(r, folder, st, index);
    hit = index->byFoldedName.find(folded);
    if (hit != index->byFoldedName.end()) return hit->second;
  }
  return std::string();
}

void CloseLast(Resolver& r) {
  if (r.folder >= 0) close(r.folder);
  r.folder = -1;
  r.key.clear();
  r.resolved.clear();
}

// True when the folder kept open still is what `key` begins with.
bool CanReuse(Resolver& r, const std::string& key, bool relative) {
  if (r.folder < 0 || relative != r.relative || key.compare(0, r.key.size(), r.key) != 0) return false;
  struct stat st;
  if (fstat(r.folder, &st) != 0 || st.st_nlink == 0) return false;  // removed meanwhile
  if (!relative) return true;
  return stat(".", &st) == 0 && st.st_dev == r.cwdDevice && st.st_ino == r.cwdInode;
}

// Opens the folder a key starts from: the root or the current directory.
bool Start(Resolver& r, bool relative) {
  CloseLast(r);
  r.relative = relative;
  r.folder = OpenFolder(AT_FDCWD, relative ? "." : "/");
  if (r.folder < 0) return false;
  if (relative) {
    struct stat st;
    if (fstat(r.folder, &st) != 0) {
      CloseLast(r);
      return false;
    }
    r.cwdDevice = st.st_dev;
    r.cwdInode = st.st_ino;
  } else {
    r.key = "/";
    r.resolved = "/";
  }
  return true;
}

}  // namespace

ResolvedPath ResolvePath(const std::string& path) {
  ResolvedPath out;
  if (path.empty() || path.size() >= PATH_MAX) return out;  // the system form is no shorter
  std::string slashed = path;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  // A final separator names the level before it, as the system reads it.
  while (slashed.size() > 1 && slashed.back() == '/') slashed.pop_back();
  const size_t lastSlash = slashed.rfind('/');
  const std::string key = lastSlash == std::string::npos ? std::string() : slashed.substr(0, lastSlash + 1);
  const std::string name = slashed.substr(lastSlash == std::string::npos ? 0 : lastSlash + 1);
  const bool relative = key.empty() || key[0] != '/';

  Resolver& r = State();
  if (!CanReuse(r, key, relative) && !Start(r, relative)) return out;

  // Each level from where the kept folder ends. Once a level is missing,
  // nothing below it can exist, so the rest is not looked at.
  size_t pos = r.key.size();
  while (pos < key.size()) {
    const size_t slash = key.find('/', pos);
    const std::string level = key.substr(pos, slash - pos);
    std::string utf8 = ConvertCharset(level);
    if (!level.empty() && level != ".") {
      int next = OpenFolder(r.folder, utf8.c_str());
      if (next < 0 && errno == ENOENT && level != "..") {
        std::string found = FindFolded(r, r.folder, level);
        if (!found.empty()) {
          utf8 = found;
          next = OpenFolder(r.folder, utf8.c_str());
        }
      }
      if (next < 0) {
        out.systemPath = r.resolved + ConvertCharset(slashed.substr(pos));
        r.key = key.substr(0, pos);
        return out;
      }
      close(r.folder);
      r.folder = next;
    }
    r.resolved += utf8;
    r.resolved += '/';
    pos = slash + 1;
  }
  r.key = key;

  out.name = ConvertCharset(name);
  if (name.empty() || name == ".") {
    out.name = ".";
    out.systemPath = r.resolved + ConvertCharset(name);
  } else {
    struct stat st;
    if (fstatat(r.folder, out.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      out.exists = true;
    } else if (errno == ENOENT && name != "..") {
      std::string found = FindFolded(r, r.folder, name);
      if (!found.empty()) {
        out.name = found;
        out.exists = true;
      }
    }
    out.systemPath = r.resolved + out.name;
  }
  if (out.name == ".") out.exists = true;
  if (out.systemPath.size() >= PATH_MAX) return ResolvedPath{-1, std::string(), false, out.systemPath};
  out.folder = r.folder;
  return out;
}

std::string SystemPath(const std::string& path) {
  if (path.empty()) return std::string();
  std::string systemPath = ResolvePath(path).systemPath;
  if (systemPath.empty()) {
    // Too long to resolve: the plain conversion, which the system refuses.
    systemPath = ConvertCharset(path);
    for (char& c : systemPath)
      if (c == '\\') c = '/';
  }
  return systemPath;
}

void NoteEntryCreated(const ResolvedPath& resolved) {
  Resolver& r = State();
  struct stat st;
  if (resolved.folder < 0 || fstat(resolved.folder, &st) != 0) return;
  FolderIndex* index = FindIndex(r, st);
  if (!index) return;
  std::string name;
  if (CodePageName(resolved.name, name)) {
    std::string& found = index->byFoldedName[FoldFileName(name)];
    if (found.empty() || resolved.name < found) found = resolved.name;
  }
  index->stamp = index->ownStamp = StampOf(st);
}

void NoteEntryRemoved(const ResolvedPath& resolved) {
  Resolver& r = State();
  struct stat st;
  if (resolved.folder < 0 || fstat(resolved.folder, &st) != 0) return;
  // Another entry may differ from the removed one only in letter case:
  // the folder is read again when it is next needed.
  for (size_t i = 0; i < r.indexes.size(); ++i) {
    if (r.indexes[i].device == st.st_dev && r.indexes[i].inode == st.st_ino) {
      r.indexes.erase(r.indexes.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

}  // namespace platform
