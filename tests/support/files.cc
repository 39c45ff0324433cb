// SPDX-License-Identifier: MIT
// Test support: whole-file reads and writes and existence checks, all
// through the platform layer so that tests see paths as the program does.
#include "support/files.h"

#include "platform/platform.h"

namespace testing_support {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  platform::FileNumber file = platform::CreateOrEmptyForWriting(path);
  if (file == 0) return false;
  bool written = bytes.empty() || platform::WriteBytes(file, bytes.data(), bytes.size());
  platform::CloseFile(file);
  return written;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  platform::FileNumber file = platform::OpenExistingForReading(path);
  if (file == 0) return false;
  char buffer[16384];
  while (size_t n = platform::ReadBytes(file, buffer, sizeof buffer)) bytes.append(buffer, n);
  platform::CloseFile(file);
  return true;
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  ReadWholeFile(path, bytes);
  return bytes;
}

bool FileExists(const std::string& path) {
  unsigned attributes = 0;
  return platform::FindEntryAttributes(path, &attributes);
}

bool DirectoryExists(const std::string& path) {
  unsigned attributes = 0;
  return platform::FindEntryAttributes(path, &attributes) && (attributes & platform::kDirectory) != 0;
}

}  // namespace testing_support
