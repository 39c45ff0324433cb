// SPDX-License-Identifier: MIT
// Program paths resolved level by level from the deepest folder kept open
// that they pass through, with folder indexes for the letter-case look-up.
//
// A kept folder is used only once a status query of its path, made from
// the current directory (or the root) as the system follows it now, has
// found that very folder there: one call tells that it was not removed,
// renamed or replaced, and that a relative path still starts where it did.
//
// An index is trusted while the folder's time stamps stay as they were
// when it was read. Time stamps move in steps (a clock tick), so a folder
// read within a step of its last change might change again unseen: such a
// "racy" index answers found names but reads the folder again before it
// says a name is missing. The program's own creations are written into
// the index at once, with the stamps they leave, so that making thousands
// of folders in one folder reads it only once; by the same rule a folder
// the program has just made is known to be empty, with the stamps it was
// made with. An exact name is always asked of the system itself (by the
// open, creation or query that uses it); the index answers only for the
// other spellings of a name.
#include "platform/path_resolver-posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <unordered_map>
#include <unordered_set>
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

// Folders kept open at once, each with its index; the least recently used
// goes first. Enough for a run that routes its sections to a few dozen
// customers' folders in turn; never more than an eighth of the descriptors
// the process may open, so that the documents always find one.
constexpr size_t kKeptFolders = 64;

size_t KeptFolders() {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kKeptFolders;
  return std::max<size_t>(2, std::min<size_t>(kKeptFolders, static_cast<size_t>(limit.rlim_cur / 8)));
}

// A change this close to the reading of a folder might share its stamps
// with a later change (coarse clocks step every 1 to 10 ms).
constexpr int64_t kRacyNanoseconds = 20 * 1000 * 1000;

// Bytes of folder entries read in one call.
constexpr size_t kEntryBlock = 32 * 1024;

struct Stamp {
  int64_t modified = -1;  // nanoseconds
  int64_t changed = -1;
  bool operator==(const Stamp& o) const { return modified == o.modified && changed == o.changed; }
  bool operator!=(const Stamp& o) const { return !(*this == o); }
};

int64_t Nanoseconds(const timespec& t) { return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec; }

Stamp StampOf(const struct stat& st) { return Stamp{Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)}; }

struct Folder {
  int fd = -1;  // -1 while the slot is free
  // The folder's path as written (code page bytes, "/" for every separator,
  // ending in "/"; empty for the current directory) and as the system names
  // it (empty for the current directory).
  std::string key;
  std::string resolved;
  dev_t device = 0;
  ino_t inode = 0;
  Stamp seen;  // the folder's stamps when it was last opened or checked
  uint64_t lastUse = 0;

  bool indexed = false;
  Stamp stamp;     // the folder's stamps when the index was last known right
  Stamp ownStamp;  // the stamps the program's own last change left
  bool racy = false;
  std::unordered_map<std::string, std::string> byFoldedName;  // folded code page name -> entry name
  // Every name of those that differ from another only in letter case
  // (possible here, not on Windows): the index names the least of them,
  // and these tell whether the one asked for is there as written.
  std::unordered_set<std::string> twins;
};

struct Resolver {
  Resolver() : folders(KeptFolders()) {}
  std::vector<Folder> folders;  // never resized: a slot stays where it is
  uint64_t uses = 0;
  // The path resolved last: the slot of its folder, that folder's key and
  // the last name as written.
  Folder* last = nullptr;
  std::string lastKey;
  std::string lastName;
  std::vector<char> entries;  // read buffer of folder entries
};

Resolver& State() {
  static Resolver resolver;
  return resolver;
}

int OpenFolder(int at, const char* name, int extraFlags = 0) {
  int fd;
  do fd = openat(at, name, kFolderFlags | extraFlags);
  while (fd < 0 && errno == EINTR);
  return fd;
}

// The entry name in the code page when the code page writes it exactly.
bool CodePageName(const std::string& utf8, std::string& name) {
  name = CodePageFromUtf8(utf8);
  return ConvertCharset(name) == utf8;
}

