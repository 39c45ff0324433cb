// SPDX-License-Identifier: MIT
// Buffered output to the document file: writes collect in memory and reach
// the file in blocks of about 64 KiB and at the close. Also holds back the
// bytes that belong in the output only when printed text follows them.
#include "html/document.h"

#include <algorithm>

namespace {

// Puts `bytes` into the file at `at`, moving what stands from there on
// forward, a block at a time from the end so that memory stays bounded.
// The file's contents are read back through a second, read-only handle.
// False, with the file unchanged, when it cannot be read back as written.
bool InsertIntoFile(DocumentState& doc, int64_t at, const std::string& bytes) {
  FlushDocument(doc);
  platform::FileNumber reader = platform::OpenExistingForReading(doc.htmlPath);
  if (reader == 0) return false;
  const int64_t size = doc.bytesFlushed;
  if (platform::FileSize(reader) != size) {
    platform::CloseFile(reader);
    return false;
  }
  const int64_t shift = static_cast<int64_t>(bytes.size());
  std::string block;
  int64_t end = size;
  while (end > at) {
    const size_t n = static_cast<size_t>(std::min<int64_t>(end - at, static_cast<int64_t>(kDocumentFlushSize)));
    const int64_t from = end - static_cast<int64_t>(n);
    block.resize(n);
    // A failure past this point leaves the file damaged whatever is done;
    // the remaining steps are still taken so that its length comes out right.
    if (!platform::ReadBytesAt(reader, from, &block[0], n)) block.assign(n, ' ');
    if (platform::SeekFile(doc.htmlFile, from + shift)) platform::WriteBytes(doc.htmlFile, block.data(), n);
    end = from;
  }
  platform::CloseFile(reader);
  if (platform::SeekFile(doc.htmlFile, at)) platform::WriteBytes(doc.htmlFile, bytes.data(), bytes.size());
  platform::SeekFile(doc.htmlFile, size + shift);
  doc.bytesFlushed = size + shift;
  return true;
}

// Puts the held bytes in their place: the next printed byte follows.
void ReleaseHeldBytes(DocumentState& doc) {
  if (!doc.holding) return;
  doc.holding = false;
  std::string bytes;
  bytes.swap(doc.heldBytes);
  if (doc.heldAt >= doc.bytesFlushed) {
    doc.pendingOutput.insert(static_cast<size_t>(doc.heldAt - doc.bytesFlushed), bytes);
  } else if (!InsertIntoFile(doc, doc.heldAt, bytes)) {
    // The file cannot be read back: the bytes come after the tags that
    // followed their place, ahead of the printed text all the same.
    doc.pendingOutput += bytes;
  }
}

void Append(DocumentState& doc, const char* data, size_t size) {
  doc.pendingOutput.append(data, size);
  if (doc.pendingOutput.size() >= kDocumentFlushSize) FlushDocument(doc);
}

}  // namespace

void OpenDocumentFile(DocumentState& doc) {
  CloseDocumentFile(doc);
  doc.pendingOutput.clear();
  DropHeldBytes(doc);
  doc.bytesFlushed = 0;
  doc.htmlFile = platform::CreateOrEmptyForWriting(doc.htmlPath);
  doc.documentOpen = doc.htmlFile != 0;
}

void WriteToDocument(DocumentState& doc, const char* data, size_t size) {
  if (!doc.documentOpen || size == 0) return;
  ReleaseHeldBytes(doc);
  // A block the size of the buffer or more goes to the file as it is,
  // after what is buffered: a long line is never copied once more.
  if (size >= kDocumentFlushSize) {
    FlushDocument(doc);
    platform::WriteBytes(doc.htmlFile, data, size);
    doc.bytesFlushed += static_cast<int64_t>(size);
    return;
  }
  Append(doc, data, size);
}

void WriteToDocument(DocumentState& doc, const std::string& bytes) { WriteToDocument(doc, bytes.data(), bytes.size()); }

void WriteRepeated(DocumentState& doc, char c, long long count) {
  if (!doc.documentOpen || count <= 0) return;
  ReleaseHeldBytes(doc);
  while (count > 0) {
    size_t n = static_cast<size_t>(std::min<long long>(count, static_cast<long long>(kDocumentFlushSize)));
    doc.pendingOutput.append(n, c);
    count -= static_cast<long long>(n);
    if (doc.pendingOutput.size() >= kDocumentFlushSize) FlushDocument(doc);
  }
}

void WriteLineToDocument(DocumentState& doc, const std::string& bytes) {
  WriteToDocument(doc, bytes);
  WriteToDocument(doc, "\r\n", 2);
}

void WriteTagToDocument(DocumentState& doc, std::string_view bytes) {
  if (!doc.documentOpen) return;
  Append(doc, bytes.data(), bytes.size());
}

void HoldInDocument(DocumentState& doc, std::string_view bytes) {
  if (!doc.documentOpen) return;
  ReleaseHeldBytes(doc);
  doc.holding = true;
  doc.heldBytes.assign(bytes.data(), bytes.size());
  doc.heldAt = doc.bytesFlushed + static_cast<int64_t>(doc.pendingOutput.size());
}

void DropHeldBytes(DocumentState& doc) {
  doc.holding = false;
  doc.heldBytes.clear();
}

void FlushDocument(DocumentState& doc) {
  if (doc.documentOpen && !doc.pendingOutput.empty()) {
    platform::WriteBytes(doc.htmlFile, doc.pendingOutput.data(), doc.pendingOutput.size());
    doc.bytesFlushed += static_cast<int64_t>(doc.pendingOutput.size());
  }
  doc.pendingOutput.clear();
}

void CloseDocumentFile(DocumentState& doc) {
  if (!doc.documentOpen) return;
  DropHeldBytes(doc);
  FlushDocument(doc);
  platform::CloseFile(doc.htmlFile);
  doc.documentOpen = false;
}
