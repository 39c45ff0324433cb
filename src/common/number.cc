// SPDX-License-Identifier: MIT
// Number reading and 16-bit storage of numbers.
#include "common/number.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return 99;
}

double ReadBasedDigits(std::string_view text, size_t i, int base) {
  double value = 0;
  for (; i < text.size() && DigitValue(text[i]) < base; ++i) value = value * base + DigitValue(text[i]);
  return value;
}

}  // namespace

double ReadNumber(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\r' || text[i] == '\n')) ++i;
  if (i < text.size() && text[i] == '&') {
    ++i;
    if (i >= text.size()) return 0;
    switch (text[i]) {
      case 'H':
      case 'h':
        return ReadBasedDigits(text, i + 1, 16);
      case 'O':
      case 'o':
      case 'Q':
      case 'q':
        return ReadBasedDigits(text, i + 1, 8);
      case 'B':
      case 'b':
        return ReadBasedDigits(text, i + 1, 2);
      default:
        return ReadBasedDigits(text, i, 8);
    }
  }

  const size_t start = i;
  const bool negative = i < text.size() && text[i] == '-';
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  size_t digits = 0;
  double whole = 0;
  while (i < text.size() && IsDigit(text[i])) whole = whole * 10 + (text[i++] - '0'), ++digits;
  // Columns and counts are short whole numbers: exact in a double, no strtod needed.
  bool plainWhole =
      digits > 0 && digits <= 15 &&
      (i >= text.size() || (text[i] != '.' && text[i] != 'E' && text[i] != 'e' && text[i] != 'D' && text[i] != 'd'));
  if (plainWhole) return negative ? -whole : whole;

  // Copy the matched number into a plain C form for strtod: no hex floats,
  // infinities or locale surprises can get through.
  std::string number(text.substr(start, i - start));
  if (i < text.size() && text[i] == '.') {
    number += text[i++];
    while (i < text.size() && IsDigit(text[i])) number += text[i++], ++digits;
  }
  if (digits == 0) return 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    size_t exponentDigits = 0;
    while (j < text.size() && IsDigit(text[j])) exponent += text[j++], ++exponentDigits;
    if (exponentDigits > 0) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

int16_t StoreInt16(double value) {
  if (std::isnan(value)) return 0;
  double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
  if (rounded >= 32767) return 32767;
  if (rounded <= -32768) return -32768;
  return static_cast<int16_t>(rounded);
}

int16_t ReadInt16(std::string_view text) {
  // Columns and counts are mostly a few bare digits, at the end of the text
  // or before a byte that cannot go on a number (a blank, a backslash).
  {
    int value = 0;
    size_t i = 0;
    while (i < text.size() && i < 4 && IsDigit(text[i])) value = value * 10 + (text[i++] - '0');
    if (i > 0 && (i == text.size() || !(IsDigit(text[i]) || text[i] == '.' || text[i] == 'E' || text[i] == 'e' ||
                                        text[i] == 'D' || text[i] == 'd')))
      return static_cast<int16_t>(value);
  }
  return StoreInt16(ReadNumber(text));
}
