// SPDX-License-Identifier: MIT
// Fuzz target for reads past the end of a line: the input is a spool file,
// read by the spool reader from an in-memory file system, and each line is
// copied into a heap block of exactly its size before it is classified and
// its fields written, so the address checks see a byte read past the line
// or past one of its fields. In the program every line lies inside the
// reader's buffer, with its line end or the next line after it, and such a
// read goes unnoticed. The text of a text line goes to the body writer in a
// block of its own, the same size as the text: a text ends where the line
// ends only when its closing comma is missing.
//
// Checked on every run: the body is valid UTF-8 with no control bytes but
// CR LF line ends.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "html/attributes.h"
#include "html/document.h"
#include "html/pages.h"
#include "platform/file_system.h"
#include "platform/memory/files-memory.h"
#include "spool/reader.h"
#include "text/body_writer.h"

namespace {

// A copy of `bytes` in a heap block of exactly their size: a read past its
// end is a read past the block.
class ExactCopy {
 public:
  explicit ExactCopy(ByteView bytes) : bytes_(new char[bytes.size()]), size_(bytes.size()) {
    if (size_ > 0) std::memcpy(bytes_.get(), bytes.data(), size_);
  }
  ByteView View() const { return ByteView(bytes_.get(), size_); }

 private:
  std::unique_ptr<char[]> bytes_;
  size_t size_;
};

// What the print run does with the line, the text from a block of its own.
void HandleLine(ByteView text, ClassifierState& classifier, SpoolLine& line, DocumentState& doc) {
  const ExactCopy copy(text);
  if (IsSendLine(copy.View())) return;  // routing is the program target's
  ClassifySpoolLine(copy.View(), classifier, line);
  if (line.kind == SpoolLine::Text) {
    const ExactCopy bodyText(line.text);
    WriteBodyText(doc, line.column, bodyText.View(), line.lineEnds);
  } else if (line.kind == SpoolLine::Attribute) {
    SetPrintAttributes(doc, line.codes);
  } else if (line.kind == SpoolLine::Alignment) {
    if (line.mode == 'N') SetLeaderFill(doc, line.fillColumn, line.leaderText);
  } else if (line.kind == SpoolLine::Page) {
    BeginPage(doc);
  }
}

// Valid UTF-8, and no control bytes but CR LF pairs.
FUZZ_UNTRACED bool IsCleanBody(const std::string& body) {
  bool crBefore = false, clean = true;
  const bool utf8 = fuzz::DecodeUtf8(body, [&](unsigned long c) {
    if (crBefore != (c == '\n')) clean = false;
    if ((c < 32 && c != '\r' && c != '\n') || c == 127) clean = false;
    crBefore = c == '\r';
  });
  return utf8 && clean && !crBefore;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  platform::MemoryFileSystem files;
  files.AddFile("orvprint.tmp", std::string(reinterpret_cast<const char*>(data), size));
  platform::ScopedFileSystem scoped(files);
  {
    DocumentState doc;
    // The document buffer is too large for the sanitizer's allocator to
    // keep: kept from run to run instead of mapped afresh by each.
    static DocumentBuffer documentBuffer;
    doc.output.AdoptBuffer(documentBuffer);
    doc.output.Open("body.htm");
    SpoolReader reader;
    ClassifierState classifier;
    SpoolLine line;
    OpenSpoolFile(reader, "orvprint.tmp");
    while (!SpoolAtEnd(reader)) HandleLine(ReadSpoolLine(reader), classifier, line, doc);
    CloseSpoolFile(reader);
    doc.output.Close();
    doc.output.TakeBuffer(documentBuffer);
  }
  FUZZ_CHECK(files.OpenFileCount() == 0);
  FUZZ_CHECK(IsCleanBody(files.FileBytes("body.htm")));
  return 0;
}
