// Test support for the console tests: a private folder for the window
// stack file, whole-file reads and writes through the platform, and
// snapshots of an in-memory console.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "common/text.h"
#include "platform/console-memory.h"
#include "platform/platform.h"
#include "testing/temp_folder.h"

namespace console_test {

/// The test's folder as a session folder, for the window stack file.
class TempFolder : public ::TempFolder {
 public:
  /// The folder as a directory value, ending in a backslash.
  ByteString Dir() const { return path() + "\\"; }
  ByteString StackFile() const { return Dir() + "WinPush.tmp"; }
};

/// True when the file exists; its bytes in `bytes`.
inline bool ReadWholeFile(const ByteString& path, ByteString& bytes) {
  bytes.clear();
  platform::FileNumber file = platform::OpenExistingForReading(path);
  if (file == 0) return false;
  char buffer[4096];
  while (size_t n = platform::ReadBytes(file, buffer, sizeof buffer)) bytes.append(buffer, n);
  platform::CloseFile(file);
  return true;
}

/// Creates or empties the file and writes `bytes` into it; the test fails
/// when that is not possible.
inline void WriteWholeFile(const ByteString& path, const ByteString& bytes) {
  platform::FileNumber file = platform::CreateOrEmptyForWriting(path);
  ASSERT_NE(file, 0) << path;
  ASSERT_TRUE(platform::WriteBytes(file, bytes.data(), bytes.size()));
  platform::CloseFile(file);
}

/// True when the file exists and can be read.
inline bool FileExists(const ByteString& path) {
  ByteString ignored;
  return ReadWholeFile(path, ignored);
}

/// The 4-byte little-endian header of a window stack file.
inline ByteString Header(uint32_t stackTop) {
  ByteString b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((stackTop >> (8 * i)) & 0xFF);
  return b;
}

/// Fills every cell with a character and attribute that tell it apart.
inline void FillScreen(platform::MemoryConsole& console) {
  for (int row = 1; row <= console.Rows(); ++row) {
    for (int column = 1; column <= console.Columns(); ++column) {
      console.SetCursor(row, column);
      console.SetAttribute((row * 16 + column) & 0xFF);
      console.Write(ByteString(1, static_cast<char>(33 + (row * 7 + column) % 200)));
    }
  }
}

/// Every cell, the cursor and the attribute of a console.
struct Snapshot {
  std::vector<char> characters;
  std::vector<unsigned char> attributes;
  int row = 0, column = 0, attribute = 0;
  bool operator==(const Snapshot& other) const {
    return characters == other.characters && attributes == other.attributes && row == other.row &&
           column == other.column && attribute == other.attribute;
  }
};

/// The console as it is now.
inline Snapshot Snap(platform::MemoryConsole& console) {
  Snapshot s;
  for (int row = 1; row <= console.Rows(); ++row) {
    for (int column = 1; column <= console.Columns(); ++column) {
      s.characters.push_back(console.CharacterAt(row, column));
      s.attributes.push_back(console.AttributeAt(row, column));
    }
  }
  console.GetCursor(s.row, s.column);
  s.attribute = console.Attribute();
  return s;
}

/// The cells of an area as a window record stores them.
inline ByteString AreaCells(platform::MemoryConsole& console, int top, int left, int bottom, int right) {
  ByteString cells;
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      cells += console.CharacterAt(row, column);
      cells += static_cast<char>(console.AttributeAt(row, column));
    }
  }
  return cells;
}

}  // namespace console_test
