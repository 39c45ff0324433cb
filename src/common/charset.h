// SPDX-License-Identifier: MIT
// Conversion of the suite's DOS code page (850 with the euro sign, IBM code
// page 858) to Unicode and UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/text.h"

/// The UTF-8 form of one code page byte: one to three bytes, then their
/// count, so that a form is copied as one block of four bytes.
struct Utf8Form {
  char bytes[3];
  uint8_t length;
};

/// A UTF-8 form for each of the 256 byte values.
using Utf8Forms = std::array<Utf8Form, 256>;

/// The UTF-8 form of every code page byte; bytes below 128 stand for themselves.
extern const Utf8Forms kUtf8OfByte;

/// The Unicode code point of one code page byte; bytes below 128 stand for
/// themselves.
uint16_t UnicodeOfByte(unsigned char byte);

/// Appends the UTF-8 form of a code point up to U+FFFF.
void AppendUtf8(uint16_t codePoint, std::string& out);

/// Writes the forms of `size` bytes from `in` at `out` and returns the end
/// of what was written. `out` must have room for their UTF-8 length and 3
/// bytes more (3 * `size` + 1 is always enough): each form is copied whole,
/// its count included, and the next one overwrites the rest.
inline char* ConvertBytes(const Utf8Forms& forms, const char* in, size_t size, char* out) {
  for (const char* end = in + size; in != end; ++in) {
    const Utf8Form& form = forms[static_cast<unsigned char>(*in)];
    std::memcpy(out, &form, sizeof form);
    out += form.length;
  }
  return out;
}

/// True when one of the eight bytes of `word` is `c`; for c = 0 false
/// whenever the word is all printable ASCII.
inline bool HoldsByte(uint64_t word, char c) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
  const uint64_t differences = word ^ (kOnes * static_cast<unsigned char>(c));
  return ((differences - kOnes) & ~differences & kHighBits) != 0;
}

/// Where the first byte `c` of `word` lies, 0 to 7, or 8 when none does.
/// The word holds the bytes as read from memory on a little-endian machine
/// (every target of the program), so the first byte is the lowest. The
/// borrows of the test only ever run upwards: the lowest mark is exact.
inline unsigned FirstByteIndex(uint64_t word, char c) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
  const uint64_t differences = word ^ (kOnes * static_cast<unsigned char>(c));
  const uint64_t found = (differences - kOnes) & ~differences & kHighBits;
  return found == 0 ? 8 : static_cast<unsigned>(__builtin_ctzll(found)) / 8;
}

/// True when none of the eight bytes of `word` lies outside 20 to 7E hex.
inline bool AllPrintableAscii(uint64_t word) {
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighBits = 0x8080808080808080u;
  return ((word & kHighBits) | ((word - kOnes * 0x20) & ~word & kHighBits)) == 0 && !HoldsByte(word, 0x7F);
}

/// ConvertBytes for forms that give each byte from 20 to 7E hex as itself,
/// but for `redrawn` and `redrawnToo` (0 when there is none): runs of the
/// others, the bulk of printed text, are copied eight bytes at a time.
inline char* ConvertBytesCopyingAscii(const Utf8Forms& forms, const char* in, size_t size, char* out, char redrawn = 0,
                                      char redrawnToo = 0) {
  const char* end = in + size;
  while (end - in >= 8) {
    uint64_t word;
    std::memcpy(&word, in, sizeof word);
    if (AllPrintableAscii(word) && !HoldsByte(word, redrawn) && !HoldsByte(word, redrawnToo)) {
      std::memcpy(out, in, sizeof word);
      out += sizeof word;
    } else {
      out = ConvertBytes(forms, in, sizeof word, out);
    }
    in += sizeof word;
  }
  return ConvertBytes(forms, in, static_cast<size_t>(end - in), out);
}

/// The text converted from the code page to UTF-8. Every byte converts;
/// texts of any length convert whole.
std::string ConvertCharset(const ByteString& text);
