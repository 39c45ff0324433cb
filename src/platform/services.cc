// SPDX-License-Identifier: MIT
// The services in use and the free functions of platform.h that go to them.
#include "platform/services.h"

#include "platform/system_services.h"

namespace platform {
namespace {

Services*& Current() {
  static Services* current = &SystemServices();
  return current;
}

// The system's services: the same on every system, each call handed to
// the system's own implementation.
class OwnServices : public Services {
 public:
  std::string Environment(const std::string& name) override { return SystemEnvironment(name); }
  LocalTime Now() override { return SystemNow(); }
  uint32_t ProcessNumber() override { return SystemProcessNumber(); }
  bool RunAndWait(const std::string& commandLine) override { return SystemRunAndWait(commandLine); }
};

}  // namespace

Services& SystemServices() {
  static OwnServices services;
  return services;
}

Services& UseServices(Services& services) {
  Services& previous = *Current();
  Current() = &services;
  return previous;
}

std::string GetEnvironment(const std::string& name) { return Current()->Environment(name); }

LocalTime GetLocalTime() { return Current()->Now(); }

uint32_t ProcessId() { return Current()->ProcessNumber(); }

bool RunAndWait(const std::string& commandLine) { return Current()->RunAndWait(commandLine); }

}  // namespace platform
