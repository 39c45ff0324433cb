// SPDX-License-Identifier: MIT
// The state of the HTML document being written: the layout state that the
// head, the attribute tags, the page breaks and the body-line writer share,
// and the document's output, buffered on its way to the file, which can
// hold bytes back until printed text follows them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "common/text.h"
#include "platform/platform.h"

/// Size at which the buffered output is passed to the file. A document is
/// usually larger than the spool file: blocks this big keep the system
/// calls few, and the buffer still fits in a processor's cache.
constexpr size_t kDocumentFlushSize = 256 * 1024;

/// What became of creating a document's file.
enum class DocumentCreation {
  kCreated,    // the file is new, made by this run, and open
  kNameTaken,  // an entry of that name stands there: it was left as it was
  kRefused,    // no entry of that name, yet the file could not be made
};

class DocumentOutput;

/// The memory a document's output is buffered in, made by the first Open
/// of an output that has none. A caller that makes one print run after
/// another in one process (the fuzz targets) keeps it from one run to the
/// next, so that it is allocated once; the program makes one run and one
/// buffer. Only an output makes one, of the size it needs.
class DocumentBuffer {
 private:
  friend class DocumentOutput;
  std::unique_ptr<char[]> bytes_;
};

/// The document file and the bytes on their way to it. Its data belongs to
/// the procedures below alone: writers append through them and never see
/// the buffer, the held bytes or the file's length.
class DocumentOutput {
 public:
  /// True from a successful open until the close: writes reach the file
  /// only then, so a closed document's number, once reused for another
  /// file, is never written through.
  bool IsOpen() const { return open_; }
  /// The number the document was opened under (`htmlFile`), 0 when creating
  /// it failed or none was opened; kept after the close.
  platform::FileNumber File() const { return file_; }
  /// Bytes written but not yet passed to the file.
  size_t Buffered() const { return used_; }

  /// Gives the output a buffer an output made earlier (TakeBuffer), so that
  /// the next Open allocates none; `buffer` is left empty. Only while no
  /// document is open; an empty one changes nothing.
  void AdoptBuffer(DocumentBuffer& buffer);
  /// Hands the output's buffer (none before its first Open) to `buffer`;
  /// the next Open makes a new one unless another is adopted. Only while no
  /// document is open.
  void TakeBuffer(DocumentBuffer& buffer);

  /// Ends the output to a document still open (its buffered bytes are
  /// written and the file closed, with no tail), then creates `path`,
  /// shared for reading and writing, only when no entry of that name
  /// exists: a file of another run or of the user is never emptied. When
  /// the file is not made, later writes are dropped; the answer tells a
  /// name that is taken (worth another name) from a folder that refuses.
  DocumentCreation Open(const ByteString& path);

  /// Appends printed bytes; bytes held back (Hold) are first put in their
  /// place. Dropped silently when no document is open; a failed write to
  /// the file is skipped the same way. Writing nothing (size 0) releases
  /// nothing.
  void Write(const char* data, size_t size);
  void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }

  /// Room at the end of the output for `size` printed bytes, `size` at most
  /// kDocumentFlushSize, while a document is open: the bytes written there
  /// count once passed to Commit. Bytes held back are put in their place
  /// first, as for Write, so ask only when at least one byte follows.
  char* Room(size_t size) {
    if (holding_) ReleaseHeld();
    if (kBufferSize - used_ < size) Flush();
    return buffer_.bytes_.get() + used_;
  }
  /// Counts `size` bytes written at Room as output.
  void Commit(size_t size) {
    used_ += size;
    if (used_ >= kDocumentFlushSize) Flush();
  }

  /// Appends the bytes and a line end (CR LF).
  void WriteLine(std::string_view bytes);

  /// Appends markup that prints nothing (attribute tags): bytes held back
  /// stay held, in front of it.
  void WriteTag(std::string_view bytes) {
    if (!open_) return;
    // A tag is a few bytes, and what is buffered stays below the flush size:
    // it fits at once.
    if (bytes.size() <= kDocumentFlushSize) {
      std::memcpy(buffer_.bytes_.get() + used_, bytes.data(), bytes.size());
      Commit(bytes.size());
      return;
    }
    Append(bytes.data(), bytes.size());
  }

  /// WriteTag for a tag of at most four bytes: `bytes` holds four readable
  /// bytes, of which the first `size` are the tag.
  void WriteShortTag(const char* bytes, size_t size) {
    if (!open_) return;
    std::memcpy(buffer_.bytes_.get() + used_, bytes, 4);  // below the flush size there is room for four
    Commit(size);
  }

  /// Holds `bytes` back at the current place of the output: the next
  /// printed byte puts them there, ahead of any tags written in between;
  /// the end of the document (DropHeld, Close) leaves them out. Memory
  /// stays bounded however many tags follow: the tags reach the file as
  /// usual and the held bytes are inserted into it when needed. Bytes held
  /// earlier are put in their place first. Nothing when no document is open.
  void Hold(std::string_view bytes);

  /// Forgets bytes held back by Hold.
  void DropHeld();

  /// Passes the buffered bytes to the file. Bytes the file refuses are dropped.
  void Flush();

  /// Flushes and closes the document file, leaving held bytes out. File()
  /// keeps its number. Does nothing when no document is open.
  void Close();

 private:
  void Append(const char* data, size_t size);
  void ReleaseHeld();
  bool InsertIntoFile(int64_t at, const std::string& bytes);

  // Twice the flush size: what is buffered stays below the flush size
  // between calls, so a write below it always fits.
  static constexpr size_t kBufferSize = 2 * kDocumentFlushSize;

  ByteString path_;  // where the file was created: read back to insert held bytes
  platform::FileNumber file_ = 0;
  bool open_ = false;
  DocumentBuffer buffer_;  // kBufferSize bytes once a document was opened
  size_t used_ = 0;        // bytes of the buffer written but not yet passed to the file
  int64_t flushed_ = 0;    // bytes passed to the file since it was opened

  // Bytes held back at a place in the output (the last page-break block):
  // they go there once printed text follows, and are left out when the
  // document ends first, so that a report does not end on an empty sheet.
  bool holding_ = false;
  std::string held_;
  int64_t heldAt_ = 0;  // offset in the document where the held bytes belong
};

/// The layout state the document writers share. One value lives for a whole
/// print run; BeginDocument resets the per-document part of it.
struct DocumentState {
  ByteString htmlPath;        // full path of the document; set before BeginDocument
  int16_t currentPitch = 10;  // characters per inch of the text now printed
  int16_t pageCount = 0;      // pages begun in this document
  int16_t pageLineCount = 0;  // line ends written on the current page
  int16_t outColumn = 0;      // character cells already written on the current output line

  // The pending leader fill: set by the print run (SetLeaderFill), consumed
  // by the next body text.
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

  DocumentOutput output;  // the file `htmlFile` and what goes into it
};
