// SPDX-License-Identifier: MIT
// File-system helpers of the start-up and the print run: creating every
// level of a directory path, inventing a free document name, telling
// whether a path names an ordinary file. Paths are code page byte strings
// in which only the backslash separates levels and a colon marks a drive.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/text.h"
#include "platform/platform.h"

/// The longest path any system takes (32767 UTF-16 units on Windows, far
/// fewer elsewhere): a directory level longer than this can never be made.
constexpr size_t kLongestDirectoryPath = 32767;

/// The directories MakeDirectoryPath creates for `path`, outermost first:
/// the path up to each backslash after the drive colon (or after the first
/// character when there is no colon), then the whole path. A backslash
/// right after the colon or at the very start never ends a level, so a
/// drive root is a level only in a path such as "C:\"; a final backslash
/// adds no level; "C:" and the empty path give none. The list stops before
/// the first level longer than kLongestDirectoryPath.
std::vector<ByteString> DirectoryLevels(const ByteString& path);

/// Creates every level of `path` (see DirectoryLevels), outermost first,
/// holding one level at a time. Each creation that fails (level exists,
/// drive root, refused) is ignored.
void MakeDirectoryPath(const ByteString& path);

/// True for directory entry attributes that make an ordinary file: the
/// archive bit, or no type bit at all (volume label, directory, archive),
/// and none of read-only, hidden and system.
bool IsPlainFileAttributes(unsigned attributes);

/// True when the first directory entry matching `path` is an ordinary file
/// (see IsPlainFileAttributes). False for a missing path, a directory
/// without the archive bit, a read-only, hidden or system file, and on any
/// failure of the query.
bool PlainFileExists(const ByteString& path);

/// The generator seed of one naming attempt: the time of day in hundredths
/// of a second, with the process id in the upper half so that two runs in
/// the same hundredth seed differently, the run's bits of the system's
/// random source mixed in (0 leaves the rest as it is) so that runs of the
/// same process id on machines sharing a folder do too, and the number of
/// attempts the run made before mixed in (attempt 0 leaves the rest as it
/// is), so that the next attempt in the same hundredth gives another name.
uint64_t UniqueNameSeed(const platform::LocalTime& time, uint32_t processId, uint64_t random, uint32_t attempt);

/// What a run names its documents from besides the clock and the process
/// id: the random source's bits, read once when the run starts, and the
/// count of names it tried, which grows by one with each.
struct NameSource {
  uint64_t random = 0;
  uint32_t attempts = 0;
};

/// One candidate name: the directory (blanks trimmed; a backslash added
/// unless it is empty or ends in a colon, backslash or slash), the first
/// three characters of the trimmed prefix, random characters 0-9 and A-Z
/// drawn from a generator seeded with `seed` until prefix and random part
/// are 8 characters long, then, unless the trimmed extension (without a
/// leading full stop) is empty, a full stop and its first three characters.
/// The same arguments always give the same name.
ByteString BuildUniqueFileName(const ByteString& directory, const ByteString& prefix, const ByteString& extension,
                               uint64_t seed);

/// A path in `directory` of the form BuildUniqueFileName makes for which
/// PlainFileExists is false, each attempt seeded from the clock, the
/// process id and `source` (its count grows by one each attempt): a name
/// that is taken is followed at once by another, without waiting for the
/// clock. The file is not created and the directory not checked: a file
/// of that name may still appear before the caller creates it, which it
/// does only when the name is free at that moment.
ByteString MakeUniqueFileName(const ByteString& directory, const ByteString& prefix, const ByteString& extension,
                              NameSource& source);
