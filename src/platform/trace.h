// SPDX-License-Identifier: MIT
// The administrator's trace: when ORVPRINT_LOG names a file, one line per
// event of the run is appended to it, each with the milliseconds since the
// start. Its state lives here, like the open-file table: the core only asks
// whether it is on and hands it finished lines. Nothing the program does
// depends on it, and a trace that cannot be written is dropped silently.
#pragma once

#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace platform {

/// The environment variable that names the trace file.
constexpr const char* kTraceVariable = "ORVPRINT_LOG";

/// True while the run's trace is on: from StartTrace, when ORVPRINT_LOG is
/// set, until EndTrace or the first write that fails. A load and a test.
bool TraceOn();

/// Appends one event (code page bytes, no line end) to the trace, prefixed
/// by the process number and the milliseconds since StartTrace, as UTF-8
/// ending in CR LF. Lines wait in memory and reach the file in blocks of
/// whole lines (at OpenTrace, every 64 KiB, FlushTrace and EndTrace), each
/// in one write, so that lines of runs sharing the file never mix.
void TraceLine(std::string_view event);

/// Writes the lines waiting: before the run waits on another program.
void FlushTrace();

/// Appends the decimal digits of an integer, or the bytes of a text.
template <typename Part>
void AppendTracePart(std::string& line, const Part& part) {
  if constexpr (std::is_integral_v<Part>)
    line += std::to_string(part);
  else
    line += std::string_view(part);
}

/// Puts one event together from texts and integers and traces it. Kept out
/// of its callers (cold, never inlined): the print run's loop would
/// otherwise grow past what the compiler inlines into it, and lose speed
/// with the trace off.
template <typename... Parts>
[[gnu::cold, gnu::noinline]] void TraceParts(const Parts&... parts) {
  std::string line;
  (AppendTracePart(line, parts), ...);
  TraceLine(line);
}

/// One event made of texts and integers, put together only while the trace
/// is on: a call site costs the TraceOn test otherwise.
template <typename... Parts>
void Trace(const Parts&... parts) {
  if (TraceOn()) TraceParts(parts...);
}

/// Reads ORVPRINT_LOG once (through the services in use) and, when it is
/// not empty, turns the trace on, holding its lines until OpenTrace. With
/// the variable unset or empty nothing else is done, now or later.
void StartTrace();

/// Opens the trace file for appending (created when missing), through the
/// file system in use and the rules of every path, unless it is one of the
/// files `guarded` names (the run's input and the files it writes): then,
/// or when it cannot be opened, the trace is dropped, a file it created
/// removed. Then writes the lines held so far.
void OpenTrace(const std::vector<std::string>& guarded);

/// Traces the total time, closes the trace file and turns the trace off.
void EndTrace();

/// Records the system's text for a failure that an operation absorbs, so
/// that the caller may trace it (LastFailure). Kept only while the trace is
/// on; the platform's own files call it where they fail.
void NoteFailure(std::string_view reason);

/// The reason noted for the latest failure, in the code page; "unknown"
/// when none was noted.
std::string LastFailure();

/// Ends the trace when the object goes: an unusual way out of the run
/// (out of memory) still closes the file.
class TraceSession {
 public:
  TraceSession() { StartTrace(); }
  ~TraceSession() { EndTrace(); }
  TraceSession(const TraceSession&) = delete;
  TraceSession& operator=(const TraceSession&) = delete;
};

}  // namespace platform
