// SPDX-License-Identifier: MIT
// The INI reader of the suite: one key of one section of one file per call,
// the file opened, scanned from its start and closed again every time.
#pragma once

#include <cstddef>

#include "common/text.h"
#include "platform/platform.h"

/// Bytes read from the file at a time. Lines may be longer than this.
constexpr size_t kIniReadBufferSize = 4096;

/// Reads the lines of an open INI file in order through one fixed buffer.
/// A line ends at a CR or at a CR LF; a LF on its own is an ordinary byte.
/// A Ctrl-Z byte ends the data: its line ends before it and nothing after it
/// is read.
struct IniLineReader {
  platform::FileNumber file = 0;
  char buffer[kIniReadBufferSize];
  size_t position = 0;       // next unread byte of the buffer
  size_t filled = 0;         // bytes held in the buffer
  bool ended = false;        // end of file, a read failure or a Ctrl-Z met
  bool afterReturn = false;  // the last line ended at a CR: a LF right after it is part of that end
};

/// Starts reading `file` from its current position.
void StartIniLines(IniLineReader& reader, platform::FileNumber file);

/// Reads the next line into `line`, cut before its first ";" (the comment
/// is skipped, never held). Returns false, with `line` empty, once the data
/// has ended and no further line remains. The text after the final line end
/// counts as a line when it is not empty.
bool ReadIniLine(IniLineReader& reader, ByteString& line);

/// The value of `key` in the first section named `section` of the INI file
/// `fileName`. The section and key are trimmed of blanks and compared with
/// the names of the file after upper-case folding. Within that section the
/// first line with the key gives the value: everything after its first "="
/// up to the comment, blanks included, without one pair of double quotes
/// around the whole value. The next section header ends the search.
/// Returns empty text for a missing file, section, key or value; reports
/// no failure. The file is opened shared for reading and writing and is
/// closed before the call returns.
ByteString ReadIniValue(const ByteString& fileName, const ByteString& section, const ByteString& key);