// Of names that differ only in letter case the same one is always taken.
void AddName(Folder& f, const std::string& utf8) {
  std::string name;
  if (!CodePageName(utf8, name)) return;
  std::string& found = f.byFoldedName[FoldFileName(name)];
  if (!found.empty() && found != utf8) {
    f.twins.insert(found);
    f.twins.insert(utf8);
  }
  if (found.empty() || utf8 < found) found = utf8;
}

void Drop(Resolver& r, Folder& f) {
  if (f.fd >= 0) close(f.fd);
  f.fd = -1;
  f.key.clear();
  f.resolved.clear();
  f.indexed = false;
  f.ownStamp = Stamp();
  f.byFoldedName.clear();
  f.twins.clear();
  if (r.last == &f) r.last = nullptr;
}

// A free slot, or the least recently used one but `keep`, emptied.
Folder& FreeSlot(Resolver& r, const Folder* keep) {
  Folder* pick = nullptr;
  for (Folder& f : r.folders) {
    if (f.fd < 0) return f;
    if (&f != keep && (!pick || f.lastUse < pick->lastUse)) pick = &f;
  }
  Drop(r, *pick);
  return *pick;
}

// Keeps the folder open at `fd`, whose status is `st`; the caller names it.
Folder& Keep(Resolver& r, int fd, const struct stat& st, const Folder* parent) {
  Folder& f = FreeSlot(r, parent);
  f.fd = fd;
  f.device = st.st_dev;
  f.inode = st.st_ino;
  f.seen = StampOf(st);
  f.lastUse = ++r.uses;
  return f;
}

// True when the kept folder's path leads to it still; its stamps are taken
// on the way. A relative path is followed from the current directory.
bool Check(Resolver& r, Folder& f) {
  struct stat st;
  if (stat(f.resolved.empty() ? "." : f.resolved.c_str(), &st) != 0 || st.st_dev != f.device || st.st_ino != f.inode)
    return false;
  f.seen = StampOf(st);
  f.lastUse = ++r.uses;
  return true;
}

// The kept folder with the longest key that `key` begins with.
Folder* Deepest(Resolver& r, const std::string& key, bool relative) {
  Folder* best = nullptr;
  for (Folder& f : r.folders) {
    if (f.fd < 0 || f.key.size() > key.size() || (best && f.key.size() <= best->key.size())) continue;
    // The current directory begins every relative key and no other.
    if (f.key.empty() ? relative : key.compare(0, f.key.size(), f.key) == 0) best = &f;
  }
  return best;
}

// Opens and keeps the folder a key starts from: the root or the current directory.
Folder* Start(Resolver& r, bool relative) {
  const int fd = OpenFolder(AT_FDCWD, relative ? "." : "/");
  if (fd < 0) return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return nullptr;
  }
  Folder& f = Keep(r, fd, st, nullptr);
  f.key.assign(relative ? "" : "/");
  f.resolved.assign(f.key);
  return &f;
}

// Reads the names of the folder open at `fd` into the index and closes it.
// False when they could not all be read.
#ifdef __linux__
bool ReadNames(Resolver& r, int fd, Folder& f) {
  // The entries straight from the system: a directory stream would first
  // query the descriptor's status and flags and set them again.
  if (r.entries.empty()) r.entries.resize(kEntryBlock);
  bool complete = false;
  for (;;) {
    const ssize_t n = getdents64(fd, r.entries.data(), r.entries.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      complete = n == 0;
      break;
    }
    for (ssize_t at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const struct dirent64*>(r.entries.data() + at);
      const std::string utf8 = entry->d_name;
      if (utf8 != "." && utf8 != "..") AddName(f, utf8);
      at += entry->d_reclen;
    }
  }
  close(fd);
  return complete;
}
#else
bool ReadNames(Resolver&, int fd, Folder& f) {
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return false;
  }
  while (dirent* entry = readdir(dir)) {
    const std::string utf8 = entry->d_name;
    if (utf8 != "." && utf8 != "..") AddName(f, utf8);
  }
  closedir(dir);
  return true;
}
#endif

