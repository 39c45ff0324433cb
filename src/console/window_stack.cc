// The window stack file "WinPush.tmp". Layout: a 4-byte little-endian
// header holding the 1-based position where the next record starts (5 for
// an empty stack), then the records, each ten 2-digit positions, the
// area's cells as character and attribute bytes, and its own length as 5
// digits at its end, so that a pop finds the record from the header alone.
#include "console/window_stack.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "common/number.h"
#include "platform/platform.h"

namespace {

constexpr int64_t kEmptyStackTop = 5;      // position right after the header
constexpr int kFieldCount = 10;            // 2-digit positions at the start of a record
constexpr int64_t kFixedLength = 25;       // the fields and the length digits
constexpr int64_t kLongestRecord = 99999;  // what five digits can tell

ByteString StackFilePath(const ConsoleState& state) { return state.sessionDir + "WinPush.tmp"; }

int64_t CellCount(int top, int left, int bottom, int right) {
  if (bottom < top || right < left) return 0;
  return static_cast<int64_t>(bottom - top + 1) * (right - left + 1);
}

int16_t Clamp16(int value) { return StoreInt16(static_cast<double>(value)); }

// Reads exactly `size` bytes at `offset`; false when the file has fewer.
bool ReadAt(platform::FileNumber file, int64_t offset, char* buffer, size_t size) {
  if (!platform::SeekFile(file, offset)) return false;
  while (size > 0) {
    size_t n = platform::ReadBytes(file, buffer, size);
    if (n == 0) return false;
    buffer += n;
    size -= n;
  }
  return true;
}

bool WriteAt(platform::FileNumber file, int64_t offset, const ByteString& bytes) {
  return platform::SeekFile(file, offset) && platform::WriteBytes(file, bytes.data(), bytes.size());
}

bool ReadHeader(platform::FileNumber file, int64_t& stackTop) {
  unsigned char b[4];
  if (!ReadAt(file, 0, reinterpret_cast<char*>(b), 4)) return false;
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

// The file holds the last two digits of each position; when the record is
// the one this program pushed, its positions are taken in full.
void TakeOwnPositions(const ConsoleState& state, Record& record) {
  for (const PushedWindow& pushed : state.pushedWindows) {
    if (pushed.recordStart != record.start) continue;
    for (int i = 0; i < kFieldCount; ++i)
      if (ZeroPad(pushed.fields[i], 2) != ZeroPad(record.fields[i], 2)) return;
    for (int i = 0; i < kFieldCount; ++i) record.fields[i] = pushed.fields[i];
    return;
  }
}

bool ReadTopRecord(const ConsoleState& state, platform::FileNumber file, int64_t fileSize, int64_t stackTop,
                   Record& record) {
  // The length digits must lie after the header and inside the file.
  if (stackTop < kEmptyStackTop + 5 || stackTop - 1 > fileSize) return false;
  char digits[5];
  if (!ReadAt(file, stackTop - 6, digits, 5)) return false;
  double length = ReadNumber(std::string(digits, 5));
  if (!(length >= kFixedLength && length <= kLongestRecord) || length != std::floor(length)) return false;
  record.length = static_cast<int64_t>(length);
  record.start = stackTop - record.length;
  if (record.start < kEmptyStackTop || (record.length - kFixedLength) % 2 != 0) return false;

  std::string body(static_cast<size_t>(record.length - 5), '\0');
  if (!ReadAt(file, record.start - 1, &body[0], body.size())) return false;
  for (int i = 0; i < kFieldCount; ++i) record.fields[i] = ReadInt16(body.substr(2 * i, 2));
  TakeOwnPositions(state, record);
  const int16_t* area = record.fields + 6;
  if (CellCount(area[0], area[1], area[2], area[3]) * 2 != record.length - kFixedLength) return false;
  record.cells = body.substr(2 * kFieldCount);
  return true;
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
  if (!inRange(top, rows) || !inRange(left, columns) || !inRange(bottom, rows) || !inRange(right, columns)) return;
  const int64_t length = kFixedLength + 2 * CellCount(top, left, bottom, right);
  if (length > kLongestRecord) return;

  const ByteString path = StackFilePath(state);
  platform::FileNumber file = platform::OpenOrCreateForUpdate(path);
  if (file == 0) return;
  const int64_t fileSize = platform::FileSize(file);
  int64_t stackTop = kEmptyStackTop;
  bool ok = fileSize >= 0;
  // A header that points before the records or past the end of the file
  // belongs to a stack this program cannot add to without damaging it.
  if (ok && fileSize >= 4)
    ok = ReadHeader(file, stackTop) && stackTop >= kEmptyStackTop && stackTop <= fileSize + 1 &&
         stackTop + length <= 0x7FFFFFFF;

  PushedWindow pushed;
  pushed.recordStart = stackTop;
  if (ok) {
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
                                         right};  // the saved area
    ByteString head;
    for (int i = 0; i < kFieldCount; ++i) {
      pushed.fields[i] = fields[i];
      head += ZeroPad(fields[i], 2);
    }
    ok = WriteAt(file, stackTop - 1, head);
    // One row of cells at a time.
    for (int row = top; ok && row <= bottom; ++row) {
      ByteString cells;
      for (int column = left; column <= right; ++column) {
        char character = ' ';
        unsigned char attribute = 7;
        if (!state.console->ReadCell(row, column, character, attribute)) character = ' ', attribute = 7;
        cells += character;
        cells += static_cast<char>(attribute);
      }
      ok = platform::WriteBytes(file, cells.data(), cells.size());
    }
    ok = ok && platform::WriteBytes(file, ZeroPad(static_cast<int>(length), 5).data(), 5);
    // The header last: until it moves, the new bytes are not part of the stack.
    ok = ok && WriteHeader(file, stackTop + length);
  }
  platform::CloseFile(file);
  if (!ok) {
    if (fileSize >= 0 && fileSize < 4) platform::RemoveFile(path);
    return;
  }
  state.pushedWindows.push_back(pushed);
  state.windowTop = top;
  state.windowLeft = left;
  state.windowBottom = bottom;
  state.windowRight = right;
  state.windowDepth = AddClamped(state.windowDepth, 1);
}

void PopWindow(ConsoleState& state) {
  const ByteString path = StackFilePath(state);
  platform::FileNumber file = platform::OpenOrCreateForUpdate(path);
  if (file == 0) return;
  const int64_t fileSize = platform::FileSize(file);
  if (fileSize < 0) {
    platform::CloseFile(file);
    return;
  }
  int64_t stackTop = kEmptyStackTop;
  if (fileSize >= 4) {
    Record record;
    if (!ReadHeader(file, stackTop) || !ReadTopRecord(state, file, fileSize, stackTop, record)) {
      platform::CloseFile(file);
      return;
    }
    const int16_t* f = record.fields;
    if (state.console) {
      size_t cell = 0;
      for (int row = f[6]; row <= f[8]; ++row) {
        for (int column = f[7]; column <= f[9]; ++column, cell += 2) {
          // A cell that is off the screen now is not written at all, rather
          // than wherever the cursor happens to stay.
          if (row < 1 || row > ConsoleRows(state) || column < 1 || column > ConsoleColumns(state)) continue;
          state.console->SetAttribute(static_cast<unsigned char>(record.cells[cell + 1]));
          state.console->SetCursor(row, column);
          state.console->Write(ByteString(1, record.cells[cell]));
        }
      }
      state.console->SetCursor(f[0], f[1]);
    }
    // Records of ours from where this one started on are off the stack now.
    while (!state.pushedWindows.empty() && state.pushedWindows.back().recordStart >= record.start)
      state.pushedWindows.pop_back();
    state.windowTop = f[2];
    state.windowLeft = f[3];
    state.windowBottom = f[4];
    state.windowRight = f[5];
    if (state.windowDepth > 0) --state.windowDepth;
    stackTop = record.start;
    WriteHeader(file, stackTop);
  }
  platform::CloseFile(file);
  if (stackTop < 6) platform::RemoveFile(path);
}
