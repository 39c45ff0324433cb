// SPDX-License-Identifier: MIT
// Fuzz target for the number helpers and the code page conversion: the
// input is read as a number, stored in 16 bits, added with clamping and
// converted to UTF-8, and each result is checked against what it must be.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "common/charset.h"
#include "common/number.h"
#include "console/window_stack.h"
#include "fuzz_support.h"

namespace {

bool SameNumber(double a, double b) { return (std::isnan(a) && std::isnan(b)) || a == b; }

bool StartsWithDigitOrPoint(const std::string& text) {
  return !text.empty() && ((text[0] >= '0' && text[0] <= '9') || text[0] == '.');
}

void CheckStoreInt16(double value) {
  const int16_t stored = StoreInt16(value);
  if (std::isnan(value)) return;  // any value will do, as long as no undefined conversion happens
  if (value >= 32767) {
    FUZZ_CHECK(stored == 32767);
  } else if (value <= -32768) {
    FUZZ_CHECK(stored == -32768);
  } else {
    const double distance = std::fabs(value - stored);
    FUZZ_CHECK(distance <= 0.5);
    if (distance == 0.5) FUZZ_CHECK(stored % 2 == 0);  // halves go to the even neighbour
  }
}

void CheckReadNumber(const std::string& text) {
  const double value = ReadNumber(text);
  CheckStoreInt16(value);
  FUZZ_CHECK(ReadInt16(text) == StoreInt16(value));

  // Leading blanks are skipped; a byte that is no digit in any base ends the number.
  FUZZ_CHECK(SameNumber(ReadNumber(" \t\r\n" + text), value));
  FUZZ_CHECK(SameNumber(ReadNumber(text + "Z"), value));
  if (StartsWithDigitOrPoint(text)) {
    FUZZ_CHECK(SameNumber(ReadNumber("-" + text), -value));
    FUZZ_CHECK(SameNumber(ReadNumber("+" + text), value));
  }

  // Up to 15 plain decimal digits are read exactly.
  size_t digits = 0;
  while (digits < text.size() && digits < 15 && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits > 0 && (digits == text.size() || text[digits] < '0' || text[digits] > '9')) {
    const bool exponentFollows = digits < text.size() && std::strchr("EeDd.", text[digits]) != nullptr;
    if (!exponentFollows) {
      double exact = 0;
      for (size_t i = 0; i < digits; ++i) exact = exact * 10 + (text[i] - '0');
      FUZZ_CHECK(value == exact);
    }
  }
}

void CheckAddClamped(int16_t value, int delta) {
  const long long sum = static_cast<long long>(value) + delta;
  const int16_t expected = sum > 32767 ? 32767 : sum < -32768 ? -32768 : static_cast<int16_t>(sum);
  FUZZ_CHECK(AddClamped(value, delta) == expected);
}

void CheckZeroPad(int value, int width) {
  const ByteString padded = ZeroPad(value, width);
  FUZZ_CHECK(padded.size() == static_cast<size_t>(width > 0 ? width : 0));
  for (char c : padded) FUZZ_CHECK(c >= '0' && c <= '9');
}

size_t Utf8Length(uint16_t codePoint) { return codePoint < 0x80 ? 1 : codePoint < 0x800 ? 2 : 3; }

void CheckConvertCharset(const std::string& text) {
  const std::string utf8 = ConvertCharset(text);
  size_t expectedLength = 0;
  for (char c : text) expectedLength += Utf8Length(UnicodeOfByte(static_cast<unsigned char>(c)));
  FUZZ_CHECK(utf8.size() == expectedLength);

  // One code point per byte, each the byte's own.
  size_t index = 0;
  bool matches = true;
  const bool valid = fuzz::DecodeUtf8(utf8, [&](unsigned long codePoint) {
    if (index >= text.size() || codePoint != UnicodeOfByte(static_cast<unsigned char>(text[index]))) matches = false;
    ++index;
  });
  FUZZ_CHECK(valid);
  FUZZ_CHECK(matches);
  FUZZ_CHECK(index == text.size());
}

// The table itself: ASCII stands for itself, and the 256 bytes give 256
// different characters, none of them a control character above ASCII's.
void CheckTableOnce() {
  static bool checked = false;
  if (checked) return;
  checked = true;
  bool seen[0x10000] = {};
  for (int byte = 0; byte < 256; ++byte) {
    const uint16_t codePoint = UnicodeOfByte(static_cast<unsigned char>(byte));
    if (byte < 128) FUZZ_CHECK(codePoint == byte);
    if (byte >= 128) FUZZ_CHECK(codePoint >= 0xA0);
    FUZZ_CHECK(codePoint < 0xD800 || codePoint > 0xDFFF);
    FUZZ_CHECK(!seen[codePoint]);
    seen[codePoint] = true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckTableOnce();
  const std::string text(reinterpret_cast<const char*>(data), size);
  CheckReadNumber(text);
  CheckConvertCharset(text);

  // The first bytes as raw values: a double, and a 16-bit value with an int delta.
  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckStoreInt16(raw);
  }
  if (size >= sizeof(int16_t) + sizeof(int)) {
    int16_t value;
    int delta;
    std::memcpy(&value, data, sizeof value);
    std::memcpy(&delta, data + sizeof value, sizeof delta);
    CheckAddClamped(value, delta);
    CheckZeroPad(delta, value % 12);
    CheckAddClamped(value, std::numeric_limits<int>::max());
    CheckAddClamped(value, std::numeric_limits<int>::min());
  }
  return 0;
}
