// SPDX-License-Identifier: MIT
// The in-memory services: a map for the environment, a list of the
// programs asked for.
#include "platform/memory/services-memory.h"

#include "common/text.h"

namespace platform {
namespace {

std::string FoldName(std::string name) {
  for (char& c : name) c = FoldUpperAscii(c);
  return name;
}

}  // namespace

std::string MemoryServices::Environment(const std::string& name) {
  auto it = environment_.find(FoldName(name));
  return it == environment_.end() ? std::string() : it->second;
}

ProgramRun MemoryServices::RunAndWait(const std::string& commandLine) {
  commandLines_.push_back(commandLine);
  ProgramRun run;
  run.started = !refuseStarting_;
  if (run.started)
    run.exitCode = exitCode_;
  else
    run.failure = "The system cannot find the file specified.";
  return run;
}

void MemoryServices::SetEnvironment(const std::string& name, const std::string& value) {
  environment_[FoldName(name)] = value;
}

void MemoryServices::UnsetEnvironment(const std::string& name) { environment_.erase(FoldName(name)); }

}  // namespace platform
