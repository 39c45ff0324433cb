// Test support: a fresh folder per test under the test framework's temporary
// folder, files written into it through the platform layer, and a change of
// the current directory that is undone at the end of the test.
#pragma once

#include <string>

namespace testing_support {

/// A new, empty folder with a name no other test or process uses. The
/// destructor closes every file still open (an open file could not be
/// removed on Windows) and removes the folder with everything in it,
/// read-only files included.
class ScratchFolder {
 public:
  ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder();

  /// The folder as the program names paths, without a final separator.
  const std::string& path() const { return path_; }

  /// `relative` (levels separated by backslashes) inside the folder.
  std::string In(const std::string& relative) const { return path_ + "\\" + relative; }

 private:
  std::string path_;
};

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
