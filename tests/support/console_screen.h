// SPDX-License-Identifier: MIT
// Test support: snapshots of an in-memory console and the bytes of the
// window stack file that the console tests compare.
#pragma once

#include <cstdint>
#include <vector>

#include "common/text.h"
#include "platform/memory/console-memory.h"

namespace testing_support {

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

}  // namespace testing_support
