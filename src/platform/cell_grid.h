// SPDX-License-Identifier: MIT
// A grid of console cells with a cursor and a current attribute, written
// the way a terminal writes: the copy of its screen that the POSIX console
// keeps, since a terminal cannot be read back.
#pragma once

#include <vector>

#include "common/text.h"

namespace platform {

/// One character cell: a code page byte and its attribute byte.
struct Cell {
  char character;
  unsigned char attribute;
};

/// Cells start blank in attribute 7, the cursor at row 1, column 1, the
/// attribute at 7. Positions are 1-based, row first. Text wraps the way a
/// terminal wraps it: writing the last column of a row leaves the cursor
/// there, and the next byte goes to the start of the following row; past
/// the bottom row the cells move up one row and the new bottom row is
/// blank in the current attribute.
class CellGrid {
 public:
  /// A grid of the given size; a negative or zero size gives an empty grid.
  CellGrid(int rows, int columns);

  int Rows() const { return rows_; }
  int Columns() const { return columns_; }
  void GetCursor(int& row, int& column) const;
  /// Moves the cursor; a coordinate outside the grid is left as it was.
  void SetCursor(int row, int column);
  int Attribute() const { return attribute_; }
  void SetAttribute(int attribute) { attribute_ = attribute; }

  /// Writes one cell per byte at the cursor in the current attribute.
  void Write(ByteView text);

  /// The character byte of a cell; a blank outside the grid.
  char CharacterAt(int row, int column) const;
  /// The attribute byte of a cell; 7 outside the grid.
  unsigned char AttributeAt(int row, int column) const;
  /// True when the cell lies inside the grid.
  bool Inside(int row, int column) const { return row >= 1 && row <= rows_ && column >= 1 && column <= columns_; }

  /// The cells of a row that has been written (Columns() of them), or null
  /// for a row never written, which reads blank in attribute 7.
  const Cell* WrittenRow(int row) const;

 private:
  std::vector<Cell>& RowCells(int row);

  int rows_, columns_;
  int row_ = 1, column_ = 1;
  bool wrapPending_ = false;
  int attribute_ = 7;
  // A row stays empty until it is written: a grid of any reported size
  // costs only what is drawn.
  std::vector<std::vector<Cell>> cells_;
};

}  // namespace platform
