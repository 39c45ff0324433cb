// SPDX-License-Identifier: MIT
// Test support: the system's own calls for changing the environment and the
// current directory. The
// Windows build changes the process environment block, which is where the
// program reads its variables.
#include "support/environment.h"

#include <filesystem>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace testing_support {
namespace {

bool Read(const std::string& name, std::string* value) {
#ifdef _WIN32
  SetLastError(ERROR_SUCCESS);
  DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (n == 0) return false;  // unset (an empty value still needs room for its terminator)
  std::string buffer(n, '\0');
  n = GetEnvironmentVariableA(name.c_str(), &buffer[0], n);
  buffer.resize(n);
  *value = buffer;
  return true;
#else
  const char* found = std::getenv(name.c_str());
  if (!found) return false;
  *value = found;
  return true;
#endif
}

void Write(const std::string& name, const std::string* value) {
#ifdef _WIN32
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
#else
  if (value)
    setenv(name.c_str(), value->c_str(), 1);
  else
    unsetenv(name.c_str());
#endif
}

// The system's form of a test path: on POSIX the backslashes become
// slashes; Windows takes the path as it is.
std::filesystem::path Native(const std::string& path) {
#ifdef _WIN32
  return std::filesystem::path(path);
#else
  std::string native = path;
  for (char& c : native)
    if (c == '\\') c = '/';
  return std::filesystem::path(native);
#endif
}

}  // namespace

ScopedEnvironment::~ScopedEnvironment() {
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) Write(it->name, it->wasSet ? &it->value : nullptr);
}

void ScopedEnvironment::Remember(const std::string& name) {
  for (const Saved& s : saved_)
    if (s.name == name) return;
  Saved s{name, false, std::string()};
  s.wasSet = Read(name, &s.value);
  saved_.push_back(s);
}

void ScopedEnvironment::Set(const std::string& name, const std::string& value) {
  Remember(name);
  Write(name, &value);
}

void ScopedEnvironment::Unset(const std::string& name) {
  Remember(name);
  Write(name, nullptr);
}

ScopedCurrentDirectory::ScopedCurrentDirectory(const std::string& path) {
  std::error_code error;
  previous_ = std::filesystem::current_path(error).string();
  if (error) return;
  std::filesystem::current_path(Native(path), error);
  ok_ = !error;
}

ScopedCurrentDirectory::~ScopedCurrentDirectory() {
  if (!ok_) return;
  std::error_code error;
  std::filesystem::current_path(std::filesystem::path(previous_), error);
}

}  // namespace testing_support
