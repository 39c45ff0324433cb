// Test support: files written through the platform layer, and a change of
// the current directory that is undone at the end of the test.
#pragma once

#include <string>

#include "testing/temp_folder.h"

namespace testing_support {

/// Creates or empties the file and writes `bytes` into it. False on failure.
bool WriteTestFile(const std::string& path, const std::string& bytes);

/// True when `path` names an existing directory.
bool DirectoryExists(const std::string& path);

/// Makes `path` (a folder in the program's path form) the current directory
/// until the object is destroyed.
class ScopedCurrentDirectory {
 public:
  explicit ScopedCurrentDirectory(const std::string& path);
  ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
  ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
  ~ScopedCurrentDirectory();

  /// False when the change failed.
  bool ok() const { return ok_; }

 private:
  std::string previous_;
  bool ok_ = false;
};

}  // namespace testing_support
