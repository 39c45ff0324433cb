// SPDX-License-Identifier: MIT
// The trace's own state and its file: lines held until the file may be
// opened, then each written whole, in one write, at the file's end.
#include "platform/trace.h"

#include <cstdint>
#include <utility>

#include "common/charset.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Lines kept before the file is opened: the start-up traces a few dozen.
// More (a run that never opens the trace) are dropped, not kept.
constexpr size_t kLongestHold = 1000;

struct TraceState {
  bool on = false;
  bool opened = false;            // OpenTrace was called: lines go to the file
  std::string path;               // ORVPRINT_LOG as read
  std::vector<std::string> held;  // lines waiting for OpenTrace
  FileSystem* owner = nullptr;    // the file's file system, null while no file is open
  FileHandle handle = 0;
  int64_t start = 0;    // Milliseconds() at StartTrace
  std::string prefix;   // "[process] "
  std::string failure;  // the latest reason noted
};

TraceState& State() {
  static TraceState state;
  return state;
}

void CloseTraceFile(TraceState& state) {
  if (state.owner) state.owner->Close(state.handle);
  state.owner = nullptr;
}

void TurnOff(TraceState& state) {
  CloseTraceFile(state);
  state.on = false;
  state.held.clear();
  state.held.shrink_to_fit();
}

// Bytes below 20 hex would break the line or end it early in a reader:
// they are written as "\xNN".
std::string Printable(std::string_view event) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(event.size());
  for (char c : event) {
    unsigned char b = static_cast<unsigned char>(c);
    if (b >= 32) {
      text += c;
      continue;
    }
    text += "\\x";
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

void WriteWhole(TraceState& state, const std::string& line) {
  if (!state.owner->Write(state.handle, line.data(), line.size())) TurnOff(state);
}

}  // namespace

bool TraceOn() { return State().on; }

void TraceLine(std::string_view event) {
  TraceState& state = State();
  if (!state.on) return;
  std::string line = state.prefix;
  const std::string ms = std::to_string(Milliseconds() - state.start);
  if (ms.size() < 6) line.append(6 - ms.size(), ' ');
  line += ms;
  line += " ms  ";
  line += ConvertCharset(Printable(event));
  line += "\r\n";
  if (!state.opened) {
    if (state.held.size() < kLongestHold) state.held.push_back(std::move(line));
    return;
  }
  WriteWhole(state, line);
}

void StartTrace() {
  TraceState& state = State();
  TurnOff(state);
  state.opened = false;
  state.path = GetEnvironment(kTraceVariable);
  if (state.path.empty()) return;
  state.on = true;
  state.start = Milliseconds();
  state.prefix = "[" + std::to_string(ProcessId()) + "] ";
}

void OpenTrace(const std::vector<std::string>& guarded) {
  TraceState& state = State();
  if (!state.on || state.opened) return;
  state.opened = true;
  // A file the trace creates and must not keep is removed again.
  unsigned attributes = 0;
  const bool existed = FindEntryAttributes(state.path, &attributes);
  state.owner = OpenUnnumbered(state.path, OpenMode::kAppendForWriting, state.handle);
  if (!state.owner) {
    TurnOff(state);
    return;
  }
  for (const std::string& path : guarded) {
    if (state.owner->SameFile(state.handle, path)) {
      FileSystem* owner = state.owner;
      TurnOff(state);
      if (!existed) owner->Remove(state.path);
      return;
    }
  }
  std::vector<std::string> held = std::move(state.held);
  for (const std::string& line : held) {
    if (!state.on) return;
    WriteWhole(state, line);
  }
  state.held.clear();
}

void EndTrace() {
  TraceState& state = State();
  if (state.on) {
    Trace("end: ", Milliseconds() - state.start, " ms in all");
    // A run that ended before its trace could be checked writes nothing.
    if (!state.opened) state.held.clear();
  }
  TurnOff(state);
  state.opened = false;
  state.failure.clear();
}

void NoteFailure(std::string reason) {
  TraceState& state = State();
  if (state.on) state.failure = std::move(reason);
}

std::string LastFailure() {
  const TraceState& state = State();
  return state.failure.empty() ? std::string("unknown") : state.failure;
}

}  // namespace platform
