// SPDX-License-Identifier: MIT
// The in-memory console: what tests look at beyond the cell grid.
#include "platform/memory/console-memory.h"

#include <cstring>

namespace platform {

bool MemoryConsole::ReadCell(int row, int column, char& character, unsigned char& attribute) {
  character = grid_.CharacterAt(row, column);
  attribute = grid_.AttributeAt(row, column);
  return grid_.Inside(row, column);
}

bool MemoryConsole::SameCells(const MemoryConsole& other) const {
  const int rows = grid_.Rows(), columns = grid_.Columns();
  if (rows != other.grid_.Rows() || columns != other.grid_.Columns()) return false;
  for (int row = 1; row <= rows; ++row) {
    const Cell* mine = grid_.WrittenRow(row);
    const Cell* theirs = other.grid_.WrittenRow(row);
    if (mine && theirs) {
      // Rows of both are written out: compared whole, which fuzzing runs need to be quick.
      if (std::memcmp(mine, theirs, static_cast<size_t>(columns) * sizeof(Cell)) != 0) return false;
      continue;
    }
    for (int column = 1; column <= columns; ++column)
      if (CharacterAt(row, column) != other.CharacterAt(row, column) ||
          AttributeAt(row, column) != other.AttributeAt(row, column))
        return false;
  }
  return true;
}

ByteString MemoryConsole::Text(int row, int first, int last) const {
  ByteString text;
  for (int column = first; column <= last; ++column) text += CharacterAt(row, column);
  return text;
}

}  // namespace platform
