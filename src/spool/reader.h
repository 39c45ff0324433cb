// SPDX-License-Identifier: MIT
// The printer spool file of the suite's host application: reading it line
// by line, and taking each line apart into its kind and fields. The two are
// apart: the reader hands out bytes, the classifier keeps the column that
// text lines carry over from one to the next.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/text.h"
#include "platform/platform.h"

/// Bytes read from the spool file at a time. Memory stays bounded by this
/// and the longest line, never by the size of the file.
constexpr size_t kSpoolBufferSize = 64 * 1024;

/// One reading of a spool file. Lines are handed out where they lie in the
/// buffer; only a line longer than the buffer gets memory of its own.
struct SpoolReader {
  platform::FileNumber file = 0;   // 0 when no file is open
  std::unique_ptr<char[]> buffer;  // kSpoolBufferSize bytes once opened
  size_t position = 0;             // next unread byte of the buffer
  size_t filled = 0;               // bytes of the buffer holding data
  int64_t bufferStart = 0;         // file offset of the buffer's first byte
  int64_t readOffset = 0;          // file offset the next read starts at
  bool dataEnds = true;            // the buffered bytes are the last: end of file or Ctrl-Z
  bool crPending = false;          // a CR ended the buffered bytes: a LF read next belongs to it
  // The longest line handed out; a longer one is passed over like one
  // there is no memory for. Kept by OpenSpoolFile.
  size_t longestLine = SIZE_MAX;
  ByteString longLine;  // the latest line longer than the buffer
  // What the trace tells of the reading; kept where it costs nothing per line.
  int64_t ctrlZAt = -1;          // file offset of the Ctrl-Z that ended the data, -1 when none
  uint32_t linesPassedOver = 0;  // lines too long to hand out
};

/// One line taken apart. Only the fields of its kind are set; the others
/// stay empty or 0. The views look into the line that was taken apart and
/// are valid as long as it is; codes that upper-casing changed look into
/// the classifier's state instead, valid until its next attribute line.
struct SpoolLine {
  enum Kind { Send, Device, Page, Attribute, Alignment, Text, Blank };
  Kind kind = Blank;
  ByteView recipient;      // Send: the first field, trimmed
  ByteView directory;      // Send: the second field, trimmed
  ByteView codes;          // Attribute: after the "*", trimmed and upper-cased
  char mode = 0;           // Alignment: the mode letter as written; 0 when none
  int16_t fillColumn = 0;  // Alignment, mode 'N': the column to fill up to
  ByteView leaderText;     // Alignment, mode 'N': between the first two backslashes
  int16_t column = 0;      // Text: where the text starts, 1 for the first cell
  ByteView text;           // Text: the text as written, commas and blanks kept
  int16_t lineEnds = 0;    // Text: line ends to write after the text
};

/// Opens the spool file at `path` for reading, shared with other processes. A file that is missing
/// or cannot be opened reads as an empty file.
void OpenSpoolFile(SpoolReader& reader, const ByteString& path);

/// True when no line is left: no bytes remain, or the next byte is 1A hex
/// (Ctrl-Z), after which nothing is read. May read on, so the line last
/// handed out is no longer valid after it.
bool SpoolAtEnd(SpoolReader& reader);

/// The next line without its line end. A line ends at CR LF, at a CR alone,
/// at a Ctrl-Z or at the end of the file; a LF alone is part of the line.
/// Returns the empty line when no line is left.
///
/// The line is valid until the next call of SpoolAtEnd, ReadSpoolLine,
/// OpenSpoolFile or CloseSpoolFile on the reader; nothing is copied while it
/// fits in the buffer. A longer line is measured to its end and then read in
/// at once, so that it takes memory of its own length only, until the next
/// line is read. A line there is no memory for (or longer than
/// `longestLine`) is passed over to its end and reads as an empty line; the
/// next call returns the line after it. One line is lost, never the rest of
/// the file.
ByteView ReadSpoolLine(SpoolReader& reader);

/// IsSendLine for a line that begins with a blank or an "S" in either case.
bool IsSendLineSlow(ByteView line);

/// True when `line`, after its leading blanks, begins with "SEND" in any
/// letter case. Printed lines begin with their column: most are told apart
/// at their first byte, without a call.
inline bool IsSendLine(ByteView line) {
  // 20 hex sets the bit that tells "S" from "s" and leaves a blank a blank.
  return !line.empty() && ((line[0] | 0x20) == 's' || line[0] == ' ') && IsSendLineSlow(line);
}

/// What classifying carries from one line to the next; a fresh value for
/// each reading of a file.
struct ClassifierState {
  int16_t lastTextColumn = 0;  // column of the latest text line with a comma
  ByteString foldedCodes;      // the latest attribute codes that upper-casing changed
};

/// The kind of `line` and its fields, which look into `line` and are valid
/// as long as its bytes are (folded codes: see SpoolLine). A text line that holds a comma sets
/// `lastTextColumn` from the number before it; every text line takes its
/// column from `lastTextColumn`. Never fails: any line has a kind.
SpoolLine ClassifySpoolLine(ByteView line, ClassifierState& state);

/// ClassifySpoolLine into `out`, which is reset first: the print run keeps
/// one SpoolLine for all its lines.
void ClassifySpoolLine(ByteView line, ClassifierState& state, SpoolLine& out);

/// Closes the spool file; the reader is then at its end. Closing a reader
/// that is not open does nothing.
void CloseSpoolFile(SpoolReader& reader);
