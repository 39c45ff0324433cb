// SPDX-License-Identifier: MIT
// The process entry of orvprint: console set-up, settings, options, the
// print run and its end. It reads no arguments, reports nothing and always
// ends with exit code 0.
#include <memory>

#include "app/main_flow.h"
#include "platform/console.h"

int main() {
  try {
    // The console is set up for the whole run and restored when it goes.
    std::unique_ptr<platform::Console> console = platform::OpenSystemConsole();
    RunMainFlow(*console);
  } catch (...) {
    // Out of memory is the only failure that reaches here; the contract
    // holds even then.
  }
  return 0;
}
