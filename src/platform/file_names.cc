// SPDX-License-Identifier: MIT
// Letter-case folding of code page file names.
#include "platform/file_names.h"

#include <array>
#include <cstdint>

#include "common/charset.h"

namespace platform {
namespace {

// The capital of a Latin-1 small letter (U+00E0 to U+00FE but the division
// sign), or the code point itself. The code page holds no other letter
// pairs below U+0100, and none above that both halves of a pair stand in.
uint16_t CapitalOf(uint16_t codePoint) {
  if (codePoint >= 'a' && codePoint <= 'z') return static_cast<uint16_t>(codePoint - 32);
  if (codePoint >= 0xE0 && codePoint <= 0xFE && codePoint != 0xF7) return static_cast<uint16_t>(codePoint - 32);
  return codePoint;
}

std::array<char, 256> BuildFoldTable() {
  std::array<uint16_t, 256> codePoint{};
  for (int b = 0; b < 256; ++b) codePoint[b] = UnicodeOfByte(static_cast<unsigned char>(b));
  std::array<char, 256> table{};
  for (int b = 0; b < 256; ++b) {
    table[b] = static_cast<char>(b);
    uint16_t capital = CapitalOf(codePoint[b]);
    if (capital == codePoint[b]) continue;
    for (int c = 0; c < 256; ++c)
      if (codePoint[c] == capital) table[b] = static_cast<char>(c);
  }
  return table;
}

}  // namespace

void AppendFoldedFileName(std::string& out, const char* name, size_t size) {
  static const std::array<char, 256> kFold = BuildFoldTable();
  const size_t at = out.size();
  out.append(name, size);
  for (size_t i = at; i < out.size(); ++i) out[i] = kFold[static_cast<unsigned char>(out[i])];
}

std::string FoldFileName(const std::string& name) {
  std::string folded;
  AppendFoldedFileName(folded, name.data(), name.size());
  return folded;
}

}  // namespace platform
