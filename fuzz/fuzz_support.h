// SPDX-License-Identifier: MIT
// Support shared by the fuzz targets: a check that stops the run with a
// message, so that broken invariants are reported like crashes, and a
// strict UTF-8 decoder. Work folders and files come from the test support.
#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/files.h"
#include "support/temp_folder.h"

#define FUZZ_CHECK(condition)                                                            \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

// The checks of a target guide the fuzzer nowhere and would only slow it
// down with comparison tracing: they are built without coverage.
#define FUZZ_UNTRACED __attribute__((no_sanitize("coverage")))

// Byte scanners that read only within the string they are given, over
// every document of every run: built without address checks as well.
#define FUZZ_SCANNER __attribute__((no_sanitize("coverage", "address")))

namespace fuzz {

/// The length of the well-formed UTF-8 sequence at `i` of the `size` bytes
/// at `bytes` (no overlong forms, surrogates or code points above
/// U+10FFFF), its code point in `codePoint`; 0 when there is none there.
/// Raw bytes rather than a string: a scanner cannot inline a string's
/// members, which are built with address checks.
FUZZ_SCANNER inline size_t Utf8SequenceAt(const char* bytes, size_t size, size_t i, unsigned long& codePoint) {
  const unsigned char lead = static_cast<unsigned char>(bytes[i]);
  size_t extra;
  if (lead < 0x80) {
    extra = 0, codePoint = lead;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, codePoint = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, codePoint = lead & 0x0Fu;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, codePoint = lead & 0x07u;
  } else {
    return 0;
  }
  if (size - i <= extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3Fu);
  }
  static const unsigned long kSmallest[4] = {0, 0x80, 0x800, 0x10000};
  if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
  return extra + 1;
}

/// True when `bytes` is well-formed UTF-8 throughout; each code point is
/// passed to `sink` in order.
template <typename Sink>
FUZZ_UNTRACED bool DecodeUtf8(const std::string& bytes, Sink&& sink) {
  for (size_t i = 0; i < bytes.size();) {
    unsigned long codePoint;
    const size_t length = Utf8SequenceAt(bytes.data(), bytes.size(), i, codePoint);
    if (length == 0) return false;
    sink(codePoint);
    i += length;
  }
  return true;
}

}  // namespace fuzz
