// SPDX-License-Identifier: MIT
// The trace's own state and its file: lines held until the file may be
// opened, then written in blocks of whole lines, each in one write, at the
// file's end.
#include "platform/trace.h"

#include <cstdint>
#include <utility>

#include "common/charset.h"
#include "platform/file_system.h"
#include "platform/platform.h"

namespace platform {
namespace {

// Lines wait in memory and go to the file in blocks of whole lines: a
// report may hold thousands of Send sections, and a write for each would
// cost the run more than its lines. Before the file is opened they wait
// up to kLongestHold bytes; more are dropped, not kept.
constexpr size_t kTraceBlockSize = 64 * 1024;
constexpr size_t kLongestHold = 1024 * 1024;

struct TraceState {
  bool on = false;
  bool opened = false;          // OpenTrace was called: lines go to the file
  std::string path;             // ORVPRINT_LOG as read
  std::string pending;          // whole lines not yet written
  FileSystem* owner = nullptr;  // the file's file system, null while no file is open
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
  std::string().swap(state.pending);
}

// The lines waiting go to the file in one write, so that another run's
// lines, appended to the same file, come before or after them, never
// between. A write that fails ends the trace.
void WritePending(TraceState& state) {
  if (!state.owner || state.pending.empty()) return;
  if (!state.owner->Write(state.handle, state.pending.data(), state.pending.size())) {
    TurnOff(state);
    return;
  }
  state.pending.clear();
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

}  // namespace

bool TraceOn() { return State().on; }

void TraceLine(std::string_view event) {
  TraceState& state = State();
  if (!state.on) return;
  if (!state.opened && state.pending.size() > kLongestHold) return;
  std::string& out = state.pending;
  out += state.prefix;
  const std::string ms = std::to_string(Milliseconds() - state.start);
  if (ms.size() < 6) out.append(6 - ms.size(), ' ');
  out += ms;
  out += " ms  ";
  out += ConvertCharset(Printable(event));
  out += "\r\n";
  if (state.pending.size() >= kTraceBlockSize) WritePending(state);
}

void FlushTrace() { WritePending(State()); }

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
  WritePending(state);
}

void EndTrace() {
  TraceState& state = State();
  if (state.on) {
    Trace("end: ", Milliseconds() - state.start, " ms in all");
    WritePending(state);  // a run that ended before its trace was opened has no file to write to
  }
  TurnOff(state);
  state.opened = false;
  state.failure.clear();
}

void NoteFailure(std::string_view reason) {
  TraceState& state = State();
  if (state.on) state.failure.assign(reason.data(), reason.size());
}

std::string LastFailure() {
  const TraceState& state = State();
  return state.failure.empty() ? std::string("unknown") : state.failure;
}

}  // namespace platform
