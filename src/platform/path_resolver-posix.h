// SPDX-License-Identifier: MIT
// Program paths on POSIX systems: backslashes become "/", the code page
// bytes become UTF-8, and a level that does not exist as written is
// looked up without regard to letter case, as a Windows file system would
// find it (the suite names one file "OrvPrint.ini" and "ORVPRINT.INI").
//
// Look-ups stay cheap however many entries a folder holds and however deep
// a path goes: the folders found lately are kept open, each with the index
// of its names, so that a path is followed from the deepest kept folder it
// passes through, one check that the path still leads there, and a name is
// looked up in the index while the folder's time stamps say nothing changed.
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

/// Resolves the folders of `path` only: `name` is the last name as written
/// and `exists` is true only for the folder itself ("."), for a caller
/// whose own system call on that name tells whether it is there (an
/// exclusive creation, a status query), so that it is not asked twice.
/// FindMatchingName then tells whether it is there in another letter case.
ResolvedPath ResolveFolder(const std::string& path);

/// The name of the entry that matches the last name of the path resolved
/// last (`resolved`, from ResolveFolder or ResolvePath) without regard to
/// letter case: the name itself when it is there, another spelling of it,
/// or empty when there is none. Answered from the folder's index; a name
/// another program added within a tick of the index's reading is found
/// all the same.
std::string FindMatchingName(const ResolvedPath& resolved);

/// True when `path` names a folder that the resolver holds open and that
/// the path still leads to: one system call, where making it again would
/// fail only to say that it is there.
bool IsKnownFolder(const std::string& path);

/// The path as the system names it (ResolvePath's systemPath).
std::string SystemPath(const std::string& path);

/// Tells the resolver that the entry `resolved` names (the path resolved
/// last) was just created or removed, so that the folder's index stays
/// right without being read again.
void NoteEntryCreated(const ResolvedPath& resolved);
void NoteEntryRemoved(const ResolvedPath& resolved);

/// After NoteEntryCreated for a folder the program just made: keeps it
/// open, known to be empty, so that the first look-up in it reads nothing.
void NoteFolderCreated(const ResolvedPath& resolved);

/// The name was found taken by a creation that the index said could go
/// ahead: the index missed a change, and the folder is read again when it
/// is next needed.
void NoteNameTaken(const ResolvedPath& resolved);

}  // namespace platform
