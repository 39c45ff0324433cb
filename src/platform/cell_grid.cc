// SPDX-License-Identifier: MIT
// The cell grid: cells in rows that are allocated when first written.
#include "platform/cell_grid.h"

namespace platform {

CellGrid::CellGrid(int rows, int columns)
    : rows_(rows > 0 && columns > 0 ? rows : 0),
      columns_(rows > 0 && columns > 0 ? columns : 0),
      cells_(static_cast<size_t>(rows_)) {}

std::vector<Cell>& CellGrid::RowCells(int row) {
  std::vector<Cell>& cells = cells_[static_cast<size_t>(row - 1)];
  if (cells.empty()) cells.assign(static_cast<size_t>(columns_), Cell{' ', 7});
  return cells;
}

void CellGrid::GetCursor(int& row, int& column) const {
  row = row_;
  column = column_;
}

void CellGrid::SetCursor(int row, int column) {
  if (row >= 1 && row <= rows_) row_ = row;
  if (column >= 1 && column <= columns_) column_ = column;
  wrapPending_ = false;
}

void CellGrid::Write(ByteView text) {
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

char CellGrid::CharacterAt(int row, int column) const {
  const Cell* cells = Inside(row, column) ? WrittenRow(row) : nullptr;
  return cells ? cells[column - 1].character : ' ';
}

unsigned char CellGrid::AttributeAt(int row, int column) const {
  const Cell* cells = Inside(row, column) ? WrittenRow(row) : nullptr;
  return cells ? cells[column - 1].attribute : 7;
}

const Cell* CellGrid::WrittenRow(int row) const {
  if (row < 1 || row > rows_) return nullptr;
  const std::vector<Cell>& cells = cells_[static_cast<size_t>(row - 1)];
  return cells.empty() ? nullptr : cells.data();
}

}  // namespace platform
