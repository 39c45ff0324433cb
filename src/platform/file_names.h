// SPDX-License-Identifier: MIT
// File names compared the way a Windows file system compares them: without
// regard to letter case, for every letter of the DOS code page that has a
// capital in it, not only the ASCII ones (a wider rule than the suite's own
// FoldUpper of common/text.h); and the separators of a path's levels.
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

/// True for a backslash or a slash: either separates the levels of a path,
/// on every file system the program runs on.
inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace platform
