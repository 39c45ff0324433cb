// SPDX-License-Identifier: MIT
// Area reads and writes made of single cells, for consoles whose cells are
// in this process; the Windows console does them in a few calls instead.
#include "platform/console.h"

namespace platform {

void Console::ReadArea(int top, int left, int bottom, int right, ByteString& cells) {
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column) {
      char character = ' ';
      unsigned char attribute = 7;
      if (!ReadCell(row, column, character, attribute)) character = ' ', attribute = 7;
      cells += character;
      cells += static_cast<char>(attribute);
    }
  }
}

int Console::WriteArea(int top, int left, int bottom, int right, ByteView cells) {
  const int rows = Rows(), columns = Columns();
  int last = -1;
  size_t cell = 0;
  for (int row = top; row <= bottom; ++row) {
    for (int column = left; column <= right; ++column, cell += 2) {
      if (cell + 2 > cells.size()) return last;
      if (row < 1 || row > rows || column < 1 || column > columns) continue;
      last = static_cast<unsigned char>(cells[cell + 1]);
      SetAttribute(last);
      SetCursor(row, column);
      Write(ByteString(1, cells[cell]));
    }
  }
  return last;
}

}  // namespace platform
