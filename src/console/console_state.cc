// SPDX-License-Identifier: MIT
// Setting up the console state of a run from the session's folder and colours.
#include "console/console_state.h"

ConsoleState MakeConsoleState(platform::Console& console, const ByteString& sessionDir,
                              const int16_t (&screenColours)[5][2]) {
  ConsoleState state;
  state.console = &console;
  state.sessionDir = sessionDir;
  for (int slot = 0; slot < 5; ++slot)
    for (int half = 0; half < 2; ++half) state.screenColours[slot][half] = screenColours[slot][half];
  return state;
}
