// SPDX-License-Identifier: MIT
// UTF-8 to code page conversion and command-line splitting for POSIX.
#include "platform/text-posix.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "common/charset.h"
#include "platform/platform.h"

namespace platform {
namespace {

// The code page byte of a code point, or '?' when the code page lacks it.
// Every name of a folder being indexed passes here, so the upper half is
// searched in a table sorted by code point.
char CodePageByte(uint32_t codePoint) {
  if (codePoint < 128) return static_cast<char>(codePoint);
  struct Entry {
    uint32_t codePoint;
    char byte;
  };
  static const std::array<Entry, 128> kByCodePoint = [] {
    std::array<Entry, 128> table{};
    for (int b = 128; b < 256; ++b)
      table[b - 128] = Entry{UnicodeOfByte(static_cast<unsigned char>(b)), static_cast<char>(b)};
    std::sort(table.begin(), table.end(), [](const Entry& a, const Entry& b) { return a.codePoint < b.codePoint; });
    return table;
  }();
  auto it = std::lower_bound(kByCodePoint.begin(), kByCodePoint.end(), codePoint,
                             [](const Entry& e, uint32_t c) { return e.codePoint < c; });
  return it != kByCodePoint.end() && it->codePoint == codePoint ? it->byte : '?';
}

}  // namespace

// Names cross to the system as UTF-8 whatever the locale: nothing to select.
void SelectOemCodePage() {}

std::string CodePageFromUtf8(const std::string& utf8) {
  std::string out;
  size_t i = 0;
  while (i < utf8.size()) {
    unsigned char lead = static_cast<unsigned char>(utf8[i]);
    size_t length = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 0;
    uint32_t codePoint = length == 1   ? lead
                         : length == 2 ? (lead & 0x1Fu)
                         : length == 3 ? (lead & 0x0Fu)
                                       : (lead & 0x07u);
    bool valid = length > 0 && i + length <= utf8.size();
    for (size_t k = 1; valid && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(utf8[i + k]);
      valid = (next >> 6) == 2;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    static const std::array<uint32_t, 5> kShortest = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && codePoint < kShortest[length]) valid = false;  // overlong forms
    out += valid ? CodePageByte(codePoint) : '?';
    i += valid ? length : 1;
  }
  return out;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false, quoted = false;
  for (char c : commandLine) {
    if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inWord) words.push_back(word);
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (inWord) words.push_back(word);
  return words;
}

std::string SystemErrorText(int error) {
  // The program has one thread: strerror's buffer is not shared.
  const char* message = std::strerror(error);
  return CodePageFromUtf8(message ? message : "unknown error");
}

}  // namespace platform
