// SPDX-License-Identifier: MIT
// The in-memory console: cells in rows that are allocated when first
// written, so that a console of any reported size costs only what is drawn.
#include "platform/console-memory.h"

#include <cstring>

namespace platform {

MemoryConsole::MemoryConsole(int rows, int columns)
    : rows_(rows > 0 && columns > 0 ? rows : 0),
      columns_(rows > 0 && columns > 0 ? columns : 0),
      cells_(static_cast<size_t>(rows_)) {}

bool MemoryConsole::Inside(int row, int column) const {
  return row >= 1 && row <= rows_ && column >= 1 && column <= columns_;
}

std::vector<MemoryConsole::Cell>& MemoryConsole::RowCells(int row) {
  std::vector<Cell>& cells = cells_[static_cast<size_t>(row - 1)];
  if (cells.empty()) cells.assign(static_cast<size_t>(columns_), Cell{' ', 7});
  return cells;
}

void MemoryConsole::GetCursor(int& row, int& column) {
  row = row_;
  column = column_;
}

void MemoryConsole::SetCursor(int row, int column) {
  if (row >= 1 && row <= rows_) row_ = row;
  if (column >= 1 && column <= columns_) column_ = column;
  wrapPending_ = false;
}

bool MemoryConsole::ReadCell(int row, int column, char& character, unsigned char& attribute) {
  bool inside = Inside(row, column);
  character = CharacterAt(row, column);
  attribute = AttributeAt(row, column);
  return inside;
}

void MemoryConsole::Write(const ByteString& text) {
  ++writeCount_;
  if (rows_ == 0) return;
  for (char c : text) {
    if (wrapPending_) {
      wrapPending_ = false;
      column_ = 1;
      if (row_ < rows_) {
        ++row_;
      } else {
        cells_.erase(cells_.begin());
        cells_.emplace_back(static_cast<size_t>(columns_), Cell{' ', static_cast<unsigned char>(attribute_)});
      }
    }
    RowCells(row_)[static_cast<size_t>(column_ - 1)] = Cell{c, static_cast<unsigned char>(attribute_)};
    if (column_ < columns_)
      ++column_;
    else
      wrapPending_ = true;
  }
}

char MemoryConsole::CharacterAt(int row, int column) const {
  if (!Inside(row, column)) return ' ';
  const std::vector<Cell>& cells = cells_[static_cast<size_t>(row - 1)];
  return cells.empty() ? ' ' : cells[static_cast<size_t>(column - 1)].character;
}

unsigned char MemoryConsole::AttributeAt(int row, int column) const {
  if (!Inside(row, column)) return 7;
  const std::vector<Cell>& cells = cells_[static_cast<size_t>(row - 1)];
  return cells.empty() ? 7 : cells[static_cast<size_t>(column - 1)].attribute;
}

bool MemoryConsole::SameCells(const MemoryConsole& other) const {
  if (rows_ != other.rows_ || columns_ != other.columns_) return false;
  for (int row = 1; row <= rows_; ++row) {
    const std::vector<Cell>& mine = cells_[static_cast<size_t>(row - 1)];
    const std::vector<Cell>& theirs = other.cells_[static_cast<size_t>(row - 1)];
    if (!mine.empty() && !theirs.empty()) {
      // Rows of both are written out: compared whole, which fuzzing runs need to be quick.
      if (std::memcmp(mine.data(), theirs.data(), mine.size() * sizeof(Cell)) != 0) return false;
      continue;
    }
    for (int column = 1; column <= columns_; ++column)
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
