// SPDX-License-Identifier: MIT
// A console held in memory: any size, and every cell, the cursor and the
// attribute can be looked at. Tests draw on it; the POSIX console keeps
// its copy of the terminal's cells in one.
#pragma once

#include <vector>

#include "common/text.h"
#include "platform/console.h"

namespace platform {

/// Cells start blank in attribute 7, the cursor at row 1, column 1, the
/// attribute at 7, the clock at 0; the clock moves only when told to.
/// Text wraps the way a terminal wraps it: writing the last column of a
/// row leaves the cursor there, and the next byte goes to the start of the
/// following row; past the bottom row the cells move up one row and the
/// new bottom row is blank in the current attribute.
class MemoryConsole : public Console {
 public:
  /// A console of the given size; a negative size counts as 0.
  MemoryConsole(int rows, int columns);

  int Rows() override { return rows_; }
  int Columns() override { return columns_; }
  void GetCursor(int& row, int& column) override;
  void SetCursor(int row, int column) override;
  int Attribute() override { return attribute_; }
  void SetAttribute(int attribute) override { attribute_ = attribute; }
  bool ReadCell(int row, int column, char& character, unsigned char& attribute) override;
  void Write(const ByteString& text) override;
  int64_t Milliseconds() override {
    const int64_t now = clock_;
    clock_ += clockStep_;
    return now;
  }

  /// Moves the clock on by `milliseconds`.
  void AdvanceClock(int64_t milliseconds) { clock_ += milliseconds; }

  /// Makes every reading of the clock move it on by `milliseconds`
  /// afterwards, so that time passes inside a whole run.
  void SetClockStep(int64_t milliseconds) { clockStep_ = milliseconds; }

  /// The character byte of a cell; a blank outside the console.
  char CharacterAt(int row, int column) const;

  /// The attribute byte of a cell; 7 outside the console.
  unsigned char AttributeAt(int row, int column) const;

  /// The character bytes of columns `first` to `last` of a row.
  ByteString Text(int row, int first, int last) const;

  /// True when `other` is of the same size and every cell of both holds
  /// the same character and attribute (cursor and attribute not compared).
  bool SameCells(const MemoryConsole& other) const;

  /// How many times Write has been called.
  int WriteCount() const { return writeCount_; }

 private:
  struct Cell {
    char character;
    unsigned char attribute;
  };
  bool Inside(int row, int column) const;
  std::vector<Cell>& RowCells(int row);

  int rows_, columns_;
  int row_ = 1, column_ = 1;
  bool wrapPending_ = false;
  int attribute_ = 7;
  int writeCount_ = 0;
  int64_t clock_ = 0;
  int64_t clockStep_ = 0;
  // A row stays empty until it is written, and then reads blank in attribute 7.
  std::vector<std::vector<Cell>> cells_;
};

}  // namespace platform
