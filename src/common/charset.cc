// SPDX-License-Identifier: MIT
// The code page 858 to Unicode table and the conversion to UTF-8.
#include "common/charset.h"

namespace {

// The published mapping of bytes 128 to 255, kept as fixed-width decimal
// fields of four characters, right-aligned, in three pieces: 128-170,
// 171-213 and 214-255. The field of byte c in the piece that begins with
// byte b starts at character 4 * (c - b), counted from 0.
constexpr char kUnicodeOfByte128[] =
    " 199 252 233 226 228 224 229 231 234 235 232 239 238 236 196 197 201 230 198 244 246 242"
    " 251 249 255 214 220 248 163 216 215 402 225 237 243 250 241 209 170 186 191 174 172";
constexpr char kUnicodeOfByte171[] =
    " 189 188 161 171 18796179618961994749508 193 194 192 1699571955395599565 162 16594889492"
    "95249516950094729532 227 1959562955695779574956895529580 164 240 208 202 203 2008364";
constexpr char kUnicodeOfByte214[] =
    " 205 206 2079496948496089604 166 2049600 211 223 212 210 245 213 181 254 222 218 219 217"
    " 253 221 175 180 173 1778215 190 182 167 247 184 176 168 183 185 179 1789632 160";

static_assert(sizeof(kUnicodeOfByte128) == 43 * 4 + 1, "43 fields for bytes 128-170");
static_assert(sizeof(kUnicodeOfByte171) == 43 * 4 + 1, "43 fields for bytes 171-213");
static_assert(sizeof(kUnicodeOfByte214) == 42 * 4 + 1, "42 fields for bytes 214-255");

constexpr uint16_t ReadField(const char* piece, int index) {
  uint16_t value = 0;
  for (int i = 4 * index; i < 4 * index + 4; ++i)
    if (piece[i] != ' ') value = static_cast<uint16_t>(value * 10 + (piece[i] - '0'));
  return value;
}

// The UTF-8 form of a code point up to U+FFFF: at most three bytes. Every
// code point of the code page lies below U+10000.
constexpr Utf8Form EncodeUtf8(uint16_t u) {
  if (u < 0x80) return {{static_cast<char>(u), 0, 0}, 1};
  if (u < 0x800) return {{static_cast<char>(0xC0 + (u >> 6)), static_cast<char>(0x80 + (u & 0x3F)), 0}, 2};
  return {{static_cast<char>(0xE0 + (u >> 12)), static_cast<char>(0x80 + ((u >> 6) & 0x3F)),
           static_cast<char>(0x80 + (u & 0x3F))},
          3};
}

constexpr uint16_t DecodeCodePoint(int c) {
  if (c < 128) return static_cast<uint16_t>(c);
  return c < 171   ? ReadField(kUnicodeOfByte128, c - 128)
         : c < 214 ? ReadField(kUnicodeOfByte171, c - 171)
                   : ReadField(kUnicodeOfByte214, c - 214);
}

struct CodePoints {
  uint16_t of[256];
};

// Every line printed is converted, so the text fields are decoded once, by
// the compiler, into lookups by byte.
constexpr CodePoints DecodeCodePoints() {
  CodePoints table{};
  for (int c = 0; c < 256; ++c) table.of[c] = DecodeCodePoint(c);
  return table;
}

constexpr CodePoints kCodePoints = DecodeCodePoints();

constexpr Utf8Forms EncodeForms() {
  Utf8Forms forms{};
  for (size_t c = 0; c < 256; ++c) forms[c] = EncodeUtf8(kCodePoints.of[c]);
  return forms;
}

static_assert(kCodePoints.of[0xD5] == 0x20AC, "byte D5 is the euro sign");
static_assert(kCodePoints.of[0xFF] == 0xA0, "byte FF is the no-break space");
static_assert(sizeof(Utf8Form) == 4, "a form is copied as four bytes");

}  // namespace

constexpr Utf8Forms kUtf8OfByte = EncodeForms();

uint16_t UnicodeOfByte(unsigned char byte) { return kCodePoints.of[byte]; }

void AppendUtf8(uint16_t codePoint, std::string& out) {
  const Utf8Form form = EncodeUtf8(codePoint);
  out.append(form.bytes, form.length);
}

std::string ConvertCharset(const ByteString& text) {
  // Room for the longest result, then cut to what was written.
  std::string utf8(3 * text.size() + 1, '\0');
  char* end = ConvertBytesCopyingAscii(kUtf8OfByte, text.data(), text.size(), &utf8[0]);
  utf8.resize(static_cast<size_t>(end - utf8.data()));
  return utf8;
}
