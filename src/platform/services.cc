// SPDX-License-Identifier: MIT
// The services in use and the free functions of platform.h that go to them.
#include "platform/services.h"

#include "platform/trace.h"

namespace platform {
namespace {

Services*& Current() {
  static Services* current = &SystemServices();
  return current;
}

}  // namespace

ScopedServices::ScopedServices(Services& services) : previous_(*Current()) { Current() = &services; }

ScopedServices::~ScopedServices() { Current() = &previous_; }

std::string GetEnvironment(const std::string& name) { return Current()->Environment(name); }

LocalTime GetLocalTime() { return Current()->Now(); }

uint32_t ProcessId() { return Current()->ProcessNumber(); }

uint64_t RandomSeed() { return Current()->RandomBits(); }

int64_t Milliseconds() { return Current()->Milliseconds(); }

ProgramRun RunAndWait(const std::string& commandLine) {
  // The trace is up to date while the program runs, however long that is.
  FlushTrace();
  return Current()->RunAndWait(commandLine);
}

}  // namespace platform
