// SPDX-License-Identifier: MIT
// Test support: environment variables and the current directory changed for
// the length of one test and restored afterwards, so that tests of one
// process do not see each other.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

/// Sets and removes environment variables of this process; the destructor
/// gives every variable it touched its earlier value (or removes it again).
class ScopedEnvironment {
 public:
  ScopedEnvironment() = default;
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
  ~ScopedEnvironment();

  /// Gives `name` the value `value` (ASCII text).
  void Set(const std::string& name, const std::string& value);

  /// Removes `name` from the environment.
  void Unset(const std::string& name);

 private:
  struct Saved {
    std::string name;
    bool wasSet;
    std::string value;
  };
  void Remember(const std::string& name);
  std::vector<Saved> saved_;
};

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
