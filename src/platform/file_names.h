// SPDX-License-Identifier: MIT
// File names compared the way a Windows file system compares them: without
// regard to letter case, for every letter of the DOS code page that has a
// capital in it, not only the ASCII ones; and paths that name nothing.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

/// The code page name with every lower-case letter that has a capital in
/// the code page replaced by that capital (a-z, and accented letters such
/// as e acute, a grave or o slash). Two names that fold alike name one file.
std::string FoldFileName(const std::string& name);

/// Appends the folded form of `size` bytes at `name` to `out`.
void AppendFoldedFileName(std::string& out, const char* name, size_t size);

/// True for a path that names no entry on any file system: one holding a
/// NUL byte, which the system's interfaces would take for its end and so
/// reach a shorter path the program never asked for.
inline bool NamesNothing(const std::string& path) { return path.find('\0') != std::string::npos; }

}  // namespace platform
