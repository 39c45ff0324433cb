// SPDX-License-Identifier: MIT
// The output of one body text, written straight into the document's buffer:
// a usual printed line is one request for room and one count, whatever its
// pieces.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "common/charset.h"
#include "html/document.h"

constexpr size_t kOutputBlockSize = 8 * 1024;

/// Bytes on their way to the document, written straight into its buffer a
/// block of room at a time. Flush before it goes. Only while the document
/// is open.
struct OutputBlock {
  explicit OutputBlock(DocumentOutput& o) : output(o) {}
  DocumentOutput& output;
  char* start = nullptr;  // the room last asked of the output
  char* at = nullptr;     // where the next byte goes
  char* end = nullptr;
};

/// Counts what was written in the block as output.
inline void Flush(OutputBlock& out) {
  if (out.at != out.start) out.output.Commit(static_cast<size_t>(out.at - out.start));
  out.start = out.at = out.end = nullptr;
}

/// Where `size` more bytes go, at most kOutputBlockSize of them; more room
/// is asked of the output when they do not fit. Ask only when at least one
/// byte follows: the first room puts the document's held bytes in place.
inline char* Room(OutputBlock& out, size_t size) {
  if (static_cast<size_t>(out.end - out.at) < size) {
    Flush(out);
    out.start = out.at = out.output.Room(kOutputBlockSize);
    out.end = out.start + kOutputBlockSize;
  }
  return out.at;
}

/// Appends bytes as they are.
inline void PutBytes(OutputBlock& out, const char* data, size_t size) {
  while (size > 0) {
    const size_t n = std::min(size, kOutputBlockSize);
    std::memcpy(Room(out, n), data, n);
    out.at += n;
    data += n;
    size -= n;
  }
}

/// Appends `count` copies of the `unitSize` bytes at `unit` (at most
/// kOutputBlockSize of them).
inline void PutRepeated(OutputBlock& out, const char* unit, size_t unitSize, size_t count) {
  const size_t perBlock = kOutputBlockSize / unitSize;
  while (count > 0) {
    const size_t n = std::min(count, perBlock);
    const size_t total = n * unitSize;
    char* at = Room(out, total);
    if (unitSize == 1) {
      std::memset(at, *unit, n);
    } else {
      // One copy, then what is there copied after itself: a long fill
      // takes a few block copies instead of one per unit.
      std::memcpy(at, unit, unitSize);
      for (size_t filled = unitSize; filled < total;) {
        const size_t more = std::min(filled, total - filled);
        std::memcpy(at + filled, at, more);
        filled += more;
      }
    }
    out.at += total;
    count -= n;
  }
}

/// The forms body text is written with: each byte from 20 to 7E hex stands
/// for itself but for the (at most two) redrawn ones, 0 for none.
struct TextForms {
  const Utf8Forms* forms;
  char redrawn = 0, redrawnToo = 0;
};

/// Appends the UTF-8 forms of code page bytes; runs of printable ASCII that
/// stand for themselves are copied eight bytes at a time.
inline void PutConverted(OutputBlock& out, const TextForms& forms, const char* data, size_t size) {
  constexpr size_t kSlice = (kOutputBlockSize - 1) / 3;  // bytes whose forms surely fit in a block
  while (size > 0) {
    const size_t n = std::min(size, kSlice);
    char* at = Room(out, 3 * n + 1);
    char* end = ConvertBytesCopyingAscii(*forms.forms, data, n, at, forms.redrawn, forms.redrawnToo);
    out.at = end;
    data += n;
    size -= n;
  }
}
