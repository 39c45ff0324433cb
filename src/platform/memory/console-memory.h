// SPDX-License-Identifier: MIT
// A console held in memory, for tests and fuzzing: any size, and every
// cell, the cursor and the attribute can be looked at.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "platform/cell_grid.h"
#include "platform/console.h"

namespace platform {

/// Cells, cursor and attribute behave as a CellGrid's (blank in attribute
/// 7, terminal wrapping and scrolling); the clock starts at 0 and moves
/// only when told to.
class MemoryConsole : public Console {
 public:
  /// A console of the given size; a negative size counts as 0.
  MemoryConsole(int rows, int columns) : grid_(rows, columns) {}

  int Rows() override { return grid_.Rows(); }
  int Columns() override { return grid_.Columns(); }
  void GetCursor(int& row, int& column) override { grid_.GetCursor(row, column); }
  void SetCursor(int row, int column) override { grid_.SetCursor(row, column); }
  int Attribute() override { return grid_.Attribute(); }
  void SetAttribute(int attribute) override { grid_.SetAttribute(attribute); }
  bool ReadCell(int row, int column, char& character, unsigned char& attribute) override;
  void Write(const ByteString& text) override {
    ++writeCount_;
    grid_.Write(text);
  }
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
  char CharacterAt(int row, int column) const { return grid_.CharacterAt(row, column); }

  /// The attribute byte of a cell; 7 outside the console.
  unsigned char AttributeAt(int row, int column) const { return grid_.AttributeAt(row, column); }

  /// The character bytes of columns `first` to `last` of a row.
  ByteString Text(int row, int first, int last) const;

  /// True when `other` is of the same size and every cell of both holds
  /// the same character and attribute (cursor and attribute not compared).
  bool SameCells(const MemoryConsole& other) const;

  /// How many times Write has been called.
  int WriteCount() const { return writeCount_; }

 private:
  CellGrid grid_;
  int writeCount_ = 0;
  int64_t clock_ = 0;
  int64_t clockStep_ = 0;
};

}  // namespace platform
