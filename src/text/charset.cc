// The code page 858 to Unicode table and the conversion to UTF-8.
#include "text/charset.h"

namespace {

// The published mapping of bytes 128 to 255, kept as fixed-width decimal
// fields of four characters in three pieces: 128-170, 171-213, 214-255.
// The field of byte c in the piece that begins with byte b starts at
// character 4 * (c - b).
const char kUnicodeOfByte128[] =
    " 199 252 233 226 228 224 229 231 234 235 232 239 238 236 196 197 201 230 198 244 246 242"
    " 251 249 255 214 220 248 163 216 215 402 225 237 243 250 241 209 170 186 191 174 172";
const char kUnicodeOfByte171[] =
    " 189 188 161 171 18796179618961994749508 193 194 192 1699571955395599565 162 16594889492"
    "95249516950094729532 227 1959562955695779574956895529580 164 240 208 202 203 2008364";
const char kUnicodeOfByte214[] =
    " 205 206 2079496948496089604 166 2049600 211 223 212 210 245 213 181 254 222 218 219 217"
    " 253 221 175 180 173 1778215 190 182 167 247 184 176 168 183 185 179 1789632 160";

static_assert(sizeof(kUnicodeOfByte128) == 43 * 4 + 1, "43 fields for bytes 128-170");
static_assert(sizeof(kUnicodeOfByte171) == 43 * 4 + 1, "43 fields for bytes 171-213");
static_assert(sizeof(kUnicodeOfByte214) == 42 * 4 + 1, "42 fields for bytes 214-255");

uint16_t ReadField(const char* piece, int index) {
  uint16_t value = 0;
  for (const char* p = piece + 4 * index; p < piece + 4 * index + 4; ++p)
    if (*p != ' ') value = static_cast<uint16_t>(value * 10 + (*p - '0'));
  return value;
}

}  // namespace

uint16_t UnicodeOfByte(unsigned char byte) {
  if (byte < 128) return byte;
  if (byte < 171) return ReadField(kUnicodeOfByte128, byte - 128);
  if (byte < 214) return ReadField(kUnicodeOfByte171, byte - 171);
  return ReadField(kUnicodeOfByte214, byte - 214);
}

void AppendUtf8(uint16_t u, std::string& out) {
  if (u < 0x80) {
    out += static_cast<char>(u);
  } else if (u < 0x800) {
    out += static_cast<char>(0xC0 + (u >> 6));
    out += static_cast<char>(0x80 + (u & 0x3F));
  } else {
    out += static_cast<char>(0xE0 + (u >> 12));
    out += static_cast<char>(0x80 + ((u >> 6) & 0x3F));
    out += static_cast<char>(0x80 + (u & 0x3F));
  }
}

std::string ConvertCharset(const ByteString& text) {
  std::string utf8;
  utf8.reserve(text.size() + text.size() / 2);
  for (char c : text) AppendUtf8(UnicodeOfByte(static_cast<unsigned char>(c)), utf8);
  return utf8;
}
