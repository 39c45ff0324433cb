// Setting up the console state of a run from the session settings.
#include "console/console_state.h"

ConsoleState MakeConsoleState(platform::Console& console, const SessionSettings& settings) {
  ConsoleState state;
  state.console = &console;
  state.sessionDir = settings.sessionDir;
  for (int slot = 0; slot < 5; ++slot)
    for (int half = 0; half < 2; ++half) state.screenColours[slot][half] = settings.screenColours[slot][half];
  return state;
}
