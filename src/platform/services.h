// SPDX-License-Identifier: MIT
// What the program asks of the system besides files and the console: the
// environment, the clock, its process number, random bits and the start of
// outside programs. The system's own (services-posix.cc, services-win32.cc) are in
// use unless others are put in their place for a while, such as the ones
// tests and fuzzing hold in memory (memory/services-memory.h); the free
// functions of platform.h go to whichever are in use.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

/// Byte strings in the suite's DOS code page, as in platform.h.
class Services {
 public:
  virtual ~Services() = default;

  /// The value of an environment variable; empty when unset.
  virtual std::string Environment(const std::string& name) = 0;
  /// The local date and time now.
  virtual LocalTime Now() = 0;
  /// A number that differs between processes running at the same time.
  virtual uint32_t ProcessNumber() = 0;
  /// Bits of the system's random source; 0 when it gives none.
  virtual uint64_t RandomBits() = 0;
  /// A clock that only goes forward, in milliseconds from any start.
  virtual int64_t Milliseconds() = 0;
  /// Runs a command line and waits for it (see platform::RunAndWait).
  virtual ProgramRun RunAndWait(const std::string& commandLine) = 0;
};

/// The operating system's services.
Services& SystemServices();

/// Puts services in use for as long as the object lives, then the ones
/// used before them again.
class ScopedServices {
 public:
  explicit ScopedServices(Services& services);
  ~ScopedServices();
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services& previous_;
};

}  // namespace platform
