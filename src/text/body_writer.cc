// The body-line writer and its saved-text stack.
#include "text/body_writer.h"

#include <algorithm>
#include <cstdint>

#include "common/number.h"
#include "common/charset.h"

namespace {

// Each stack entry is its bytes followed by their count as an unsigned
// 64-bit little-endian number, so an entry of any length fits.
constexpr size_t kLengthBytes = 8;

int ClampToInt16(int value) { return std::max(-32768, std::min(32767, value)); }

bool IsControlByte(char c) {
  unsigned char b = static_cast<unsigned char>(c);
  return b < 32 || b == 127 || b == 255;
}

bool IsAddressCharacter(char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  switch (c) {
    case '-': case '.': case '_': case '~': case ':': case '/': case '?': case '#':
    case '[': case ']': case '@': case '!': case '$': case '&': case '\'': case '(':
    case ')': case '*': case '+': case ',': case ';': case '%': case '=':
      return true;
    default:
      return false;
  }
}

char FoldLowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The position of the first "http://" in any letter case, or npos.
size_t FindScheme(const std::string& text) {
  static const char kScheme[] = "http://";
  const size_t length = sizeof kScheme - 1;
  for (size_t p = 0; p + length <= text.size(); ++p) {
    size_t k = 0;
    while (k < length && FoldLowerAscii(text[p + k]) == kScheme[k]) ++k;
    if (k == length) return p;
  }
  return std::string::npos;
}

// The cells between the end of the text and the fill column get spaces and
// then whole copies of the fill text, the last copy ending at the column.
void ApplyFill(DocumentState& doc, ByteString& t) {
  if (doc.fillText.empty()) return;
  const long long length = static_cast<long long>(doc.fillText.size());
  const long long total =
      static_cast<long long>(doc.fillColumn) - static_cast<long long>(t.size()) - doc.outColumn;
  long long copies = total / length;
  if (total % length != 0 && total < 0) --copies;  // floor, also for negative totals
  // The leader is printed text like the text itself: a control byte in it
  // would reach the document raw, so it shows as one space too.
  ByteString leader = doc.fillText;
  std::replace_if(leader.begin(), leader.end(), IsControlByte, ' ');
  t.append(static_cast<size_t>(total - copies * length), ' ');
  for (long long i = 0; i < copies; ++i) t += leader;
  doc.fillText.clear();
  doc.fillColumn = 0;
}

void ApplyRules(ByteString& t) {
  if (t.find("--") != ByteString::npos &&
      std::all_of(t.begin(), t.end(), [](char c) { return c == ' ' || c == '-'; }))
    std::replace(t.begin(), t.end(), '-', '\xC4');
  if (t.find("==") != ByteString::npos) std::replace(t.begin(), t.end(), '=', '\xCD');
}

// Converts bytes [from, to) of `t` to UTF-8 and writes them, a piece at a
// time, so that a long text is never held converted as a whole.
void WriteConverted(DocumentState& doc, const ByteString& t, size_t from, size_t to) {
  constexpr size_t kPiece = 16 * 1024;
  for (size_t start = from; start < to; start += kPiece)
    WriteToDocument(doc, ConvertCharset(t.substr(start, std::min(kPiece, to - start))));
}

// The text in UTF-8 with its first address made a link. The scheme and the
// address characters are ASCII, and every byte from 128 up becomes bytes
// from 128 up, so both are found in the code page text itself, at the
// places they would have in the converted one.
void WriteWithLink(DocumentState& doc, const ByteString& t) {
  size_t p = FindScheme(t);
  if (p == ByteString::npos) {
    WriteConverted(doc, t, 0, t.size());
    return;
  }
  size_t e = p;
  while (e < t.size() && IsAddressCharacter(t[e])) ++e;
  WriteConverted(doc, t, 0, p);
  WriteToDocument(doc, "<A HREF=", 8);
  WriteToDocument(doc, t.data() + p, e - p);
  WriteToDocument(doc, ">", 1);
  WriteToDocument(doc, t.data() + p, e - p);
  WriteToDocument(doc, "</A>", 4);
  WriteConverted(doc, t, e, t.size());
}

}  // namespace

void PushSavedText(DocumentState& doc, const ByteString& text) {
  doc.savedTextStack += text;
  uint64_t length = text.size();
  for (size_t i = 0; i < kLengthBytes; ++i) doc.savedTextStack += static_cast<char>((length >> (8 * i)) & 0xFF);
}

ByteString PopSavedText(DocumentState& doc) {
  ByteString& stack = doc.savedTextStack;
  if (stack.size() < kLengthBytes) {
    stack.clear();
    return ByteString();
  }
  uint64_t length = 0;
  for (size_t i = 0; i < kLengthBytes; ++i)
    length |= static_cast<uint64_t>(static_cast<unsigned char>(stack[stack.size() - kLengthBytes + i])) << (8 * i);
  size_t available = stack.size() - kLengthBytes;
  size_t start = length > available ? 0 : available - static_cast<size_t>(length);
  ByteString text = stack.substr(start, available - start);
  stack.resize(start);
  return text;
}

void WriteBodyText(DocumentState& doc, int column, ByteString& text, int newlines) {
  column = ClampToInt16(column);
  newlines = ClampToInt16(newlines);

  for (char& c : text)
    if (IsControlByte(c)) c = ' ';
  PushSavedText(doc, text);
  ByteString& t = text;  // the working copy; the cleaned text comes back from the stack

  if (column > doc.outColumn + 1) {
    WriteRepeated(doc, ' ', column - doc.outColumn - 1);
    doc.outColumn = static_cast<int16_t>(column - 1);
  }
  ApplyFill(doc, t);
  ApplyRules(t);

  WriteWithLink(doc, t);

  if (newlines != 0) {
    for (int i = 0; i < newlines; ++i) WriteToDocument(doc, "\r\n", 2);
    doc.pageLineCount = AddClamped(doc.pageLineCount, newlines);
    doc.outColumn = 0;
  } else {
    doc.outColumn = AddClamped(doc.outColumn, static_cast<int>(std::min<size_t>(t.size(), 65536)));
  }

  text = PopSavedText(doc);
}
