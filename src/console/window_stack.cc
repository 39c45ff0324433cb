// SPDX-License-Identifier: MIT
// The window stack file "WinPush.tmp". Layout: a 4-byte little-endian
// header holding the 1-based position where the next record starts (5 for
// an empty stack), then the records, each ten 2-digit positions, the
// area's cells as character and attribute bytes, and its own length as 5
// digits at its end, so that a pop finds the record from the header alone.
#include "console/window_stack.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "common/number.h"
#include "platform/platform.h"
#include "platform/trace.h"

namespace {

constexpr int64_t kEmptyStackTop = 5;      // position right after the header
constexpr int kFieldCount = 10;            // 2-digit positions at the start of a record
constexpr int64_t kFixedLength = 25;       // the fields and the length digits
constexpr int64_t kLongestRecord = 99999;  // what five digits can tell

ByteString StackFilePath(const ConsoleState& state) { return state.sessionDir + kWindowStackFileName; }

int64_t CellCount(int top, int left, int bottom, int right) {
  if (bottom < top || right < left) return 0;
  return static_cast<int64_t>(bottom - top + 1) * (right - left + 1);
}

int16_t Clamp16(int value) { return StoreInt16(static_cast<double>(value)); }

bool WriteAt(platform::FileNumber file, int64_t offset, const ByteString& bytes) {
  return platform::SeekFile(file, offset) && platform::WriteBytes(file, bytes.data(), bytes.size());
}

bool ReadHeader(platform::FileNumber file, int64_t& stackTop) {
  unsigned char b[4];
  if (!platform::ReadBytesAt(file, 0, reinterpret_cast<char*>(b), 4)) return false;
  uint32_t raw = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
  stackTop = raw >= 0x80000000u ? static_cast<int64_t>(raw) - 0x100000000LL : static_cast<int64_t>(raw);
  return true;
}

bool WriteHeader(platform::FileNumber file, int64_t stackTop) {
  uint32_t raw = static_cast<uint32_t>(stackTop);
  ByteString b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((raw >> (8 * i)) & 0xFF);
  return WriteAt(file, 0, b);
}

// The top record, taken apart and checked against the file and itself.
struct Record {
  int64_t start = 0;   // 1-based position of its first byte
  int64_t length = 0;  // its length, the 5 digits at its end
  int16_t fields[kFieldCount] = {};
  ByteString cells;  // character and attribute byte per cell
};

bool ReadTopRecord(platform::FileNumber file, int64_t fileSize, int64_t stackTop, Record& record) {
  // The length digits must lie after the header and inside the file.
  if (stackTop < kEmptyStackTop + 5 || stackTop - 1 > fileSize) return false;
  char digits[5];
  if (!platform::ReadBytesAt(file, stackTop - 6, digits, 5)) return false;
  double length = ReadNumber(std::string(digits, 5));
  if (!(length >= kFixedLength && length <= kLongestRecord) || length != std::floor(length)) return false;
  record.length = static_cast<int64_t>(length);
  record.start = stackTop - record.length;
  if (record.start < kEmptyStackTop || (record.length - kFixedLength) % 2 != 0) return false;

  std::string body(static_cast<size_t>(record.length - 5), '\0');
  if (!platform::ReadBytesAt(file, record.start - 1, &body[0], body.size())) return false;
  for (int i = 0; i < kFieldCount; ++i) record.fields[i] = ReadInt16(body.substr(2 * i, 2));
  record.cells = body.substr(2 * kFieldCount);
  return true;
}

// True when the record is the one `own` wrote, where it wrote it; its
// positions are then taken in full from `own`.
bool IsOwnRecord(const PushedWindow& own, Record& record) {
  if (!own.onFile || record.start != own.recordStart ||
      record.length != kFixedLength + static_cast<int64_t>(own.cells.size()))
    return false;
  for (int i = 0; i < kFieldCount; ++i)
    if (ZeroPad(own.fields[i], 2) != ZeroPad(record.fields[i], 2)) return false;
  for (int i = 0; i < kFieldCount; ++i) record.fields[i] = own.fields[i];
  return true;
}

bool CellsFitArea(const int16_t* fields, const ByteString& cells) {
  return CellCount(fields[6], fields[7], fields[8], fields[9]) * 2 == static_cast<int64_t>(cells.size());
}

// Takes the top record off the file: with `own`, only when it is that
// record; the file is left as it was otherwise. The file goes when the
// stack is empty afterwards, or was empty (or shorter than a header) to
// begin with. True when a record was taken.
bool TakeTopRecord(const ConsoleState& state, const PushedWindow* own, Record& record) {
  const ByteString path = StackFilePath(state);
  platform::FileNumber file = platform::OpenOrCreateForUpdate(path);
  if (file == 0) return false;
  const int64_t fileSize = platform::FileSize(file);
  int64_t stackTop = kEmptyStackTop;
  bool taken = false;
  if (fileSize >= 4) {
    taken = ReadHeader(file, stackTop) && ReadTopRecord(file, fileSize, stackTop, record) &&
            (own ? IsOwnRecord(*own, record) : true) && CellsFitArea(record.fields, record.cells);
    if (taken) {
      stackTop = record.start;
      WriteHeader(file, stackTop);
    }
  }
  platform::CloseFile(file);
  if (fileSize >= 0 && (fileSize < 4 || taken) && stackTop < 6) platform::RemoveFile(path);
  return taken;
}

// Appends the record of `pushed` to the file; false, with the stack as it
// was, when the file cannot take it.
bool AppendRecord(const ConsoleState& state, PushedWindow& pushed) {
  ByteString record;
  for (int i = 0; i < kFieldCount; ++i) record += ZeroPad(pushed.fields[i], 2);
  record += pushed.cells;
  const int64_t length = kFixedLength + static_cast<int64_t>(pushed.cells.size());
  record += ZeroPad(static_cast<int>(length), 5);

  const ByteString path = StackFilePath(state);
  platform::FileNumber file = platform::OpenOrCreateForUpdate(path);
  if (file == 0) return false;
  const int64_t fileSize = platform::FileSize(file);
  int64_t stackTop = kEmptyStackTop;
  bool ok = fileSize >= 0;
  // A header that points before the records or past the end of the file
  // belongs to a stack this program cannot add to without damaging it.
  if (ok && fileSize >= 4)
    ok = ReadHeader(file, stackTop) && stackTop >= kEmptyStackTop && stackTop <= fileSize + 1 &&
         stackTop + length <= 0x7FFFFFFF;
  ok = ok && WriteAt(file, stackTop - 1, record);
  // The header last: until it moves, the new bytes are not part of the stack.
  ok = ok && WriteHeader(file, stackTop + length);
  platform::CloseFile(file);
  if (!ok) {
    if (fileSize >= 0 && fileSize < 4) platform::RemoveFile(path);
    return false;
  }
  pushed.recordStart = stackTop;
  return true;
}

// Writes saved cells back, each in its own colour, and puts the cursor
// back; cells that are off the screen now are not written at all. The text
// colour ends as that of the last cell written back.
void WriteBack(ConsoleState& state, const int16_t* f, const ByteString& cells) {
  if (!state.console) return;
  const int last = state.console->WriteArea(f[6], f[7], f[8], f[9], cells);
  if (last >= 0) state.console->SetAttribute(last);
  state.console->SetCursor(f[0], f[1]);
}

// The window that was current before the one described by `f`.
void LeaveWindow(ConsoleState& state, const int16_t* f) {
  state.windowTop = f[2];
  state.windowLeft = f[3];
  state.windowBottom = f[4];
  state.windowRight = f[5];
  if (state.windowDepth > 0) --state.windowDepth;
}

// The trace's lines of the stack, out of the way of the console's own work.
[[gnu::noinline]] void TraceStack(const ConsoleState& state, const char* what) {
  if (platform::TraceOn()) platform::Trace("window stack ", StackFilePath(state), what);
}

[[gnu::noinline]] void TracePush(const ConsoleState& state, const PushedWindow& pushed) {
  if (!platform::TraceOn()) return;
  const int16_t* f = pushed.fields;
  if (pushed.onFile)
    platform::Trace("window stack ", StackFilePath(state), ": screen under rows ", f[6], "-", f[8], ", columns ", f[7],
                    "-", f[9], " pushed at position ", pushed.recordStart);
  else
    platform::Trace("window stack ", StackFilePath(state), ": the file could not take the screen (",
                    platform::LastFailure(), "): kept in memory");
}

}  // namespace