// Reads the folder's names into its index, under the stamps last seen.
void ReadIndex(Resolver& r, Folder& f) {
  f.indexed = true;
  f.byFoldedName.clear();
  f.twins.clear();
  f.stamp = f.seen;
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  f.racy = f.stamp != f.ownStamp && Nanoseconds(now) - f.stamp.changed < kRacyNanoseconds;
  int fd;
  do fd = openat(f.fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  // Nothing or not everything was read: ask again next time.
  if (fd < 0 || !ReadNames(r, fd, f)) f.racy = true;
}

// The name of the entry of `f` that matches `name` (code page bytes)
// without regard to letter case, the name itself first; empty when none
// does. The folder's stamps must have been seen in this resolution.
std::string Matching(Resolver& r, Folder& f, const std::string& name) {
  if (name.empty() || name.size() > NAME_MAX) return std::string();
  const std::string folded = FoldFileName(name);
  bool fresh = false;
  if (!f.indexed || f.stamp != f.seen) {
    ReadIndex(r, f);
    fresh = true;
  }
  auto hit = f.byFoldedName.find(folded);
  if (hit == f.byFoldedName.end() && f.racy && !fresh) {
    ReadIndex(r, f);
    hit = f.byFoldedName.find(folded);
  }
  if (hit == f.byFoldedName.end()) return std::string();
  if (!f.twins.empty()) {
    std::string utf8 = ConvertCharset(name);
    if (utf8 != hit->second && f.twins.count(utf8)) return utf8;
  }
  return hit->second;
}

// The kept folder of the path resolved last, when `resolved` is that path's.
Folder* LastFolder(Resolver& r, const ResolvedPath& resolved) {
  return resolved.folder >= 0 && r.last && r.last->fd == resolved.folder ? r.last : nullptr;
}

}  // namespace

ResolvedPath ResolveFolder(const std::string& path) {
  Resolver& r = State();
  r.last = nullptr;
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

  // The deepest kept folder on the way that is still where it was; the
  // others met on the way are let go.
  Folder* f;
  for (;;) {
    f = Deepest(r, key, relative);
    if (!f) {
      f = Start(r, relative);
      if (!f) return out;
      break;
    }
    if (Check(r, *f)) break;
    Drop(r, *f);
  }

  // Each level from where the kept folder ends, each folder kept. Once a
  // level is missing, nothing below it can exist, so the rest is not looked at.
  std::string resolved = f->resolved;
  size_t pos = f->key.size();
  while (pos < key.size()) {
    const size_t slash = key.find('/', pos);
    const std::string level = key.substr(pos, slash - pos);
    std::string utf8 = ConvertCharset(level);
    if (!level.empty() && level != ".") {
      int next = OpenFolder(f->fd, utf8.c_str());
      if (next < 0 && errno == ENOENT && level != "..") {
        std::string found = Matching(r, *f, level);
        if (!found.empty() && found != utf8) {
          utf8 = found;
          next = OpenFolder(f->fd, utf8.c_str());
        }
      }
      struct stat st;
      if (next >= 0 && (resolved.size() + utf8.size() + 1 >= PATH_MAX || fstat(next, &st) != 0)) {
        close(next);
        next = -1;
      }
      if (next < 0) {
        out.systemPath = resolved + ConvertCharset(slashed.substr(pos));
        return out;
      }
      resolved += utf8;
      resolved += '/';
      Folder& kept = Keep(r, next, st, f);
      kept.key.assign(key, 0, slash + 1);
      kept.resolved = resolved;
      f = &kept;
    } else {
      resolved += utf8;
      resolved += '/';
    }
    pos = slash + 1;
  }

  if (name.empty() || name == ".") {
    out.name = ".";
    out.exists = true;
    out.systemPath = resolved + ConvertCharset(name);
  } else {
    out.name = ConvertCharset(name);
    out.systemPath = resolved + out.name;
  }
  if (out.systemPath.size() >= PATH_MAX) return ResolvedPath{-1, std::string(), false, out.systemPath};
  out.folder = f->fd;
  r.last = f;
  r.lastKey = key;
  r.lastName = name;
  return out;
}

