// SPDX-License-Identifier: MIT
// Test support: whole files read and written through the platform layer,
// with paths as the core writes them (a native path works as well).
#pragma once

#include <string>

namespace testing_support {

/// Creates or empties the file and writes `bytes` into it. False on failure.
bool WriteWholeFile(const std::string& path, const std::string& bytes);

/// True when the file could be opened; its bytes in `bytes` (empty otherwise).
bool ReadWholeFile(const std::string& path, std::string& bytes);

/// The whole file, or the empty text when it cannot be read.
std::string ReadFileBytes(const std::string& path);

/// True when a file or directory of that name exists; false also when the
/// query fails.
bool FileExists(const std::string& path);

/// True when `path` names an existing directory.
bool DirectoryExists(const std::string& path);

}  // namespace testing_support
