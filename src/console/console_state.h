// SPDX-License-Identifier: MIT
// The console state of a run: the console drawn on, the window this program
// has pushed over it and the colour slots it has applied. Owned by the
// window stack and the progress box; one value per run, no globals.
#pragma once

#include <cstdint>
#include <vector>

#include "common/text.h"
#include "platform/console.h"

/// A window this program pushed and has not popped yet: its record with
/// the ten positions in full (the file keeps only the last two digits of
/// each) and the cells it covered, kept in memory as well, so that the
/// window can be taken off even when the file could not take its record or
/// give it back.
struct PushedWindow {
  bool onFile = false;      // the record went into the window stack file
  int64_t recordStart = 0;  // 1-based file position of the record's first byte
  int16_t fields[10] = {};  // cursor row, column, previous window, saved area, in file order
  ByteString cells;         // character and attribute byte per cell, as the record holds them
};

/// What the progress box keeps between its calls: whether it saved the
/// screen, and the counters on the screen or waiting for the next frame.
struct ProgressBoxState {
  bool pushed = false;  // the box saved the screen under it
  bool shown = false;   // `text` is on the screen
  ByteString text;      // the counters last written into the box
  int pageCount = 0;    // ... and the numbers it was made from
  int pageLineCount = 0;
  int64_t drawnAt = 0;    // the console's clock when they were written
  int seenPageCount = 0;  // the counters of the latest call
  int seenPageLineCount = 0;
  int callsBeforeClock = 0;  // calls with the same counters before the slow path is taken again
  bool pending = false;      // the counters seen wait for the next frame
};

/// The console of a run with the window and colour state drawn through it.
struct ConsoleState {
  platform::Console* console = nullptr;  // null acts as a console of 0 rows and 0 columns
  ByteString sessionDir;                 // where "WinPush.tmp" lives
  int16_t screenColours[5][2] = {};      // slot 0..4 by {foreground, background}

  // The current window; windowDepth counts the windows pushed and not popped.
  int16_t windowDepth = 0;
  int16_t windowTop = 0;
  int16_t windowLeft = 0;
  int16_t windowBottom = 0;
  int16_t windowRight = 0;

  int16_t currentColourSlot = 0;  // the slot last applied
  ByteString colourSlotStack;     // saved slot numbers, one byte each, the most recent last

  std::vector<PushedWindow> pushedWindows;  // this program's records on the stack, oldest first

  ProgressBoxState progress;  // changed by the progress box alone
};

/// A fresh console state drawing on `console`, with the session's window
/// stack folder and colour table (slot 0..4 by {foreground, background}).
ConsoleState MakeConsoleState(platform::Console& console, const ByteString& sessionDir,
                              const int16_t (&screenColours)[5][2]);
