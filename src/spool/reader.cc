// SPDX-License-Identifier: MIT
// Reading the spool file through a fixed buffer, and the kinds of its lines.
#include "spool/reader.h"

#include <algorithm>
#include <cstring>
#include <exception>

#include "common/charset.h"
#include "common/number.h"

namespace {

// Moves the unread bytes to the front of the buffer and reads more behind
// them. Data ends at the end of the file or at a Ctrl-Z, which is never
// made part of the buffered bytes. A LF that comes right after a CR that
// ended the buffered bytes is stepped over.
void Fill(SpoolReader& reader) {
  char* buffer = reader.buffer.get();
  if (reader.position > 0) {
    std::memmove(buffer, buffer + reader.position, reader.filled - reader.position);
    reader.bufferStart += static_cast<int64_t>(reader.position);
    reader.filled -= reader.position;
    reader.position = 0;
  }
  size_t n = platform::ReadBytes(reader.file, buffer + reader.filled, kSpoolBufferSize - reader.filled);
  reader.readOffset += static_cast<int64_t>(n);
  if (n == 0) reader.dataEnds = true;
  if (const void* z = std::memchr(buffer + reader.filled, kCtrlZ, n)) {
    n = static_cast<size_t>(static_cast<const char*>(z) - (buffer + reader.filled));
    reader.dataEnds = true;
    reader.ctrlZAt = reader.bufferStart + static_cast<int64_t>(reader.filled + n);
  }
  reader.filled += n;
  if (reader.crPending && reader.position < reader.filled && buffer[reader.position] == '\n') ++reader.position;
  if (reader.position < reader.filled || reader.dataEnds) reader.crPending = false;
}

// The first CR from `p` on, before `end`, or null. The lines of a report
// are short: their first bytes are looked at a word of eight at a time,
// without a call, before memchr takes over.
const char* FindCr(const char* p, const char* end) {
  for (int words = 0; words < 4 && end - p >= 8; ++words, p += 8) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const unsigned at = FirstByteIndex(word, '\r');
    if (at < 8) return p + at;
  }
  return static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
}

// Steps over the LF of a CR LF whose CR was just passed. When the CR was the
// last buffered byte, the LF is looked for in the next read.
void StepOverLf(SpoolReader& reader) {
  if (reader.position < reader.filled) {
    if (reader.buffer[reader.position] == '\n') ++reader.position;
  } else if (!reader.dataEnds) {
    reader.crPending = true;
  }
}

// A line handed out, or the empty line when it is longer than allowed.
ByteView Allowed(const SpoolReader& reader, ByteView line) {
  return line.size() <= reader.longestLine ? line : ByteView();
}

// Reads the `length` bytes at `start` of the file into the reader's long
// line, then goes back to where the reading was. False, with no memory
// kept, when there is no memory for it or the file cannot be read again.
bool TakeLongLine(SpoolReader& reader, int64_t start, uint64_t length) {
  ByteString& line = reader.longLine;
  try {
    if (length > line.max_size()) return false;
    line.resize(static_cast<size_t>(length));
  } catch (const std::exception&) {  // bad_alloc, length_error
    ByteString().swap(line);
    return false;
  }
  bool read = platform::SeekFile(reader.file, start);
  size_t got = 0;
  while (read && got < line.size()) {
    size_t n = platform::ReadBytes(reader.file, &line[got], line.size() - got);
    if (n == 0) break;
    got += n;
  }
  if (!platform::SeekFile(reader.file, reader.readOffset)) reader.dataEnds = true;
  if (!read) {
    ByteString().swap(line);
    return false;
  }
  // The file may have changed since the line was measured: what was read
  // again still ends at the first line end in it.
  // Two scans of the bytes: find_first_of would look each byte up in the
  // set of ends on its own.
  const char* const bytes = line.data();
  size_t end = got;
  if (const void* cr = std::memchr(bytes, '\r', end)) end = static_cast<size_t>(static_cast<const char*>(cr) - bytes);
  if (const void* z = std::memchr(bytes, kCtrlZ, end)) end = static_cast<size_t>(static_cast<const char*>(z) - bytes);
  line.resize(end);
  return true;
}

// The line that begins at the front of a full buffer and goes on past it:
// measured to its end, then read in again at once.
ByteView ReadLongLine(SpoolReader& reader) {
  const int64_t start = reader.bufferStart + static_cast<int64_t>(reader.position);
  uint64_t length = reader.filled - reader.position;
  reader.position = reader.filled;
  bool endsAtCr = false;
  while (!reader.dataEnds && !endsAtCr) {
    Fill(reader);
    const char* buffer = reader.buffer.get();
    const void* cr = std::memchr(buffer, '\r', reader.filled);
    reader.position = cr ? static_cast<size_t>(static_cast<const char*>(cr) - buffer) : reader.filled;
    length += reader.position;
    endsAtCr = cr != nullptr;
  }
  ByteView line;
  if (length <= reader.longestLine && TakeLongLine(reader, start, length))
    line = reader.longLine;
  else
    ++reader.linesPassedOver;
  if (endsAtCr) {
    ++reader.position;
    StepOverLf(reader);
  }
  return line;
}