ByteString ZeroPad(int value, int width) {
  if (width <= 0) return ByteString();
  ByteString digits = std::to_string(std::llabs(static_cast<long long>(value)));
  ByteString padded = ByteString(static_cast<size_t>(width), '0') + digits;
  return padded.substr(padded.size() - static_cast<size_t>(width));
}

int ConsoleRows(const ConsoleState& state) {
  int rows = state.console ? state.console->Rows() : 0;
  return rows < 0 ? 0 : rows > 32767 ? 32767 : rows;
}

int ConsoleColumns(const ConsoleState& state) {
  int columns = state.console ? state.console->Columns() : 0;
  return columns < 0 ? 0 : columns > 32767 ? 32767 : columns;
}

void PushWindow(ConsoleState& state, int16_t top, int16_t left, int16_t bottom, int16_t right) {
  const int rows = ConsoleRows(state), columns = ConsoleColumns(state);
  auto inRange = [](int value, int limit) { return value >= 1 && value <= limit; };
  if (!inRange(top, rows) || !inRange(left, columns) || !inRange(bottom, rows) || !inRange(right, columns)) {
    TraceStack(state, ": the console is too small for the window, the screen is not saved");
    return;
  }
  if (kFixedLength + 2 * CellCount(top, left, bottom, right) > kLongestRecord) return;

  PushedWindow pushed;
  int cursorRow = 1, cursorColumn = 1;
  state.console->GetCursor(cursorRow, cursorColumn);
  // The cursor, the window before this one, the saved area.
  const int16_t fields[kFieldCount] = {Clamp16(cursorRow),
                                       Clamp16(cursorColumn),
                                       state.windowTop,
                                       state.windowLeft,
                                       state.windowBottom,
                                       state.windowRight,
                                       top,
                                       left,
                                       bottom,
                                       right};
  for (int i = 0; i < kFieldCount; ++i) pushed.fields[i] = fields[i];
  state.console->ReadArea(top, left, bottom, right, pushed.cells);
  // A file that cannot take the record costs the stack nothing: the window
  // is kept in memory alone and given back from there.
  platform::NoteFailure("its header does not fit it");  // unless the system gives a reason
  pushed.onFile = AppendRecord(state, pushed);
  TracePush(state, pushed);

  state.pushedWindows.push_back(std::move(pushed));
  state.windowTop = top;
  state.windowLeft = left;
  state.windowBottom = bottom;
  state.windowRight = right;
  state.windowDepth = AddClamped(state.windowDepth, 1);
}

void PopWindow(ConsoleState& state) {
  if (state.pushedWindows.empty()) {
    // No window of this program is current: the file's top record goes,
    // whoever wrote it.
    Record record;
    if (!TakeTopRecord(state, nullptr, record)) return;
    WriteBack(state, record.fields, record.cells);
    LeaveWindow(state, record.fields);
    return;
  }
  // This program's last window comes off: from the file while its record
  // is the top one there; from memory when the file lost it, holds another
  // record on top, or could not take it at all. Records of others stay.
  PushedWindow own = std::move(state.pushedWindows.back());
  state.pushedWindows.pop_back();
  Record record;
  if (own.onFile && TakeTopRecord(state, &own, record)) {
    WriteBack(state, record.fields, record.cells);
    TraceStack(state, ": screen popped from the file");
  } else {
    WriteBack(state, own.fields, own.cells);
    TraceStack(state, ": screen given back from memory");
  }
  LeaveWindow(state, own.fields);
}
