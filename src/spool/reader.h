// The printer spool file of the suite's host application: reading it line
// by line and taking each line apart into its kind and fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/text.h"
#include "platform/platform.h"

/// Bytes read from the spool file at a time. Memory stays bounded by this
/// and the longest line, never by the size of the file.
constexpr size_t kSpoolBufferSize = 64 * 1024;

/// One reading of a spool file.
struct SpoolReader {
  platform::FileNumber file = 0;      // 0 when no file is open
  std::unique_ptr<char[]> buffer;     // kSpoolBufferSize bytes once opened
  int64_t bufferStart = 0;            // file offset of the buffer's first byte
  size_t position = 0;                // next unread byte of the buffer
  size_t filled = 0;                  // bytes of the buffer holding data
  bool atEnd = true;                  // no data left: end of file or Ctrl-Z
  int16_t lastTextColumn = 0;         // column of the latest text line with a comma
  // The longest line handed out; a longer one is passed over like one
  // there is no memory for. Kept by OpenSpoolFile.
  size_t longestLine = SIZE_MAX;
};

/// One line taken apart. Only the fields of its kind are set; the others
/// stay empty or 0.
struct SpoolLine {
  enum Kind { Send, Device, Page, Attribute, Alignment, Text, Blank };
  Kind kind = Blank;
  ByteString recipient;   // Send: the first field, trimmed
  ByteString directory;   // Send: the second field, trimmed
  ByteString codes;       // Attribute: after the "*", trimmed and upper-cased
  char mode = 0;          // Alignment: the mode letter as written; 0 when none
  int16_t fillColumn = 0; // Alignment, mode 'N': the column to fill up to
  ByteString leaderText;  // Alignment, mode 'N': between the first two backslashes
  int16_t column = 0;     // Text: where the text starts, 1 for the first cell
  ByteString text;        // Text: the text as written, commas and blanks kept
  int16_t lineEnds = 0;   // Text: line ends to write after the text
};

/// Opens the spool file at `path` for reading, shared with other processes,
/// and starts a fresh reading (`lastTextColumn` 0). A file that is missing
/// or cannot be opened reads as an empty file.
void OpenSpoolFile(SpoolReader& reader, const ByteString& path);

/// True when no line is left: no bytes remain, or the next byte is 1A hex
/// (Ctrl-Z), after which nothing is read.
bool SpoolAtEnd(SpoolReader& reader);

/// The next line without its line end. A line ends at CR LF, at a CR alone,
/// at a Ctrl-Z or at the end of the file; a LF alone is part of the line.
/// Returns the empty string when no line is left.
///
/// A line longer than the buffer is measured first and then read in at
/// once, so it takes memory of its own length only. A line there is no
/// memory for (or longer than `longestLine`) is passed over to its end and
/// reads as an empty line; the next call returns the line after it. One
/// line is lost, never the rest of the file.
ByteString ReadSpoolLine(SpoolReader& reader);

/// True when `line`, after its leading blanks, begins with "SEND" in any
/// letter case.
bool IsSendLine(const ByteString& line);

/// The kind of `line` and its fields. A text line that holds a comma sets
/// `lastTextColumn` from the number before it; every text line takes its
/// column from `lastTextColumn`. Never fails: any line has a kind.
SpoolLine ClassifySpoolLine(SpoolReader& reader, const ByteString& line);

/// Closes the spool file; the reader is then at its end. Closing a reader
/// that is not open does nothing.
void CloseSpoolFile(SpoolReader& reader);