// Blanks off both ends. Most texts have none: they cost two tests.
ByteView TrimmedView(ByteView text) {
  if (text.empty() || (!IsBlank(text.front()) && !IsBlank(text.back()))) return text;
  size_t first = 0, end = text.size();
  while (first < end && IsBlank(text[first])) ++first;
  while (end > first && IsBlank(text[end - 1])) --end;
  return text.substr(first, end - first);
}

// "SEND" and its fields. The fields are located from the keyword, so that
// blanks before it do not shift them.
void TakeSendFields(ByteView line, SpoolLine& out) {
  size_t keyword = line.find_first_not_of(' ');
  size_t c1 = line.find(',', keyword + 4);
  if (c1 == ByteView::npos) {
    out.recipient = TrimmedView(line.substr(keyword + 4));
    return;
  }
  out.recipient = TrimmedView(line.substr(keyword + 4, c1 - keyword - 4));
  size_t c2 = line.find(',', c1 + 1);
  if (c2 == ByteView::npos)
    out.directory = TrimmedView(line.substr(c1 + 1));  // the second comma is missing
  else
    out.directory = TrimmedView(line.substr(c1 + 1, c2 - c1 - 1));
}

// "JUS", blanks, the mode letter; for "N" also the fill column and the
// leader text between backslashes.
void TakeAlignmentFields(ByteView line, SpoolLine& out) {
  ByteView rest = line.substr(3);
  rest = rest.substr(std::min(rest.find_first_not_of(' '), rest.size()));
  if (rest.empty()) return;
  out.mode = rest[0];
  if (out.mode != 'N') return;
  size_t blank = rest.find(' ');
  if (blank != ByteView::npos) out.fillColumn = ReadInt16(rest.substr(blank + 1));
  size_t open = rest.find('\\');
  if (open == ByteView::npos) return;
  size_t close = rest.find('\\', open + 1);
  if (close != ByteView::npos) out.leaderText = rest.substr(open + 1, close - open - 1);
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The host writes a column and a line-end count as one to four digits:
// such a field is read in the same pass that finds its comma. Anything
// else goes to the number reader, which gives these the same value.
constexpr size_t kShortField = 4;

// Column, text and line-end count: the first comma ends the column, the
// last comma begins the count, and everything between is the text.
void TakeTextFields(ByteView line, ClassifierState& state, SpoolLine& out) {
  const size_t n = line.size();
  size_t first = 0;
  int column = 0;
  if (n > kShortField) {
    // One to four digits, read four bytes at once with no branch on how
    // many there are: the columns of a report take one digit or two in no
    // order a processor could learn. Little-endian: the first byte is the
    // lowest. A byte is a digit when its value less '0' is below 10.
    uint32_t word;
    std::memcpy(&word, line.data(), sizeof word);
    const uint32_t values = word ^ 0x30303030u;
    const uint32_t notDigits = (values | ((values & 0x0F0F0F0Fu) + 0x06060606u)) & 0xF0F0F0F0u;
    first = notDigits == 0 ? 4 : static_cast<size_t>(__builtin_ctz(notDigits)) / 8;
    // The digits moved to the high bytes, zeros before them, then added up
    // in pairs and the pairs in one: a*1000 + b*100 + c*10 + d.
    uint32_t x = first == 0 ? 0 : values << (8 * (4 - first));
    x = (x * 10 + (x >> 8)) & 0x00FF00FFu;
    column = static_cast<int>((x * 100 + (x >> 16)) & 0xFFFFu);
  } else {
    while (first < n && IsDigit(line[first])) column = column * 10 + (line[first++] - '0');
  }
  if (first == 0 || first > kShortField || first == n || line[first] != ',') {
    first = line.find(',');
    if (first != ByteView::npos) column = ReadInt16(line.substr(0, first));
  }
  size_t rest = 0;
  if (first != ByteView::npos) {
    state.lastTextColumn = static_cast<int16_t>(column);
    rest = first + 1;
  }
  out.column = state.lastTextColumn;

  // Nearly every text line ends in a comma and one digit.
  if (n - rest >= 2 && line[n - 2] == ',' && IsDigit(line[n - 1])) {
    out.lineEnds = static_cast<int16_t>(line[n - 1] - '0');
    out.text = line.substr(rest, n - 2 - rest);
    return;
  }
  size_t digits = n;
  int lineEnds = 0, scale = 1;
  while (digits > rest && n - digits < kShortField + 1 && IsDigit(line[digits - 1])) {
    lineEnds += scale * (line[--digits] - '0');
    scale *= 10;
  }
  if (digits < n && n - digits <= kShortField && digits > rest && line[digits - 1] == ',') {
    out.lineEnds = static_cast<int16_t>(lineEnds);
    out.text = line.substr(rest, digits - 1 - rest);
    return;
  }
  size_t last = line.rfind(',');
  if (last == ByteView::npos || last < rest) {
    out.lineEnds = ReadInt16(line.substr(rest));
    out.text = line.substr(rest);  // the closing comma is missing: keep every byte
  } else {
    out.lineEnds = ReadInt16(line.substr(last + 1));
    out.text = line.substr(rest, last - rest);
  }
}

}  // namespace

