// Conversion of the suite's DOS code page (850 with the euro sign, IBM code
// page 858) to Unicode and UTF-8.
#pragma once

#include <cstdint>
#include <string>

#include "common/text.h"

/// The Unicode code point of one code page byte; bytes below 128 stand for
/// themselves.
uint16_t UnicodeOfByte(unsigned char byte);

/// Appends the UTF-8 form of a code point up to U+FFFF.
void AppendUtf8(uint16_t codePoint, std::string& out);

/// The text converted from the code page to UTF-8. Every byte converts;
/// texts of any length convert whole.
std::string ConvertCharset(const ByteString& text);
