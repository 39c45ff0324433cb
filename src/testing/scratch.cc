// Test support: scratch folders and the current directory. The folder names
// carry the process id and a counter, so parallel test processes never meet.
#include "testing/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

// The system's form of a path made by ScratchFolder: on POSIX the backslashes
// become slashes; Windows takes the path as it is.
fs::path Native(const std::string& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return fs::path(native);
#endif
}

}  // namespace

ScratchFolder::ScratchFolder() {
  static unsigned counter = 0;
  std::string base = ::testing::TempDir();
  if (!base.empty() && base.back() != '/' && base.back() != '\\') base += '/';
  for (;;) {
    std::string candidate =
        base + "orvtest-" + std::to_string(platform::ProcessId()) + "-" + std::to_string(++counter);
    std::error_code error;
    if (fs::create_directory(Native(candidate), error)) {
      path_ = candidate;
      return;
    }
    if (!fs::exists(Native(candidate), error)) {
      ADD_FAILURE() << "cannot create a scratch folder in " << base;
      path_ = candidate;
      return;
    }
  }
}

ScratchFolder::~ScratchFolder() {
  platform::CloseAllFiles();
  std::error_code error;
  // Read-only files could not be removed on Windows.
  for (fs::recursive_directory_iterator it(Native(path_), error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(Native(path_), error);
}

bool WriteTestFile(const std::string& path, const std::string& bytes) {
  platform::FileNumber file = platform::CreateOrEmptyForWriting(path);
  if (file == 0) return false;
  bool written = platform::WriteBytes(file, bytes.data(), bytes.size());
  platform::CloseFile(file);
  return written;
}

bool DirectoryExists(const std::string& path) {
  unsigned attributes = 0;
  return platform::FindEntryAttributes(path, &attributes) && (attributes & platform::kDirectory) != 0;
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& path) {
  std::error_code error;
  previous_ = fs::current_path(error).string();
  if (error) return;
  fs::current_path(Native(path), error);
  ok_ = !error;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  if (!ok_) return;
  std::error_code error;
  fs::current_path(fs::path(previous_), error);
}

}  // namespace testing_support
