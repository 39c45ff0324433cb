// SPDX-License-Identifier: MIT
// The POSIX console on a given terminal, for the system console and for
// tests that run it against a pseudo-terminal of their own.
#pragma once

#include <signal.h>

#include <memory>

#include "platform/console.h"

namespace platform {

/// The signals a terminal raises from its keys and when it goes away
/// (interrupt, quit, stop, hang-up): the system console ignores them while
/// it exists, and a program started meanwhile has them as its own again.
constexpr int kTerminalSignals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTSTP};
constexpr int kTerminalSignalCount = sizeof kTerminalSignals / sizeof kTerminalSignals[0];

/// A console on the terminal open as `fd` (left open at the end). Its size
/// is the terminal's at creation; the cursor is asked of the terminal,
/// waiting up to `replyMilliseconds` for the answer (row 1, column 1
/// without one). The terminal's input is raw while the console exists.
/// Without a terminal (fd not one, or of size 0) it has 0 rows and 0
/// columns and writes nothing.
std::unique_ptr<Console> OpenTerminalConsole(int fd, int replyMilliseconds);

}  // namespace platform
