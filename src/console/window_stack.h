// SPDX-License-Identifier: MIT
// The console window stack: the screen areas covered by windows, kept as
// records in "WinPush.tmp" in the session folder so that each window can
// give back what it covered. Records written by other programs of the
// suite share the file and stay in place below ours. This program's own
// windows are kept in memory as well, so that a file that cannot be
// written or read back never costs the host its screen.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "console/console_state.h"

/// The window stack file's name in the session folder.
constexpr const char* kWindowStackFileName = "WinPush.tmp";

/// The value's decimal digits without sign, padded on the left with "0" to
/// `width` characters, of which only the last `width` remain (123 with
/// width 2 gives "23"). A width of 0 or less gives the empty text.
ByteString ZeroPad(int value, int width);

/// Height of the console's visible window in cells (at most 32767); 0
/// without a console.
int ConsoleRows(const ConsoleState& state);

/// Width of the console's visible window in cells (at most 32767); 0
/// without a console.
int ConsoleColumns(const ConsoleState& state);

/// Saves the cursor, the current window and every cell of the area as a
/// new record on the stack, and makes the area the current window. Refused
/// silently, with nothing saved and the window unchanged, when a corner is
/// outside the visible window or the record would be longer than its
/// five-digit length field can tell. When the file cannot take the record
/// (it cannot be opened or written, or its header does not point inside
/// it), the file is left as it was and the window is kept in memory only.
void PushWindow(ConsoleState& state, int16_t top, int16_t left, int16_t bottom, int16_t right);

/// Takes the last window off: writes its cells back, puts the cursor where
/// it was and makes the previous window current again. A window of this
/// program comes back from its record while that is the file's top record,
/// and from the copy in memory otherwise, leaving the file and the records
/// of others as they are. Without a window of this program the file's top
/// record is taken, whoever wrote it; one that does not fit the file
/// (header beyond its end, a length that is no number or reaches before the
/// header, cell counts that disagree with the corners) changes nothing. The
/// file is deleted when the stack becomes empty (or held less than a header).
void PopWindow(ConsoleState& state);
