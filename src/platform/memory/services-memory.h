// SPDX-License-Identifier: MIT
// Services held in memory, for tests and fuzzing (put in use with
// ScopedServices): an environment of its
// own, a clock that stands still, a fixed process number, random bits set
// by the test, and programs that are never started, only recorded with
// their command lines.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/services.h"

namespace platform {

/// Starts with an empty environment, the clock at 2026-01-02 03:04:05.006,
/// process number 4242 and random bits 0 (names then come out as they
/// would without a random source); every program "starts" and ends at once
/// with exit code 0.
class MemoryServices : public Services {
 public:
  std::string Environment(const std::string& name) override;
  LocalTime Now() override { return now_; }
  uint32_t ProcessNumber() override { return processNumber_; }
  uint64_t RandomBits() override {
    ++randomReads_;
    return randomBits_;
  }
  int64_t Milliseconds() override { return milliseconds_; }
  ProgramRun RunAndWait(const std::string& commandLine) override;

  /// Sets a variable; names are compared without regard to letter case, as on Windows.
  void SetEnvironment(const std::string& name, const std::string& value);
  /// Removes a variable.
  void UnsetEnvironment(const std::string& name);
  void SetNow(const LocalTime& now) { now_ = now; }
  void SetProcessNumber(uint32_t number) { processNumber_ = number; }
  /// What every later reading of the random source gives.
  void SetRandomBits(uint64_t bits) { randomBits_ = bits; }
  /// How often the random source was read.
  int RandomReads() const { return randomReads_; }
  /// Moves the clock that only goes forward (it stands still otherwise).
  void SetMilliseconds(int64_t milliseconds) { milliseconds_ = milliseconds; }
  /// From now on programs fail to start (they are still recorded).
  void RefuseStarting(bool refuse) { refuseStarting_ = refuse; }
  /// The exit code of every program started from now on.
  void SetExitCode(long exitCode) { exitCode_ = exitCode; }

  /// Every command line run so far, oldest first.
  const std::vector<std::string>& CommandLines() const { return commandLines_; }

 private:
  std::map<std::string, std::string> environment_;  // by folded name
  LocalTime now_{2026, 1, 2, 3, 4, 5, 6};
  uint32_t processNumber_ = 4242;
  uint64_t randomBits_ = 0;
  int randomReads_ = 0;
  int64_t milliseconds_ = 0;
  bool refuseStarting_ = false;
  long exitCode_ = 0;
  std::vector<std::string> commandLines_;
};

}  // namespace platform
