// SPDX-License-Identifier: MIT
// Test folders under the system's temporary directory. Process ids repeat
// under Wine, so names come from a random device and a counter.
#include "support/temp_folder.h"

#include <filesystem>
#include <random>
#include <system_error>

#include "platform/platform.h"

namespace testing_support {
namespace {

// Read-only files could not be removed on Windows.
void MakeWritable(const std::string& path) {
  std::error_code error;
  for (std::filesystem::recursive_directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ignored);
  }
}

}  // namespace

TempFolder::TempFolder(const std::string& tag) {
  // A folder starts with no file of an earlier test left open. Touching the
  // platform's file table first also makes it outlive a folder kept for
  // the whole process, whose removal at exit closes files through it.
  platform::CloseAllFiles();
  static std::random_device random;
  static unsigned counter = 0;
  std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    std::filesystem::path candidate = base / ("orvtest_" + tag + (tag.empty() ? "" : "_") + std::to_string(random()) +
                                              "_" + std::to_string(++counter));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempFolder::~TempFolder() {
  platform::CloseAllFiles();
  MakeWritable(path_);
  std::error_code error;
  std::filesystem::remove_all(path_, error);
}

void TempFolder::Clear() const {
  platform::CloseAllFiles();
  MakeWritable(path_);
  std::error_code error;
  for (std::filesystem::directory_iterator it(path_, error), end; !error && it != end; it.increment(error)) {
    std::error_code ignored;
    std::filesystem::remove_all(it->path(), ignored);
  }
}

std::string TempFolder::NativePath(const std::string& file) const {
  return (std::filesystem::path(path_) / std::filesystem::path(file).make_preferred()).string();
}

}  // namespace testing_support
