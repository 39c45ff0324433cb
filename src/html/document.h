// SPDX-License-Identifier: MIT
// The state of the HTML document being written, shared by the head, the
// attribute tags, the page breaks and the body-line writer, and the buffered
// output to the document file, which can hold bytes back until printed text
// follows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/text.h"
#include "platform/platform.h"

/// Everything the document writers share. One value lives for a whole print
/// run; BeginDocument resets the per-document part of it.
struct DocumentState {
  ByteString htmlPath;                // full path of the document; set before BeginDocument
  platform::FileNumber htmlFile = 0;  // number the document was opened under, 0 when creating it failed;
                                      // kept after the close
  double printMargin = 0.5;           // left margin of the print style sheet, inches
  int16_t currentPitch = 10;          // characters per inch of the text now printed
  int16_t pageCount = 0;              // pages begun in this document
  int16_t pageLineCount = 0;          // line ends written on the current page
  int16_t outColumn = 0;              // character cells already written on the current output line

  // The pending leader fill: set by the print run, consumed by the next body text.
  int16_t fillColumn = 0;
  ByteString fillText;

  // Emphasis elements left open. Not reset between documents: a tag left
  // open in one document is closed by the next code, wherever it comes.
  bool boldOn = false;
  bool underlineOn = false;
  bool italicOn = false;

  // Set by every BeginDocument, never cleared: a run that began no document
  // has no file to hand to the viewer.
  bool documentBegunInRun = false;

  // Entries of the body writer's saved-text stack; empty between calls.
  ByteString savedTextStack;

  // True from a successful open until the close: writes reach the file only
  // then, so a closed document's number, once reused for another file, is
  // never written through.
  bool documentOpen = false;
  std::string pendingOutput;  // bytes written but not yet passed to the file
  int64_t bytesFlushed = 0;   // bytes passed to the file since it was opened

  // Bytes held back at a place in the output (the last page-break block):
  // they go there once printed text follows, and are left out when the
  // document ends first, so that a report does not end on an empty sheet.
  // Tags written meanwhile are written as usual, after that place.
  bool holding = false;
  std::string heldBytes;
  int64_t heldAt = 0;  // offset in the document where the held bytes belong
};

/// Size at which the buffered output is passed to the file.
constexpr size_t kDocumentFlushSize = 64 * 1024;

/// Ends the output to a document still open (its buffered bytes are written
/// and the file closed, with no tail), then creates `htmlPath` or empties
/// it, shared for reading and writing. `htmlFile` gets the new file number,
/// or 0 when the file could not be created; later writes are then dropped.
void OpenDocumentFile(DocumentState& doc);

/// Appends printed bytes to the document; bytes held back (HoldInDocument)
/// are first put in their place. Dropped silently when no document is open;
/// a failed write to the file is skipped the same way. Writing nothing
/// (size 0) releases nothing.
void WriteToDocument(DocumentState& doc, const char* data, size_t size);
/// The same for a whole byte string.
void WriteToDocument(DocumentState& doc, const std::string& bytes);

/// Appends `count` printed copies of `c` (nothing when `count` is 0 or negative).
void WriteRepeated(DocumentState& doc, char c, long long count);

/// Appends markup that prints nothing (attribute tags): bytes held back
/// stay held, in front of it.
void WriteTagToDocument(DocumentState& doc, std::string_view bytes);

/// Holds `bytes` back at the current place of the output: the next printed
/// byte puts them there, ahead of any tags written in between; the end of
/// the document (DropHeldBytes, CloseDocumentFile) leaves them out. Memory
/// stays bounded however many tags follow: the tags reach the file as
/// usual and the held bytes are inserted into it when needed. Bytes held
/// earlier are put in their place first. Nothing when no document is open.
void HoldInDocument(DocumentState& doc, std::string_view bytes);

/// Forgets bytes held back by HoldInDocument.
void DropHeldBytes(DocumentState& doc);

/// Appends the bytes and a line end (CR LF).
void WriteLineToDocument(DocumentState& doc, const std::string& bytes);

/// Passes the buffered bytes to the file. Bytes the file refuses are dropped.
void FlushDocument(DocumentState& doc);

/// Flushes and closes the document file, leaving held bytes out. `htmlFile`
/// keeps its number. Does nothing when no document is open.
void CloseDocumentFile(DocumentState& doc);
