// The platform operations on POSIX systems. Paths are the suite's byte
// strings: each backslash becomes "/" and the code page bytes become UTF-8
// at the system boundary. The suite names one file in different letter
// cases ("OrvPrint.ini", "ORVPRINT.INI"), which a Windows file system takes
// as one name, so every path component that does not exist as written is
// looked up case-insensitively in its folder.
#include "platform/platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "common/text.h"
#include "platform/text-posix.h"
#include "common/charset.h"

extern char** environ;

namespace platform {
namespace {

// Open files by number; slot i holds the descriptor of file number i + 1, or -1.
std::vector<int>& FileTable() {
  static std::vector<int> table;
  return table;
}

FileNumber Register(int fd) {
  if (fd < 0) return 0;
  std::vector<int>& table = FileTable();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] < 0) {
      table[i] = fd;
      return static_cast<FileNumber>(i + 1);
    }
  }
  table.push_back(fd);
  return static_cast<FileNumber>(table.size());
}

int Descriptor(FileNumber file) {
  std::vector<int>& table = FileTable();
  if (file < 1 || static_cast<size_t>(file) > table.size()) return -1;
  return table[file - 1];
}

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name matches `name` under the suite's folding.
std::string FindFolded(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return std::string();
  ByteString wanted = FoldUpper(CodePageFromUtf8(name));
  std::string found;
  while (dirent* entry = readdir(dir)) {
    if (FoldUpper(CodePageFromUtf8(entry->d_name)) == wanted) {
      found = entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

int OpenResolved(const std::string& path, int flags) {
  int fd;
  do fd = open(SystemPath(path).c_str(), flags | O_CLOEXEC, 0666);
  while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace

std::string SystemPath(const ByteString& path) {
  std::string utf8 = ConvertCharset(path);
  for (char& c : utf8)
    if (c == '\\') c = '/';
  if (Exists(utf8)) return utf8;

  // Walk the components, keeping those that exist and replacing the others
  // by an entry of the same folded name where there is one.
  std::string resolved;
  size_t start = 0;
  if (!utf8.empty() && utf8[0] == '/') resolved = "/", start = 1;
  while (start <= utf8.size()) {
    size_t slash = utf8.find('/', start);
    if (slash == std::string::npos) slash = utf8.size();
    std::string component = utf8.substr(start, slash - start);
    if (!component.empty() && component != "." && component != "..") {
      std::string candidate = resolved + component;
      if (!Exists(candidate)) {
        std::string folded = FindFolded(resolved, component);
        if (!folded.empty()) candidate = resolved + folded;
      }
      resolved = candidate;
    } else {
      resolved += component;
    }
    if (slash < utf8.size()) resolved += '/';
    start = slash + 1;
  }
  return resolved;
}

void SelectOemCodePage() {}

FileNumber OpenExistingForReading(const std::string& path) { return Register(OpenResolved(path, O_RDONLY)); }

FileNumber OpenOrCreateForUpdate(const std::string& path) { return Register(OpenResolved(path, O_RDWR | O_CREAT)); }

FileNumber CreateOrEmptyForWriting(const std::string& path) {
  return Register(OpenResolved(path, O_WRONLY | O_CREAT | O_TRUNC));
}

size_t ReadBytes(FileNumber file, char* buffer, size_t size) {
  int fd = Descriptor(file);
  if (fd < 0) return 0;
  ssize_t n;
  do n = read(fd, buffer, size);
  while (n < 0 && errno == EINTR);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

bool WriteBytes(FileNumber file, const char* data, size_t size) {
  int fd = Descriptor(file);
  if (fd < 0) return false;
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool SeekFile(FileNumber file, int64_t offset) {
  int fd = Descriptor(file);
  return fd >= 0 && offset >= 0 && lseek(fd, static_cast<off_t>(offset), SEEK_SET) == offset;
}

int64_t FileSize(FileNumber file) {
  int fd = Descriptor(file);
  struct stat st;
  if (fd < 0 || fstat(fd, &st) != 0) return -1;
  return st.st_size;
}

bool IsOpen(FileNumber file) { return Descriptor(file) >= 0; }

void CloseFile(FileNumber file) {
  int fd = Descriptor(file);
  if (fd < 0) return;
  close(fd);
  FileTable()[file - 1] = -1;
}

void CloseAllFiles() {
  std::vector<int>& table = FileTable();
  for (size_t i = 0; i < table.size(); ++i) CloseFile(static_cast<FileNumber>(i + 1));
  table.clear();
}

bool RemoveFile(const std::string& path) { return unlink(SystemPath(path).c_str()) == 0; }

bool MakeDirectory(const std::string& path) { return mkdir(SystemPath(path).c_str(), 0777) == 0; }

bool FindEntryAttributes(const std::string& path, unsigned* attributes) {
  std::string resolved = SystemPath(path);
  struct stat st;
  if (resolved.empty() || stat(resolved.c_str(), &st) != 0) return false;
  unsigned a = 0;
  if (S_ISDIR(st.st_mode)) a |= kDirectory;
  else if (S_ISREG(st.st_mode)) a |= kArchive;
  else a |= kSystem;
  if (!(st.st_mode & S_IWUSR)) a |= kReadOnly;
  size_t slash = resolved.find_last_of('/');
  std::string name = slash == std::string::npos ? resolved : resolved.substr(slash + 1);
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") a |= kHidden;
  *attributes = a;
  return true;
}

std::string GetEnvironment(const std::string& name) {
  const char* value = std::getenv(ConvertCharset(name).c_str());
  return value ? CodePageFromUtf8(value) : std::string();
}

LocalTime GetLocalTime() {
  struct timeval now;
  gettimeofday(&now, nullptr);
  struct tm local;
  time_t seconds = now.tv_sec;
  localtime_r(&seconds, &local);
  return LocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                   local.tm_min,         local.tm_sec,     static_cast<int>(now.tv_usec / 1000)};
}

uint32_t ProcessId() { return static_cast<uint32_t>(getpid()); }

bool RunAndWait(const std::string& commandLine) {
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) return false;
  std::vector<std::string> args;
  for (const std::string& word : words) args.push_back(ConvertCharset(word));
  // The program is a path like any other; its arguments reach it as written.
  args[0] = SystemPath(words[0]);
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  // Signals this program ignores while it runs are the child's own again,
  // as a Windows child does not inherit its parent's control handler.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : {SIGINT, SIGQUIT, SIGHUP, SIGTSTP}) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  pid_t pid;
  bool searchPath = args[0].find('/') == std::string::npos;
  int rc = searchPath ? posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ)
                      : posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) return false;
  int status;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return true;
}

}  // namespace platform
