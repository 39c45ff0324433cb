// SPDX-License-Identifier: MIT
// The INI reader: lines streamed through a fixed buffer, comments dropped
// while reading, so that only the line at hand is ever held.
#include "ini/ini.h"

#include <cstring>

#include "platform/trace.h"

namespace {

// The name of a section header line (which begins with "["): the text up to
// the first "]", or to the line end, without blanks at either end.
ByteString SectionName(const ByteString& header) {
  size_t close = header.find(']', 1);
  if (close == ByteString::npos) close = header.size();
  return TrimBlanks(header.substr(1, close - 1));
}

}  // namespace

void StartIniLines(IniLineReader& reader, platform::FileNumber file) {
  reader.file = file;
  reader.position = 0;
  reader.filled = 0;
  reader.ended = false;
  reader.afterReturn = false;
}

bool ReadIniLine(IniLineReader& reader, ByteString& line) {
  line.clear();
  bool started = false;  // a byte of this line (not of the previous line end) was taken
  bool inComment = false;
  for (;;) {
    if (reader.position == reader.filled) {
      if (reader.ended) return started;
      reader.position = 0;
      reader.filled = platform::ReadBytes(reader.file, reader.buffer, sizeof reader.buffer);
      if (reader.filled == 0) {
        reader.ended = true;
        return started;
      }
    }
    if (reader.afterReturn) {
      reader.afterReturn = false;
      if (reader.buffer[reader.position] == '\n') {
        ++reader.position;
        continue;
      }
    }
    // The line's bytes held in the buffer run to its first CR or Ctrl-Z;
    // they are found a block at a time rather than byte by byte.
    const char* begin = reader.buffer + reader.position;
    const size_t held = reader.filled - reader.position;
    const void* lineEnd = std::memchr(begin, '\r', held);
    size_t span = lineEnd ? static_cast<size_t>(static_cast<const char*>(lineEnd) - begin) : held;
    const void* dataEnd = std::memchr(begin, kCtrlZ, span);
    if (dataEnd) span = static_cast<size_t>(static_cast<const char*>(dataEnd) - begin);
    if (!inComment) {
      const void* comment = std::memchr(begin, ';', span);
      line.append(begin, comment ? static_cast<size_t>(static_cast<const char*>(comment) - begin) : span);
      inComment = comment != nullptr;
    }
    if (span > 0) started = true;
    reader.position += span;
    if (dataEnd) {
      reader.ended = true;
      reader.position = reader.filled;
      return started;
    }
    if (lineEnd) {
      ++reader.position;
      reader.afterReturn = true;
      return true;
    }
  }
}

ByteString ReadIniValue(const ByteString& fileName, const ByteString& section, const ByteString& key) {
  platform::FileNumber file = platform::OpenExistingForReading(fileName);
  if (file == 0) {
    platform::Trace("INI ", fileName, " [", section, "] ", key, ": not read: ", platform::LastFailure());
    return ByteString();
  }

  const ByteString wantedSection = FoldUpper(TrimBlanks(section));
  const ByteString wantedKey = FoldUpper(TrimBlanks(key));
  IniLineReader reader;
  StartIniLines(reader, file);
  bool inSection = false;
  bool found = false;
  ByteString result;
  ByteString line;
  while (ReadIniLine(reader, line)) {
    size_t first = 0;
    while (first < line.size() && IsBlank(line[first])) ++first;
    if (first == line.size()) continue;
    line.erase(0, first);
    const bool header = line[0] == '[';
    if (!inSection) {
      // Until the section is found nothing but its header counts.
      if (header && FoldUpper(SectionName(line)) == wantedSection) inSection = true;
      continue;
    }
    if (header) break;  // the section ends at the next header, whatever its name
    size_t equals = line.find('=');
    if (equals == ByteString::npos) continue;
    if (FoldUpper(TrimTrailingBlanks(line.substr(0, equals))) == wantedKey) {
      result = line.substr(equals + 1);
      found = true;
      break;
    }
  }
  platform::CloseFile(file);

  if (result.size() >= 2 && result.front() == '"' && result.back() == '"') result = result.substr(1, result.size() - 2);
  if (found)
    platform::Trace("INI ", fileName, " [", section, "] ", key, " = \"", result, "\"");
  else
    platform::Trace("INI ", fileName, " [", section, "] ", key, ": ", inSection ? "no such key" : "no such section");
  return result;
}
