// SPDX-License-Identifier: MIT
// The progress box of a print run, drawn over the bottom of the host's
// console, and the small console routines it is drawn with: colour slots,
// frames and cursor placement inside the current window.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "console/console_state.h"

/// Applies a colour slot chosen by the letters of mode (any case): "+"
/// first saves the current slot; "-" goes back to the last saved slot (0
/// when none is saved) and ignores the other letters; otherwise "U" gives
/// slot 4, else "R" counts 2 and "N" 1. A mode that is empty or blank does
/// nothing. A colour outside 0..15 leaves that half of the attribute as it was.
void SetScreenColour(ConsoleState& state, const ByteString& mode);

/// Draws a frame on the border of the current window in the current
/// colour, clearing its inside: style 1 single lines, 2 double lines, any
/// other style blanks. Nothing is drawn when no window is current.
void DrawFrame(ConsoleState& state, int16_t style);

/// Moves the cursor to row and column relative to the current window's
/// top-left corner, or to the screen position row, column when no window
/// is current. A coordinate outside the visible window stays as it was.
void LocateInWindow(ConsoleState& state, int16_t row, int16_t column);

/// Saves the screen under rows 23 to 25, columns 34 to 48 (on the window
/// stack file, and in memory too), and draws the box there with its title.
/// On a console too small for it, nothing is saved and the title is
/// written at column 2 of the cursor's row.
void OpenProgressBox(ConsoleState& state);

/// Writes the counters into the box as "##### / ###" (wider numbers are
/// written in full, but nothing past the box's right border, such as the
/// end of a negative line count): at once the first time, then when they
/// differ from the counters shown and a frame (50 ms on the console's
/// clock) has gone by since those were drawn. Counters held back are drawn
/// by the first change after the frame, by a call with the same counters
/// after the frame (the clock is asked on every 16th such call, a matter of
/// microseconds at a report's pace), or by CloseProgressBox.
/// Most calls find the counters unchanged (a text line with no line end)
/// and cost a comparison, made where the print run calls.
void ShowProgress(ConsoleState& state, int pageCount, int pageLineCount);

/// ShowProgress for counters that differ from those of the call before,
/// and for every 16th call with the same ones.
void ShowChangedProgress(ConsoleState& state, int pageCount, int pageLineCount);

inline void ShowProgress(ConsoleState& state, int pageCount, int pageLineCount) {
  ProgressBoxState& box = state.progress;
  if (pageCount == box.seenPageCount && pageLineCount == box.seenPageLineCount && --box.callsBeforeClock > 0) return;
  ShowChangedProgress(state, pageCount, pageLineCount);
}

/// Draws counters still held back by ShowProgress, then gives back the
/// screen and the cursor saved by OpenProgressBox. Leaves the window stack
/// file alone when nothing was saved.
void CloseProgressBox(ConsoleState& state);

/// The counter text of ShowProgress.
ByteString ProgressText(int pageCount, int pageLineCount);
