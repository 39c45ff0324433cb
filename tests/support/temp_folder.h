// SPDX-License-Identifier: MIT
// Test support: a fresh folder for one test or fuzz run, removed with
// everything in it afterwards (every file the platform still holds open is
// closed first).
#pragma once

#include <string>

namespace testing_support {

/// A folder made when the object is created, under the system's temporary
/// directory with a name no other test uses, and removed when it goes.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// The folder as the core names paths (no final separator).
  const std::string& path() const { return path_; }

  /// The folder as a directory value of the core, ending in a backslash.
  std::string Dir() const { return path_ + "\\"; }

  /// A file in the folder, joined with a backslash as the core joins paths.
  std::string Path(const std::string& file) const { return path_ + "\\" + file; }
  std::string operator/(const std::string& file) const { return Path(file); }

  /// The same file as the test's own library names it.
  std::string NativePath(const std::string& file) const;

  /// Removes everything inside the folder; the folder stays.
  void Clear() const;

 private:
  std::string path_;
};

}  // namespace testing_support