void OpenSpoolFile(SpoolReader& reader, const ByteString& path) {
  CloseSpoolFile(reader);
  if (!reader.buffer) reader.buffer.reset(new char[kSpoolBufferSize]);
  reader.file = platform::OpenExistingForReading(path);
  reader.dataEnds = reader.file == 0;
  reader.ctrlZAt = -1;
  reader.linesPassedOver = 0;
}

bool SpoolAtEnd(SpoolReader& reader) {
  while (reader.position == reader.filled) {
    if (reader.dataEnds) return true;
    Fill(reader);
  }
  return false;
}

ByteView ReadSpoolLine(SpoolReader& reader) {
  if (reader.longLine.capacity() > ByteString().capacity())
    ByteString().swap(reader.longLine);  // its line is done with
  if (SpoolAtEnd(reader)) return ByteView();
  size_t scanned = reader.position;  // no CR before this
  for (;;) {
    const char* buffer = reader.buffer.get();
    const char* const cr = FindCr(buffer + scanned, buffer + reader.filled);
    if (cr) {
      const size_t end = static_cast<size_t>(cr - buffer);
      ByteView line(buffer + reader.position, end - reader.position);
      reader.position = end + 1;
      StepOverLf(reader);
      return Allowed(reader, line);
    }
    if (reader.dataEnds) {  // the last line needs no line end
      ByteView line(buffer + reader.position, reader.filled - reader.position);
      reader.position = reader.filled;
      return Allowed(reader, line);
    }
    if (reader.position == 0 && reader.filled == kSpoolBufferSize) return ReadLongLine(reader);
    scanned = reader.filled - reader.position;  // where the unscanned bytes lie once moved to the front
    Fill(reader);
  }
}

bool IsSendLineSlow(ByteView line) {
  size_t keyword = 0;
  while (keyword < line.size() && IsBlank(line[keyword])) ++keyword;
  if (line.size() - keyword < 4) return false;
  return FoldUpper(line[keyword]) == 'S' && FoldUpper(line[keyword + 1]) == 'E' &&
         FoldUpper(line[keyword + 2]) == 'N' && FoldUpper(line[keyword + 3]) == 'D';
}

SpoolLine ClassifySpoolLine(ByteView line, ClassifierState& state) {
  SpoolLine out;
  ClassifySpoolLine(line, state, out);
  return out;
}

void ClassifySpoolLine(ByteView line, ClassifierState& state, SpoolLine& out) {
  // Field by field: cheaper than a fresh value for every line.
  out.kind = SpoolLine::Blank;
  out.recipient = {};
  out.directory = {};
  out.codes = {};
  out.leaderText = {};
  out.text = {};
  out.mode = 0;
  out.fillColumn = out.column = out.lineEnds = 0;
  const char first = line.empty() ? '\0' : line[0];
  // A line that begins with a digit is a text line at its column, nearly
  // every line of a report: told apart first. Every text line is taken
  // apart at one place, which the compiler then makes part of this one.
  if (first < '0' || first > '9') {
    if (IsSendLine(line)) {
      out.kind = SpoolLine::Send;
      TakeSendFields(line, out);
      return;
    }
    if (first == 'D' && StartsWith(line, "DEVICE")) {
      out.kind = SpoolLine::Device;
      return;
    }
    if (first == 'P' && StartsWith(line, "PAGE")) {
      out.kind = SpoolLine::Page;
      return;
    }
    if (first == '*') {
      out.kind = SpoolLine::Attribute;
      out.codes = TrimmedView(line.substr(1));
      // Codes are nearly always written in capitals: copied only when
      // upper-casing changes one of them.
      for (const char c : out.codes) {
        if (FoldUpper(c) == c) continue;
        state.foldedCodes.assign(out.codes.data(), out.codes.size());
        for (char& folded : state.foldedCodes) folded = FoldUpper(folded);
        out.codes = state.foldedCodes;
        break;
      }
      return;
    }
    if (first == 'J' && StartsWith(line, "JUS")) {
      out.kind = SpoolLine::Alignment;
      TakeAlignmentFields(line, out);
      return;
    }
    if (IsBlankOnly(line)) return;
  }
  out.kind = SpoolLine::Text;
  TakeTextFields(line, state, out);
}

void CloseSpoolFile(SpoolReader& reader) {
  platform::CloseFile(reader.file);
  reader.file = 0;
  reader.position = reader.filled = 0;
  reader.bufferStart = reader.readOffset = 0;
  reader.dataEnds = true;
  reader.crPending = false;
  ByteString().swap(reader.longLine);
}
