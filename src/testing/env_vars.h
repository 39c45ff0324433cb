// Environment variables set and removed by tests, for this process and the
// programs it starts. Names and values are code page byte strings, read back
// by platform::GetEnvironment as written.
#pragma once

#include <string>

/// Sets the variable. False when the system refuses.
bool SetEnvVar(const std::string& name, const std::string& value);

/// Removes the variable; removing one that is not set succeeds.
bool UnsetEnvVar(const std::string& name);

/// Sets a variable for the life of the object and restores the earlier
/// value (or its absence) afterwards.
class ScopedEnvVar {
 public:
  ScopedEnvVar(const std::string& name, const std::string& value);
  ~ScopedEnvVar();
  ScopedEnvVar(const ScopedEnvVar&) = delete;
  ScopedEnvVar& operator=(const ScopedEnvVar&) = delete;

 private:
  std::string name_;
  std::string previous_;  // in the system's own form
  bool wasSet_;
};

