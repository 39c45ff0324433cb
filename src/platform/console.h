// SPDX-License-Identifier: MIT
// The console the program draws on: a grid of character cells, each one
// code page byte and one attribute byte, seen through its visible window.
// Implemented by the system consoles (console-win32.cc, console-posix.cc)
// and, for tests and fuzzing, by an in-memory console
// (memory/console-memory.h) handed to the code under test in their place.
#pragma once

#include <cstdint>
#include <memory>

#include "common/text.h"

namespace platform {

/// Positions are 1-based, row first, relative to the visible window. An
/// attribute holds the foreground colour in its low four bits and the
/// background colour in the next four (console colour bits: 1 blue, 2 green,
/// 4 red, 8 bright).
class Console {
 public:
  virtual ~Console() = default;

  /// Height of the visible window in character cells; 0 without a console.
  virtual int Rows() = 0;

  /// Width of the visible window in character cells; 0 without a console.
  virtual int Columns() = 0;

  /// The cursor position. Without a console, row and column are 1.
  virtual void GetCursor(int& row, int& column) = 0;

  /// Moves the cursor. A coordinate outside the visible window leaves that
  /// coordinate of the cursor as it was.
  virtual void SetCursor(int row, int column) = 0;

  /// The attribute that further text is written in.
  virtual int Attribute() = 0;

  /// Sets the attribute that further text is written in.
  virtual void SetAttribute(int attribute) = 0;

  /// The character byte (code page) and attribute byte of one cell. False,
  /// with a blank in attribute 7, when the cell is outside the window or
  /// cannot be read.
  virtual bool ReadCell(int row, int column, char& character, unsigned char& attribute) = 0;

  /// Appends the character byte and the attribute byte of every cell of
  /// the area, row by row from the top and left to right, to `cells`; a
  /// cell outside the window or that cannot be read gives a blank in
  /// attribute 7. An area whose top is below its bottom, or whose left is
  /// right of its right, has no cells. A console that is a round trip away
  /// reads the area in a few calls instead of one a cell.
  virtual void ReadArea(int top, int left, int bottom, int right, ByteString& cells);

  /// Writes `cells` (character byte, attribute byte, in the order ReadArea
  /// gives them) back into the area, each cell in its own attribute; cells
  /// outside the window are left out, and so are cells past the end of
  /// `cells`. Returns the attribute of the last cell written, or -1 when none
  /// was. The cursor and the current attribute are left anywhere.
  virtual int WriteArea(int top, int left, int bottom, int right, ByteView cells);

  /// Writes code page text at the cursor in the current attribute, one cell
  /// per byte (control bytes show as their glyphs, they do not move the
  /// cursor), wrapping at the end of a row. The cursor ends after the text.
  virtual void Write(const ByteString& text) = 0;

  /// Milliseconds on a clock that never goes back, counted from any fixed
  /// start: what redraws are paced by. Cheap enough to read for every line.
  virtual int64_t Milliseconds() = 0;
};

/// The console of the process, set up for the run: raw input, processed
/// and wrapping output, interrupts swallowed. Its destruction restores the
/// console's modes. Never null: without a console it has 0 rows and 0
/// columns and writes nothing.
std::unique_ptr<Console> OpenSystemConsole();

}  // namespace platform
