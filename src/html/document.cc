// Buffered output to the document file: writes collect in memory and reach
// the file in blocks of about 64 KiB and at the close.
#include "html/document.h"

#include <algorithm>

void OpenDocumentFile(DocumentState& doc) {
  CloseDocumentFile(doc);
  doc.pendingOutput.clear();
  doc.htmlFile = platform::CreateOrEmptyForWriting(doc.htmlPath);
  doc.documentOpen = doc.htmlFile != 0;
}

void WriteToDocument(DocumentState& doc, const char* data, size_t size) {
  if (!doc.documentOpen) return;
  // A block the size of the buffer or more goes to the file as it is,
  // after what is buffered: a long line is never copied once more.
  if (size >= kDocumentFlushSize) {
    FlushDocument(doc);
    platform::WriteBytes(doc.htmlFile, data, size);
    return;
  }
  doc.pendingOutput.append(data, size);
  if (doc.pendingOutput.size() >= kDocumentFlushSize) FlushDocument(doc);
}

void WriteToDocument(DocumentState& doc, const std::string& bytes) { WriteToDocument(doc, bytes.data(), bytes.size()); }

void WriteRepeated(DocumentState& doc, char c, long long count) {
  if (!doc.documentOpen) return;
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

void FlushDocument(DocumentState& doc) {
  if (doc.documentOpen && !doc.pendingOutput.empty())
    platform::WriteBytes(doc.htmlFile, doc.pendingOutput.data(), doc.pendingOutput.size());
  doc.pendingOutput.clear();
}

void CloseDocumentFile(DocumentState& doc) {
  if (!doc.documentOpen) return;
  FlushDocument(doc);
  platform::CloseFile(doc.htmlFile);
  doc.documentOpen = false;
}
