// Reading the spool file through a fixed buffer, and the kinds of its lines.
#include "spool/reader.h"

#include <exception>

#include "common/number.h"

namespace {

constexpr char kCtrlZ = '\x1a';

// Makes unread bytes available. False, with the reader at its end, when
// the file has none left.
bool Refill(SpoolReader& reader) {
  if (reader.atEnd) return false;
  if (reader.position < reader.filled) return true;
  reader.bufferStart += static_cast<int64_t>(reader.filled);
  reader.position = 0;
  reader.filled = platform::ReadBytes(reader.file, reader.buffer.get(), kSpoolBufferSize);
  if (reader.filled == 0) reader.atEnd = true;
  return !reader.atEnd;
}

// The first CR or Ctrl-Z of the buffered bytes from the position on, or
// the end of the buffered bytes.
size_t FindLineEnd(const SpoolReader& reader) {
  const char* start = reader.buffer.get() + reader.position;
  const char* stop = reader.buffer.get() + reader.filled;
  const char* p = start;
  while (p < stop && *p != '\r' && *p != kCtrlZ) ++p;
  return static_cast<size_t>(p - reader.buffer.get());
}

// Steps over the line end at the position: a CR and a LF right after it
// (maybe in the next read), or a Ctrl-Z, after which nothing is read.
void SkipLineEnd(SpoolReader& reader) {
  if (!Refill(reader)) return;
  if (reader.buffer[reader.position] == kCtrlZ) {
    reader.atEnd = true;
    return;
  }
  ++reader.position;
  if (Refill(reader) && reader.buffer[reader.position] == '\n') ++reader.position;
}

// Reads the `length` bytes from `start` of the file into `line` at once,
// then goes back to where the buffer ends. False, with `line` empty, when
// there is no memory for it or the file cannot be read again.
bool ReadWholeLine(SpoolReader& reader, int64_t start, uint64_t length, ByteString& line) {
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
  platform::SeekFile(reader.file, reader.bufferStart + static_cast<int64_t>(reader.filled));
  if (!read) ByteString().swap(line);
  // The file may have changed since it was measured: what was read again
  // still ends at the first line end in it.
  line.resize(got);
  size_t end = line.find_first_of("\r\x1a");
  if (end != ByteString::npos) line.resize(end);
  return read;
}

// "SEND" and its fields. The fields are located from the keyword, so that
// blanks before it do not shift them.
void TakeSendFields(const ByteString& line, SpoolLine& out) {
  size_t keyword = line.find_first_not_of(' ');
  size_t c1 = line.find(',', keyword + 4);
  if (c1 == ByteString::npos) {
    out.recipient = TrimBlanks(line.substr(keyword + 4));
    return;
  }
  out.recipient = TrimBlanks(line.substr(keyword + 4, c1 - keyword - 4));
  size_t c2 = line.find(',', c1 + 1);
  if (c2 == ByteString::npos)
    out.directory = TrimBlanks(line.substr(c1 + 1));  // the second comma is missing
  else
    out.directory = TrimBlanks(line.substr(c1 + 1, c2 - c1 - 1));
}

// "JUS", blanks, the mode letter; for "N" also the fill column and the
// leader text between backslashes.
void TakeAlignmentFields(const ByteString& line, SpoolLine& out) {
  ByteString rest = TrimLeadingBlanks(line.substr(3));
  if (rest.empty()) return;
  out.mode = rest[0];
  if (out.mode != 'N') return;
  size_t blank = rest.find(' ');
  if (blank != ByteString::npos) out.fillColumn = ReadInt16(rest.substr(blank + 1));
  size_t open = rest.find('\\');
  if (open == ByteString::npos) return;
  size_t close = rest.find('\\', open + 1);
  if (close != ByteString::npos) out.leaderText = rest.substr(open + 1, close - open - 1);
}

// Column, text and line-end count: the first comma ends the column, the
// last comma begins the count, and everything between is the text.
void TakeTextFields(SpoolReader& reader, const ByteString& line, SpoolLine& out) {
  size_t first = line.find(',');
  size_t rest = 0;
  if (first != ByteString::npos) {
    reader.lastTextColumn = ReadInt16(line.substr(0, first));
    rest = first + 1;
  }
  out.column = reader.lastTextColumn;
  size_t last = line.rfind(',');
  if (last == ByteString::npos || last < rest) {
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
  reader.bufferStart = 0;
  reader.position = 0;
  reader.filled = 0;
  reader.atEnd = reader.file == 0;
  reader.lastTextColumn = 0;
}

bool SpoolAtEnd(SpoolReader& reader) {
  if (!Refill(reader)) return true;
  if (reader.buffer[reader.position] == kCtrlZ) reader.atEnd = true;
  return reader.atEnd;
}

ByteString ReadSpoolLine(SpoolReader& reader) {
  if (!Refill(reader)) return ByteString();
  size_t end = FindLineEnd(reader);
  const char* start = reader.buffer.get() + reader.position;
  uint64_t length = end - reader.position;
  if (end < reader.filled) {
    // The whole line is in the buffer.
    ByteString line;
    if (length <= reader.longestLine) line.assign(start, static_cast<size_t>(length));
    reader.position = end;
    SkipLineEnd(reader);
    return line;
  }

  // The line goes on past the buffer. Up to a buffer's length it is
  // gathered as it goes; a longer one is measured to its end and read in
  // again at once, so that it never takes more than its own length.
  const int64_t lineStart = reader.bufferStart + static_cast<int64_t>(reader.position);
  ByteString line(start, static_cast<size_t>(length));
  bool gathered = true;
  reader.position = end;
  while (Refill(reader)) {
    end = FindLineEnd(reader);
    const size_t piece = end - reader.position;
    length += piece;
    if (gathered && length <= kSpoolBufferSize) {
      line.append(reader.buffer.get() + reader.position, piece);
    } else if (gathered) {
      ByteString().swap(line);
      gathered = false;
    }
    reader.position = end;
    if (end < reader.filled) break;
  }
  if (length > reader.longestLine || (!gathered && !ReadWholeLine(reader, lineStart, length, line)))
    ByteString().swap(line);  // passed over
  SkipLineEnd(reader);
  return line;
}

bool IsSendLine(const ByteString& line) {
  size_t keyword = line.find_first_not_of(' ');
  if (keyword == ByteString::npos || line.size() - keyword < 4) return false;
  return FoldUpper(line[keyword]) == 'S' && FoldUpper(line[keyword + 1]) == 'E' &&
         FoldUpper(line[keyword + 2]) == 'N' && FoldUpper(line[keyword + 3]) == 'D';
}

SpoolLine ClassifySpoolLine(SpoolReader& reader, const ByteString& line) {
  SpoolLine out;
  if (IsSendLine(line)) {
    out.kind = SpoolLine::Send;
    TakeSendFields(line, out);
  } else if (StartsWith(line, "DEVICE")) {
    out.kind = SpoolLine::Device;
  } else if (StartsWith(line, "PAGE")) {
    out.kind = SpoolLine::Page;
  } else if (StartsWith(line, "*")) {
    out.kind = SpoolLine::Attribute;
    out.codes = FoldUpper(TrimBlanks(line.substr(1)));
  } else if (StartsWith(line, "JUS")) {
    out.kind = SpoolLine::Alignment;
    TakeAlignmentFields(line, out);
  } else if (!IsBlankOnly(line)) {
    out.kind = SpoolLine::Text;
    TakeTextFields(reader, line, out);
  }
  return out;
}

void CloseSpoolFile(SpoolReader& reader) {
  platform::CloseFile(reader.file);
  reader.file = 0;
  reader.bufferStart = 0;
  reader.position = 0;
  reader.filled = 0;
  reader.atEnd = true;
}
