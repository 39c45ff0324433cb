// Test support: files written through the platform, folders and the current directory.
#include "testing/scratch.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <system_error>

#include "platform/platform.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

// The system's form of a test path: on POSIX the backslashes
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
