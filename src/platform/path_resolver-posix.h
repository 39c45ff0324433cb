// SPDX-License-Identifier: MIT
// Program paths on POSIX systems: backslashes become "/", the code page
// bytes become UTF-8, and a level that does not exist as written is
// looked up without regard to letter case, as a Windows file system would
// find it (the suite names one file "OrvPrint.ini" and "ORVPRINT.INI").
//
// Look-ups stay cheap however many entries a folder holds and however deep
// a path goes: each folder's names are indexed once and the index is kept
// while the folder's time stamps say nothing changed in it, and the folder
// resolved last is kept open, so that a path one level deeper than the one
// before costs one step.
#pragma once

#include <string>

namespace platform {

/// Where a program path leads.
struct ResolvedPath {
  /// A descriptor of the folder that holds the entry, or -1 when a folder
  /// on the way does not exist (nothing at the path can exist then) or the
  /// path can name nothing (empty, or longer than the system takes). It
  /// belongs to the resolver and stays valid until the next resolution.
  int folder = -1;
  /// The entry's name in that folder: the existing entry's own name when
  /// one matches, else the name as written. Final separators are dropped
  /// ("A/" names A); the root "/" itself is "." in the root.
  std::string name;
  /// True when an entry of that name exists.
  bool exists = false;
  /// The whole path as the system names it.
  std::string systemPath;
};

/// Resolves `path` (a program path). Names that the code page cannot
/// write never match: an entry whose name would lose characters in the
/// code page is found only by its exact name, never by a look-up, and a
/// "?" is a question mark, not a wildcard.
ResolvedPath ResolvePath(const std::string& path);

/// The path as the system names it (ResolvePath's systemPath).
std::string SystemPath(const std::string& path);

/// Tells the resolver that the entry was just created or removed, so that
/// the folder's index stays right without being read again.
void NoteEntryCreated(const ResolvedPath& resolved);
void NoteEntryRemoved(const ResolvedPath& resolved);

}  // namespace platform
