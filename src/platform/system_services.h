// SPDX-License-Identifier: MIT
// The operating system's own environment, clock and process start, behind
// the services that platform.h's free functions go to (services.h).
// Implemented by platform-posix.cc and platform-win32.cc.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

/// The value of an environment variable; empty when unset.
std::string SystemEnvironment(const std::string& name);

/// The local date and time now.
LocalTime SystemNow();

/// This process's number.
uint32_t SystemProcessNumber();

/// Starts a program from a command line and waits for it; false when it
/// could not be started.
bool SystemRunAndWait(const std::string& commandLine);

}  // namespace platform