ResolvedPath ResolvePath(const std::string& path) {
  ResolvedPath out = ResolveFolder(path);
  if (out.folder < 0 || out.exists) return out;
  struct stat st;
  if (fstatat(out.folder, out.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
    out.exists = true;
  } else if (errno == ENOENT && out.name != "..") {
    const std::string found = FindMatchingName(out);
    if (!found.empty()) {
      out.systemPath.replace(out.systemPath.size() - out.name.size(), out.name.size(), found);
      out.name = found;
      out.exists = true;
      if (out.systemPath.size() >= PATH_MAX) return ResolvedPath{-1, std::string(), false, out.systemPath};
    }
  }
  return out;
}

std::string FindMatchingName(const ResolvedPath& resolved) {
  Resolver& r = State();
  Folder* f = LastFolder(r, resolved);
  if (!f) return std::string();
  if (resolved.name == "." || resolved.name == "..") return resolved.name;
  return Matching(r, *f, r.lastName);
}

bool IsKnownFolder(const std::string& path) {
  if (path.empty() || path.size() >= PATH_MAX) return false;
  std::string key = path;
  for (char& c : key)
    if (c == '\\') c = '/';
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  if (key != "/") key += '/';
  Resolver& r = State();
  for (Folder& f : r.folders) {
    if (f.fd < 0 || f.key != key) continue;
    if (Check(r, f)) return true;
    Drop(r, f);
    return false;
  }
  return false;
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
  Folder* f = LastFolder(r, resolved);
  if (!f) return;
  struct stat st;
  if (fstat(f->fd, &st) != 0) {
    f->indexed = false;
    return;
  }
  // The index takes the name only when it was right as the name was looked
  // up; otherwise it is read again when next needed.
  const bool right = f->indexed && f->stamp == f->seen;
  f->seen = f->ownStamp = StampOf(st);
  if (!right) return;
  AddName(*f, resolved.name);
  f->stamp = f->seen;
}

void NoteEntryRemoved(const ResolvedPath& resolved) {
  Resolver& r = State();
  const Folder* f = LastFolder(r, resolved);
  if (!f) return;
  // Another entry may differ from the removed one only in letter case: the
  // folder is read again when it is next needed, under any key it is kept by.
  for (Folder& other : r.folders)
    if (other.fd >= 0 && other.device == f->device && other.inode == f->inode) other.indexed = false;
}

void NoteFolderCreated(const ResolvedPath& resolved) {
  Resolver& r = State();
  Folder* parent = LastFolder(r, resolved);
  if (!parent || resolved.name == "." || resolved.name == "..") return;
  const std::string key = r.lastKey + r.lastName + '/';
  for (Folder& f : r.folders)
    if (f.fd >= 0 && f.key == key) Drop(r, f);
  // Not followed if it was swapped for a link meanwhile.
  const int fd = OpenFolder(parent->fd, resolved.name.c_str(), O_NOFOLLOW);
  if (fd < 0) return;
  struct stat st;
  // A folder made inside it already would show in its link count.
  if (fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_nlink > 2 || resolved.systemPath.size() + 1 >= PATH_MAX) {
    close(fd);
    return;
  }
  Folder& made = Keep(r, fd, st, parent);
  made.key = key;
  made.resolved = resolved.systemPath + '/';
  made.indexed = true;
  made.stamp = made.ownStamp = made.seen;
  made.racy = false;
}

void NoteNameTaken(const ResolvedPath& resolved) {
  Resolver& r = State();
  if (Folder* f = LastFolder(r, resolved)) f->indexed = false;
}

}  // namespace platform
