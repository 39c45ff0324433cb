// SPDX-License-Identifier: MIT
// Code page 858 to UTF-8, checked against the published mapping written out
// here as UTF-8 text.
#include "common/charset.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Bytes 128 to 255 as UTF-8, eight a row.
const char* const kPublishedMapping[128] = {
    /* 80 */ u8"Ç",      u8"ü", u8"é", u8"â", u8"ä", u8"à", u8"å", u8"ç",
    /* 88 */ u8"ê",      u8"ë", u8"è", u8"ï", u8"î", u8"ì", u8"Ä", u8"Å",
    /* 90 */ u8"É",      u8"æ", u8"Æ", u8"ô", u8"ö", u8"ò", u8"û", u8"ù",
    /* 98 */ u8"ÿ",      u8"Ö", u8"Ü", u8"ø", u8"£", u8"Ø", u8"×", u8"ƒ",
    /* A0 */ u8"á",      u8"í", u8"ó", u8"ú", u8"ñ", u8"Ñ", u8"ª", u8"º",
    /* A8 */ u8"¿",      u8"®", u8"¬", u8"½", u8"¼", u8"¡", u8"«", u8"»",
    /* B0 */ u8"░",      u8"▒", u8"▓", u8"│", u8"┤", u8"Á", u8"Â", u8"À",
    /* B8 */ u8"©",      u8"╣", u8"║", u8"╗", u8"╝", u8"¢", u8"¥", u8"┐",
    /* C0 */ u8"└",      u8"┴", u8"┬", u8"├", u8"─", u8"┼", u8"ã", u8"Ã",
    /* C8 */ u8"╚",      u8"╔", u8"╩", u8"╦", u8"╠", u8"═", u8"╬", u8"¤",
    /* D0 */ u8"ð",      u8"Ð", u8"Ê", u8"Ë", u8"È", u8"€", u8"Í", u8"Î",
    /* D8 */ u8"Ï",      u8"┘", u8"┌", u8"█", u8"▄", u8"¦", u8"Ì", u8"▀",
    /* E0 */ u8"Ó",      u8"ß", u8"Ô", u8"Ò", u8"õ", u8"Õ", u8"µ", u8"þ",
    /* E8 */ u8"Þ",      u8"Ú", u8"Û", u8"Ù", u8"ý", u8"Ý", u8"¯", u8"´",
    /* F0 */ u8"\u00AD", u8"±", u8"‗", u8"¾", u8"¶", u8"§", u8"÷", u8"¸",
    /* F8 */ u8"°",      u8"¨", u8"·", u8"¹", u8"³", u8"²", u8"■", u8"\u00A0",
};

std::string Byte(int b) { return std::string(1, static_cast<char>(b)); }

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(ConvertCharsetTest, EveryHighByteGivesThePublishedCharacter) {
  for (int b = 128; b < 256; ++b)
    EXPECT_EQ(Hex(ConvertCharset(Byte(b))), Hex(kPublishedMapping[b - 128])) << "byte " << b;
}

TEST(ConvertCharsetTest, BytesBelow128AreCopiedUnchanged) {
  std::string ascii;
  for (int b = 0; b < 128; ++b) ascii += static_cast<char>(b);
  EXPECT_EQ(ConvertCharset(ascii), ascii);
  EXPECT_EQ(ConvertCharset(std::string("\0\0", 2)), std::string("\0\0", 2));
  EXPECT_EQ(ConvertCharset(""), "");
}

TEST(ConvertCharsetTest, MarkedBytesGiveTheirUtf8Sequences) {
  const struct {
    int byte;
    const char* utf8;
  } cases[] = {
      {0xD5, "E2 82 AC"},  // euro sign, where code page 850 has the dotless i
      {0xC4, "E2 94 80"},  // light horizontal line
      {0xCD, "E2 95 90"},  // double horizontal line
      {0x9F, "C6 92"},     // f with hook
      {0x82, "C3 A9"},     // e with acute
      {0xFF, "C2 A0"},     // no-break space
      {0xF2, "E2 80 97"},  // double low line
      {0xFE, "E2 96 A0"},  // black square, the highest code point
      {0x80, "C3 87"},
  };
  for (const auto& c : cases) EXPECT_EQ(Hex(ConvertCharset(Byte(c.byte))), c.utf8) << "byte " << c.byte;
}

TEST(ConvertCharsetTest, MixedTextKeepsItsOrder) {
  EXPECT_EQ(ConvertCharset("Total \xD5 12,50\xC4\xC4"), u8"Total € 12,50──");
  EXPECT_EQ(ConvertCharset(std::string("Ca\x87"
                                       "a\0z",
                                       6)),
            std::string(u8"Caça\0z", 7));
  // Every byte at every place among runs of ASCII longer than eight bytes.
  const std::string before = "0123456789abcdef", after = "ghijklmnopqrstuv";
  for (int b = 0; b < 256; ++b)
    for (size_t at = 0; at <= 8; ++at)
      EXPECT_EQ(ConvertCharset(before.substr(0, at) + Byte(b) + after),
                before.substr(0, at) + ConvertCharset(Byte(b)) + after)
          << "byte " << b << " at " << at;
}

TEST(ConvertCharsetTest, LongTextsConvertWhole) {
  // Far beyond what 16-bit positions could address, in both the input and
  // the output.
  const size_t groups = 70000;
  std::string text;
  for (size_t i = 0; i < groups; ++i) text += "\xCD\x82x";
  const std::string group = u8"═éx";
  ASSERT_EQ(group.size(), 6u);
  std::string utf8 = ConvertCharset(text);
  ASSERT_EQ(utf8.size(), groups * group.size());
  size_t wrong = 0;
  for (size_t i = 0; i < groups; ++i) wrong += utf8.compare(i * 6, 6, group) != 0;
  EXPECT_EQ(wrong, 0u);
}

TEST(UnicodeOfByteTest, AgreesWithTheConversion) {
  for (int b = 0; b < 256; ++b) {
    std::string one;
    AppendUtf8(UnicodeOfByte(static_cast<unsigned char>(b)), one);
    EXPECT_EQ(one, ConvertCharset(Byte(b))) << "byte " << b;
  }
}

TEST(AppendUtf8Test, EncodesAtEachLengthBoundary) {
  const struct {
    uint16_t codePoint;
    const char* utf8;
  } cases[] = {
      {0x00, "00"}, {0x7F, "7F"}, {0x80, "C2 80"}, {0x7FF, "DF BF"}, {0x800, "E0 A0 80"}, {0xFFFF, "EF BF BF"},
  };
  for (const auto& c : cases) {
    std::string out = "a";
    AppendUtf8(c.codePoint, out);
    EXPECT_EQ(Hex(out.substr(1)), c.utf8) << "code point " << c.codePoint;
  }
}

}  // namespace
