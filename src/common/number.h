// SPDX-License-Identifier: MIT
// Number reading as the suite writes numbers in its files: decimal with an
// optional exponent, or a base selected by an ampersand.
#pragma once

#include <cstdint>
#include <string_view>

/// Reads the longest number at the start of `text`, after leading spaces,
/// tabs, CRs and LFs: an optional sign, digits with an optional decimal
/// point, an optional exponent introduced by E, e, D or d; or an ampersand
/// and H (hexadecimal), O or Q (octal), B (binary), or digits (octal).
/// A text with no number at its start, and the empty text, read as 0.
double ReadNumber(std::string_view text);

/// The value rounded to the nearest whole number, halves to even, and
/// clamped to -32768..32767 (never wrapped).
int16_t StoreInt16(double value);

/// ReadNumber followed by StoreInt16: how every whole-number setting,
/// column and count of the suite's files is read.
int16_t ReadInt16(std::string_view text);

/// `value` + `delta`, stopping at 32767 or -32768 instead of wrapping.
inline int16_t AddClamped(int16_t value, int delta) {
  const long long sum = static_cast<long long>(value) + delta;  // long has 32 bits on Windows
  if (sum > 32767) return 32767;
  if (sum < -32768) return -32768;
  return static_cast<int16_t>(sum);
}
