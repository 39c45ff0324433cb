// SPDX-License-Identifier: MIT
// Everything the core needs from the operating system, in task-shaped
// operations that absorb soft errors: files by small file numbers,
// directories, attributes, environment, clock and processes. Paths,
// environment values and command lines are byte strings in the suite's
// DOS code page; each implementation converts them at the boundary.
// The file operations are implemented by files.cc, over the file system in
// use (file_system.h); environment, clock and processes by services.cc,
// over the services in use (services.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

/// A file number: a small positive number naming an open file; 0 names none.
using FileNumber = int;

/// Selects the OEM code page for every conversion between byte strings and
/// the system's text. Called once, before anything is read.
void SelectOemCodePage();

/// Opens an existing file for reading, shared for reading and writing with
/// other processes. Returns the next free file number, or 0 on failure.
/// Like every open, it takes plain files only and never waits: a
/// directory, a device or a pipe fails at once.
FileNumber OpenExistingForReading(const std::string& path);

/// Opens a file for reading and writing, shared, creating it when missing.
/// Returns the next free file number, or 0 on failure.
FileNumber OpenOrCreateForUpdate(const std::string& path);

/// Opens a file for writing, shared, creating it when missing and emptying
/// it when it exists. Returns the next free file number, or 0 on failure.
FileNumber CreateOrEmptyForWriting(const std::string& path);

/// Creates a file for writing, shared, only when no entry of that name
/// exists at that moment, in one step that no other process, on this
/// machine or another one sharing the folder, can come between. Returns the
/// next free file number, or 0 when the name is taken or the file cannot be
/// made; an entry that is there is never touched.
FileNumber CreateNewForWriting(const std::string& path);

/// Reads up to `size` bytes at the file's position. Returns the number of
/// bytes read: 0 at the end of the file, on failure or for file number 0.
size_t ReadBytes(FileNumber file, char* buffer, size_t size);

/// Reads exactly `size` bytes starting `offset` bytes from the file's start.
/// False when the file holds fewer or the reading fails.
bool ReadBytesAt(FileNumber file, int64_t offset, char* buffer, size_t size);

/// Writes `size` bytes at the file's position. False when not all were written.
bool WriteBytes(FileNumber file, const char* data, size_t size);

/// Moves the file's position to `offset` bytes from its start. False on failure.
bool SeekFile(FileNumber file, int64_t offset);

/// The file's size in bytes, or -1 on failure.
int64_t FileSize(FileNumber file);

/// Closes the file; its number becomes free. Closing 0 or a closed number does nothing.
void CloseFile(FileNumber file);

/// Closes every file still open.
void CloseAllFiles();

/// Deletes a file. False on failure.
bool RemoveFile(const std::string& path);

/// Creates one directory level. False on failure (it may exist already).
bool MakeDirectory(const std::string& path);

/// Directory entry attributes, as the suite's file system knows them.
enum Attribute : unsigned {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kVolumeLabel = 8,
  kDirectory = 16,
  kArchive = 32,
};

/// Finds the directory entry `path` names (read-only, hidden and system
/// entries and directories included) and stores the attributes of that
/// entry. The name is no pattern: a path holding "?" or "*" finds nothing
/// on a system whose names cannot hold them; nor does a path ending in a
/// separator. False when there is none or the query fails.
bool FindEntryAttributes(const std::string& path, unsigned* attributes);

/// The full path of the entry `path` finds, in its own letter case, as the
/// system names it (for the trace); empty when there is none.
std::string FoundEntryPath(const std::string& path);

/// The value of an environment variable; empty when unset.
std::string GetEnvironment(const std::string& name);

/// The local clock, not converted to any other zone.
struct LocalTime {
  int year, month, day;  // 2026, 1..12, 1..31
  int hour, minute, second, millisecond;
};
/// The local date and time now.
LocalTime GetLocalTime();

/// A number that differs between processes running at the same time.
uint32_t ProcessId();

/// 64 bits from the system's random source, which differ between runs
/// started in the same instant, on one machine or on several that share a
/// folder. Never waits for the source to fill; 0 when it gives nothing.
uint64_t RandomSeed();

/// A clock that only goes forward, in milliseconds from any start.
int64_t Milliseconds();

/// How a program run by RunAndWait went.
struct ProgramRun {
  bool started = false;      // false when it could not be started
  long exitCode = 0;         // its exit code, once it has ended
  int64_t milliseconds = 0;  // from its start to its end
  std::string failure;       // why it did not start, the system's text (while the trace is on)
};

/// Starts a program from a command line (the first word names it; the
/// system's program search applies), with its window shown normally, no
/// handles inherited and normal priority, and waits for it without a time
/// limit. The program does not act on the result; the trace reports it.
ProgramRun RunAndWait(const std::string& commandLine);

}  // namespace platform
