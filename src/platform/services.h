// SPDX-License-Identifier: MIT
// What the program asks of the system besides files and the console: the
// environment, the clock, its process number and the start of outside
// programs. The system's own (platform-posix.cc, platform-win32.cc) is in
// use unless another is put in its place, such as the one held in memory
// for tests and fuzzing (services-memory.h); the free functions of
// platform.h go to whichever is in use.
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
  /// Runs a command line and waits for it; false when it could not start.
  virtual bool RunAndWait(const std::string& commandLine) = 0;
};

/// The operating system's services.
Services& SystemServices();

/// Makes `services` the ones the free functions of platform.h go to and
/// returns the ones used until now (the system's at start).
Services& UseServices(Services& services);

/// Puts services in use for as long as the object lives, then the ones
/// used before them again.
class ScopedServices {
 public:
  explicit ScopedServices(Services& services) : previous_(UseServices(services)) {}
  ~ScopedServices() { UseServices(previous_); }
  ScopedServices(const ScopedServices&) = delete;
  ScopedServices& operator=(const ScopedServices&) = delete;

 private:
  Services& previous_;
};

}  // namespace platform
