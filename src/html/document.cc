// SPDX-License-Identifier: MIT
// Buffered output to the document file, created only under a free name:
// writes collect in memory and reach the file in blocks of about 256 KiB
// and at the close. Also holds back the bytes that belong in the output
// only when printed text follows them.
#include "html/document.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/trace.h"

// Puts `bytes` into the file at `at`, moving what stands from there on
// forward, a block at a time from the end so that memory stays bounded.
// The file's contents are read back through a second, read-only handle.
// False, with the file unchanged, when it cannot be read back as written.
bool DocumentOutput::InsertIntoFile(int64_t at, const std::string& bytes) {
  Flush();
  platform::FileNumber reader = platform::OpenExistingForReading(path_);
  if (reader == 0) return false;
  const int64_t size = flushed_;
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
    if (platform::SeekFile(file_, from + shift)) platform::WriteBytes(file_, block.data(), n);
    end = from;
  }
  platform::CloseFile(reader);
  if (platform::SeekFile(file_, at)) platform::WriteBytes(file_, bytes.data(), bytes.size());
  platform::SeekFile(file_, size + shift);
  flushed_ = size + shift;
  return true;
}

// Puts the held bytes in their place: the next printed byte follows. The
// held string keeps its memory for the next page.
void DocumentOutput::ReleaseHeld() {
  if (!holding_) return;
  holding_ = false;
  if (heldAt_ >= flushed_ && held_.size() <= kBufferSize - used_) {
    char* at = buffer_.bytes_.get() + (heldAt_ - flushed_);
    std::memmove(at + held_.size(), at, used_ - static_cast<size_t>(heldAt_ - flushed_));
    std::memcpy(at, held_.data(), held_.size());
    used_ += held_.size();
  } else if (!InsertIntoFile(heldAt_, held_)) {
    // The file cannot be read back: the bytes come after the tags that
    // followed their place, ahead of the printed text all the same.
    Append(held_.data(), held_.size());
  }
  held_.clear();
}

// Appends bytes that release nothing held: markup, or the held bytes
// themselves.
void DocumentOutput::Append(const char* data, size_t size) {
  while (size > 0) {
    const size_t n = std::min(size, kDocumentFlushSize);
    if (kBufferSize - used_ < n) Flush();
    std::memcpy(buffer_.bytes_.get() + used_, data, n);
    Commit(n);
    data += n;
    size -= n;
  }
}

DocumentCreation DocumentOutput::Open(const ByteString& path) {
  Close();
  if (!buffer_.bytes_) buffer_.bytes_.reset(new char[kBufferSize]);
  used_ = 0;
  DropHeld();
  flushed_ = 0;
  path_ = path;
  file_ = platform::CreateNewForWriting(path);
  open_ = file_ != 0;
  if (open_) {
    platform::Trace("document ", path, ": created");
    return DocumentCreation::kCreated;
  }
  platform::Trace("document ", path, ": not created: ", platform::LastFailure());
  // One look-up, only after a failure, tells the two apart: a folder that
  // refuses files is not tried again under every other name.
  unsigned attributes = 0;
  return platform::FindEntryAttributes(path, &attributes) ? DocumentCreation::kNameTaken : DocumentCreation::kRefused;
}

void DocumentOutput::AdoptBuffer(DocumentBuffer& buffer) {
  if (open_ || !buffer.bytes_) return;
  buffer_.bytes_ = std::move(buffer.bytes_);
}

void DocumentOutput::TakeBuffer(DocumentBuffer& buffer) {
  if (open_) return;
  buffer.bytes_ = std::move(buffer_.bytes_);
}

void DocumentOutput::Write(const char* data, size_t size) {
  if (!open_ || size == 0) return;
  ReleaseHeld();
  // A block the size of the buffer or more goes to the file as it is,
  // after what is buffered: a long line is never copied once more.
  if (size >= kDocumentFlushSize) {
    Flush();
    platform::WriteBytes(file_, data, size);
    flushed_ += static_cast<int64_t>(size);
    return;
  }
  Append(data, size);
}

void DocumentOutput::WriteLine(std::string_view bytes) {
  Write(bytes);
  Write("\r\n", 2);
}

void DocumentOutput::Hold(std::string_view bytes) {
  if (!open_) return;
  ReleaseHeld();
  holding_ = true;
  held_.assign(bytes.data(), bytes.size());
  heldAt_ = flushed_ + static_cast<int64_t>(used_);
}

void DocumentOutput::DropHeld() {
  holding_ = false;
  held_.clear();
}

void DocumentOutput::Flush() {
  if (open_ && used_ > 0) {
    platform::WriteBytes(file_, buffer_.bytes_.get(), used_);
    flushed_ += static_cast<int64_t>(used_);
  }
  used_ = 0;
}

void DocumentOutput::Close() {
  if (!open_) return;
  DropHeld();
  Flush();
  platform::CloseFile(file_);
  open_ = false;
}
