// SPDX-License-Identifier: MIT
// Fuzz target for the window stack file and the progress box: the front of
// the input is a (possibly damaged) "WinPush.tmp", its last bytes choose the
// console and a sequence of pushes, pops and progress boxes on an in-memory
// console, the file on an in-memory file system. Every push and pop is
// checked against the file before and after it: a push appends exactly its
// record, or keeps it in memory and leaves a file it cannot add to as it
// was; a pop of this program's window takes its record off the file while
// that is the top record and gives the screen back from memory otherwise,
// never touching another record; a pop without a window of this program
// takes exactly the top record, and one whose header or record does not fit
// the file changes nothing at all.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "common/number.h"
#include "console/console_state.h"
#include "console/progress_box.h"
#include "console/window_stack.h"
#include "fuzz_support.h"
#include "platform/memory/console-memory.h"
#include "platform/memory/files-memory.h"
#include "platform/platform.h"

namespace {

struct Screen {
  std::vector<char> characters;
  std::vector<unsigned char> attributes;
  int row = 0, column = 0, attribute = 0;
  bool operator==(const Screen& other) const {
    return characters == other.characters && attributes == other.attributes && row == other.row &&
           column == other.column && attribute == other.attribute;
  }
};

struct Window {
  int16_t depth, top, left, bottom, right;
  bool operator==(const Window& other) const {
    return depth == other.depth && top == other.top && left == other.left && bottom == other.bottom &&
           right == other.right;
  }
};

// The file, the console and the current window at one moment.
struct Moment {
  bool exists = false;
  std::string bytes;
  Screen screen;
  Window window{};
};

int64_t Header(const std::string& bytes) {
  uint32_t raw = 0;
  for (int i = 3; i >= 0; --i) raw = (raw << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
  return static_cast<int32_t>(raw);
}

int64_t CellCount(int top, int left, int bottom, int right) {
  if (bottom < top || right < left) return 0;
  return static_cast<int64_t>(bottom - top + 1) * (right - left + 1);
}

class Harness {
 public:
  Harness(const std::string& sessionDir, platform::MemoryConsole* console, const int16_t (&screenColours)[5][2])
      : path_(sessionDir + "WinPush.tmp"), memory_(console) {
    static platform::MemoryConsole none(0, 0);
    state_ = MakeConsoleState(console ? *console : none, sessionDir, screenColours);
    if (!console) state_.console = nullptr;
  }

  ConsoleState& state() { return state_; }

  // Taken before and after every step, cell by cell: most of a run's time
  // unless built without coverage and sized once.
  FUZZ_UNTRACED Moment Take() const {
    Moment m;
    m.exists = testing_support::ReadWholeFile(path_, m.bytes);
    if (memory_) {
      const int rows = memory_->Rows(), columns = memory_->Columns();
      m.screen.characters.resize(static_cast<size_t>(rows) * static_cast<size_t>(columns));
      m.screen.attributes.resize(m.screen.characters.size());
      size_t cell = 0;
      for (int row = 1; row <= rows; ++row) {
        for (int column = 1; column <= columns; ++column, ++cell) {
          m.screen.characters[cell] = memory_->CharacterAt(row, column);
          m.screen.attributes[cell] = memory_->AttributeAt(row, column);
        }
      }
      memory_->GetCursor(m.screen.row, m.screen.column);
      m.screen.attribute = memory_->Attribute();
    }
    m.window = {state_.windowDepth, state_.windowTop, state_.windowLeft, state_.windowBottom, state_.windowRight};
    return m;
  }

  // Positions stored in two digits are the full positions on a console of
  // at most 99 rows and columns; only then can the record's cells be
  // located from the file alone.
  bool SmallConsole() const { return !memory_ || (memory_->Rows() <= 99 && memory_->Columns() <= 99); }

  void CheckedPush(int16_t top, int16_t left, int16_t bottom, int16_t right) {
    const Moment before = Take();
    const size_t pushedBefore = state_.pushedWindows.size();
    PushWindow(state_, top, left, bottom, right);
    const Moment after = Take();
    FUZZ_CHECK(after.screen == before.screen);  // a push draws nothing

    const int rows = ConsoleRows(state_), columns = ConsoleColumns(state_);
    auto inRange = [](int value, int limit) { return value >= 1 && value <= limit; };
    const int64_t length = 25 + 2 * CellCount(top, left, bottom, right);
    const int64_t stackTop = before.exists && before.bytes.size() >= 4 ? Header(before.bytes) : 5;
    // A header is only read from a file that holds one; it must point after
    // itself and no further than the end of the file.
    const bool headerFits =
        before.bytes.size() < 4 ||
        (stackTop >= 5 && stackTop <= static_cast<int64_t>(before.bytes.size()) + 1 && stackTop + length <= 0x7FFFFFFF);
    const bool acceptable = inRange(top, rows) && inRange(left, columns) && inRange(bottom, rows) &&
                            inRange(right, columns) && length <= 99999;
    const bool pushed = state_.pushedWindows.size() > pushedBefore;
    FUZZ_CHECK(pushed == acceptable);
    if (!pushed) {
      FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
      FUZZ_CHECK(after.window == before.window);
      return;
    }

    // The record: cursor, previous window, area, cells, length; then the header.
    const Window& w = before.window;
    const int values[10] = {
        before.screen.row, before.screen.column, w.top, w.left, w.bottom, w.right, top, left, bottom, right};
    std::string record, cells;
    for (int value : values) record += ZeroPad(value, 2);
    for (int row = top; row <= bottom; ++row) {
      for (int column = left; column <= right; ++column) {
        const size_t cell = static_cast<size_t>((row - 1) * memory_->Columns() + (column - 1));
        cells += before.screen.characters[cell];
        cells += static_cast<char>(before.screen.attributes[cell]);
      }
    }
    record += cells + ZeroPad(static_cast<int>(length), 5);
    FUZZ_CHECK(static_cast<int64_t>(record.size()) == length);
    const Window expected{AddClamped(w.depth, 1), top, left, bottom, right};
    FUZZ_CHECK(after.window == expected);
    const PushedWindow& own = state_.pushedWindows.back();
    FUZZ_CHECK(own.cells == cells);
    for (int i = 0; i < 10; ++i) FUZZ_CHECK(own.fields[i] == values[i]);
    // The work folder is always there and writable: only a header that does
    // not fit keeps the record off the file, and then the file stays as it was.
    FUZZ_CHECK(own.onFile == headerFits);
    if (!own.onFile) {
      FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
      return;
    }
    FUZZ_CHECK(own.recordStart == stackTop);
    FUZZ_CHECK(after.exists && after.bytes.size() >= 4);
    FUZZ_CHECK(Header(after.bytes) == stackTop + length);
    const size_t start = static_cast<size_t>(stackTop - 1);
    FUZZ_CHECK(after.bytes.size() >= start + record.size());
    FUZZ_CHECK(after.bytes.compare(start, record.size(), record) == 0);
    // The stack below the new record stays as it was; so do bytes past it.
    FUZZ_CHECK(before.bytes.size() < 4 || after.bytes.compare(4, start - 4, before.bytes, 4, start - 4) == 0);
    const size_t end = start + record.size();
    if (before.bytes.size() > end)
      FUZZ_CHECK(after.bytes.size() == before.bytes.size() &&
                 after.bytes.compare(end, std::string::npos, before.bytes, end) == 0);
  }

  // True when the top record of the file is the one `own` wrote, where it
  // wrote it, its positions and length still readable.
  bool OwnRecordOnTop(const Moment& m, const PushedWindow& own) const {
    if (!own.onFile || !m.exists || m.bytes.size() < 4) return false;
    const int64_t length = 25 + static_cast<int64_t>(own.cells.size());
    const int64_t stackTop = Header(m.bytes);
    if (stackTop != own.recordStart + length || stackTop - 1 > static_cast<int64_t>(m.bytes.size())) return false;
    const std::string record = m.bytes.substr(static_cast<size_t>(own.recordStart - 1), static_cast<size_t>(length));
    if (ReadNumber(record.substr(record.size() - 5)) != static_cast<double>(length)) return false;
    for (int i = 0; i < 10; ++i)
      if (ZeroPad(own.fields[i], 2) != ZeroPad(ReadInt16(record.substr(2 * static_cast<size_t>(i), 2)), 2))
        return false;
    return true;
  }

  // The screen after cells were written back at the positions of `f`, each
  // in its own colour, and the cursor put back: cells that are off the
  // screen stay as they were.
  void CheckWrittenBack(const Moment& before, const Moment& after, const int16_t* f, const std::string& cells) const {
    if (!memory_) return;
    std::vector<char> characters = before.screen.characters;
    std::vector<unsigned char> attributes = before.screen.attributes;
    int attribute = before.screen.attribute;
    size_t cell = 0;
    for (int row = f[6]; row <= f[8]; ++row) {
      for (int column = f[7]; column <= f[9]; ++column, cell += 2) {
        if (row < 1 || row > memory_->Rows() || column < 1 || column > memory_->Columns()) continue;
        const size_t at = static_cast<size_t>((row - 1) * memory_->Columns() + (column - 1));
        characters[at] = cells[cell];
        attributes[at] = static_cast<unsigned char>(cells[cell + 1]);
        attribute = static_cast<unsigned char>(cells[cell + 1]);
      }
    }
    FUZZ_CHECK(after.screen.characters == characters);
    FUZZ_CHECK(after.screen.attributes == attributes);
    FUZZ_CHECK(after.screen.attribute == attribute);
    if (f[0] >= 1 && f[0] <= memory_->Rows()) FUZZ_CHECK(after.screen.row == f[0]);
    if (f[1] >= 1 && f[1] <= memory_->Columns()) FUZZ_CHECK(after.screen.column == f[1]);
  }

  // Runs `pop` (a PopWindow, or a CloseProgressBox that pops) and checks it.
  template <typename Pop>
  void CheckedPop(Pop&& pop) {
    const Moment before = Take();
    const std::vector<PushedWindow> ours = state_.pushedWindows;
    pop();
    const Moment after = Take();

    if (!ours.empty()) {
      // This program's last window comes off, and only that one.
      const PushedWindow& own = ours.back();
      FUZZ_CHECK(state_.pushedWindows.size() == ours.size() - 1);
      const Window expected{static_cast<int16_t>(before.window.depth > 0 ? before.window.depth - 1 : 0), own.fields[2],
                            own.fields[3], own.fields[4], own.fields[5]};
      FUZZ_CHECK(after.window == expected);
      if (OwnRecordOnTop(before, own)) {
        // From the file: the header goes down by the record, nothing else changes.
        if (own.recordStart < 6) {
          FUZZ_CHECK(!after.exists);
        } else {
          FUZZ_CHECK(after.exists && after.bytes.size() == before.bytes.size());
          FUZZ_CHECK(Header(after.bytes) == own.recordStart);
          FUZZ_CHECK(after.bytes.compare(4, std::string::npos, before.bytes, 4) == 0);
        }
        CheckWrittenBack(before, after, own.fields,
                         before.bytes.substr(static_cast<size_t>(own.recordStart - 1) + 20, own.cells.size()));
      } else {
        // From memory: a file with a stack stays as it was; one without goes.
        if (before.exists && before.bytes.size() >= 4) {
          FUZZ_CHECK(after.exists && after.bytes == before.bytes);
        } else if (own.onFile) {
          FUZZ_CHECK(!after.exists);
        } else {
          FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
        }
        CheckWrittenBack(before, after, own.fields, own.cells);
      }
      return;
    }

    if (!before.exists || before.bytes.size() < 4) {
      // An empty stack: nothing to give back; the file does not stay.
      FUZZ_CHECK(!after.exists);
      FUZZ_CHECK(after.screen == before.screen && after.window == before.window);
      return;
    }
    if (after.exists && after.bytes == before.bytes) {
      // Refused: the header or the record does not fit the file.
      FUZZ_CHECK(after.screen == before.screen && after.window == before.window);
      return;
    }

    // Taken: the header went down by the record's length, nothing else changed.
    const int64_t oldTop = Header(before.bytes);
    int64_t newTop = 5;
    if (after.exists) {
      FUZZ_CHECK(after.bytes.size() == before.bytes.size());
      FUZZ_CHECK(after.bytes.compare(4, std::string::npos, before.bytes, 4) == 0);
      newTop = Header(after.bytes);
      FUZZ_CHECK(newTop >= 6);
    }
    const int64_t length = oldTop - newTop;
    FUZZ_CHECK(length >= 25 && length <= 99999);
    FUZZ_CHECK(oldTop - 1 <= static_cast<int64_t>(before.bytes.size()));
    const std::string record = before.bytes.substr(static_cast<size_t>(newTop - 1), static_cast<size_t>(length));
    FUZZ_CHECK(ReadNumber(record.substr(record.size() - 5)) == static_cast<double>(length));
    FUZZ_CHECK(after.window.depth == (before.window.depth > 0 ? before.window.depth - 1 : 0));
    // Positions stored in two digits locate the cells only on a small console.
    if (!SmallConsole()) return;

    int16_t f[10];
    for (int i = 0; i < 10; ++i) f[i] = ReadInt16(record.substr(2 * static_cast<size_t>(i), 2));
    FUZZ_CHECK(2 * CellCount(f[6], f[7], f[8], f[9]) == length - 25);
    const Window expected{after.window.depth, f[2], f[3], f[4], f[5]};
    FUZZ_CHECK(after.window == expected);
    CheckWrittenBack(before, after, f, record.substr(20, static_cast<size_t>(length - 25)));
  }

  // Opening the box and closing it again gives back every cell, the
  // cursor, the window and the stack as they were.
  void CheckedProgressBox(int pages, int lines) {
    const Moment before = Take();
    OpenProgressBox(state_);
    const bool pushed = state_.progress.pushed;
    const bool onFile = pushed && state_.pushedWindows.back().onFile;
    ShowProgress(state_, pages, lines);
    CloseProgressBox(state_);
    const Moment after = Take();
    FUZZ_CHECK(after.window == before.window);
    if (!pushed) {
      FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
      return;
    }
    FUZZ_CHECK(after.screen.characters == before.screen.characters);
    FUZZ_CHECK(after.screen.attributes == before.screen.attributes);
    FUZZ_CHECK(after.screen.row == before.screen.row && after.screen.column == before.screen.column);
    if (!onFile) {
      // Kept in memory: the file it could not take stays as it was.
      FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
      return;
    }
    const int64_t stackTop = before.exists && before.bytes.size() >= 4 ? Header(before.bytes) : 5;
    FUZZ_CHECK(after.exists == (stackTop >= 6));
    if (after.exists) {
      FUZZ_CHECK(after.bytes.compare(0, 4, before.bytes, 0, 4) == 0);
      const size_t kept = static_cast<size_t>(stackTop - 1);
      FUZZ_CHECK(after.bytes.compare(0, kept, before.bytes, 0, kept) == 0);
    }
  }

  void CheckedClose() {
    if (state_.progress.pushed) {
      CheckedPop([this] { CloseProgressBox(state_); });
      return;
    }
    const Moment before = Take();
    CloseProgressBox(state_);
    const Moment after = Take();
    FUZZ_CHECK(after.exists == before.exists && after.bytes == before.bytes);
    FUZZ_CHECK(after.screen == before.screen && after.window == before.window);
  }

  void Damage(size_t position, char value) {
    std::string bytes;
    if (!testing_support::ReadWholeFile(path_, bytes) || bytes.empty()) return;
    bytes[position % bytes.size()] = value;
    FUZZ_CHECK(testing_support::WriteWholeFile(path_, bytes));
  }

 private:
  std::string path_;
  platform::MemoryConsole* memory_;
  ConsoleState state_;
};

int16_t Coordinate(FuzzedDataProvider& input, int limit) {
  return input.ConsumeIntegralInRange<int16_t>(-1, static_cast<int16_t>(limit + 1));
}

// A console of that size with every cell told apart: made once per size,
// a cell at a time, and copied for each run.
FUZZ_UNTRACED const platform::MemoryConsole& FilledConsole(int rows, int columns) {
  static std::map<std::pair<int, int>, platform::MemoryConsole> made;
  auto it = made.find({rows, columns});
  if (it == made.end()) {
    it = made.emplace(std::make_pair(rows, columns), platform::MemoryConsole(rows, columns)).first;
    platform::MemoryConsole& console = it->second;
    for (int row = 1; row <= rows; ++row) {
      for (int column = 1; column <= columns; ++column) {
        console.SetCursor(row, column);
        console.SetAttribute((row * 16 + column) & 0xFF);
        console.Write(std::string(1, static_cast<char>(33 + (row * 7 + column) % 200)));
      }
    }
  }
  return it->second;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The stack file lives on an in-memory file system, fresh for every input.
  const std::string sessionDir = "C:\\SESSIO\\";
  platform::MemoryFileSystem files;
  files.AddDirectory(sessionDir);
  platform::ScopedFileSystem useFiles(files);
  FuzzedDataProvider input(data, size);

  // The console: mostly the suite's 25 x 80, sometimes another size or none.
  int rows = 25, columns = 80;
  const uint8_t shape = input.ConsumeIntegral<uint8_t>();
  if (shape >= 192) {
    rows = input.ConsumeIntegralInRange<int>(0, 40);
    columns = input.ConsumeIntegralInRange<int>(0, 140);
  }
  std::unique_ptr<platform::MemoryConsole> console;
  if (shape != 255) {
    console.reset(new platform::MemoryConsole(FilledConsole(rows, columns)));
    console->SetCursor(input.ConsumeIntegralInRange<int>(1, 40), input.ConsumeIntegralInRange<int>(1, 140));
    console->SetAttribute(input.ConsumeIntegral<uint8_t>());
  }

  int16_t screenColours[5][2];
  for (auto& slot : screenColours)
    for (auto& half : slot) half = input.ConsumeIntegralInRange<int16_t>(-2, 17);
  Harness harness(sessionDir, console.get(), screenColours);
  if (input.ConsumeBool()) {
    // A window left by an earlier pop of someone else's record.
    ConsoleState& state = harness.state();
    state.windowDepth = input.ConsumeIntegralInRange<int16_t>(0, 3);
    state.windowTop = input.ConsumeIntegralInRange<int16_t>(-9, 120);
    state.windowLeft = input.ConsumeIntegralInRange<int16_t>(-9, 120);
    state.windowBottom = input.ConsumeIntegralInRange<int16_t>(-9, 120);
    state.windowRight = input.ConsumeIntegralInRange<int16_t>(-9, 120);
  }

  std::vector<uint8_t> script;
  const int steps = input.ConsumeIntegralInRange<int>(1, 10);
  for (int i = 0; i < steps; ++i) script.push_back(input.ConsumeIntegral<uint8_t>());
  std::vector<uint8_t> arguments;
  for (int i = 0; i < 4 * steps; ++i) arguments.push_back(input.ConsumeIntegral<uint8_t>());
  const bool fileExists = input.ConsumeBool();
  const std::string file = input.ConsumeRemainingBytesAsString();
  if (fileExists) FUZZ_CHECK(testing_support::WriteWholeFile(sessionDir + "WinPush.tmp", file));

  // Arguments come from their own bytes so that the file keeps its place.
  FuzzedDataProvider args(arguments.data(), arguments.size());
  for (uint8_t step : script) {
    switch (step % 7) {
      case 0:
        harness.CheckedPush(23, 34, 25, 48);
        break;
      case 1:
        harness.CheckedPush(Coordinate(args, rows), Coordinate(args, columns), Coordinate(args, rows),
                            Coordinate(args, columns));
        break;
      case 2:
        harness.CheckedPop([&harness] { PopWindow(harness.state()); });
        break;
      case 3:
        harness.CheckedProgressBox(args.ConsumeIntegralInRange<int>(0, 40000),
                                   args.ConsumeIntegralInRange<int>(-5, 1000));
        break;
      case 4:
        OpenProgressBox(harness.state());
        ShowProgress(harness.state(), args.ConsumeIntegral<int16_t>(), args.ConsumeIntegral<int16_t>());
        break;
      case 5:
        harness.CheckedClose();
        break;
      case 6:
        harness.Damage(args.ConsumeIntegral<uint16_t>(), static_cast<char>(args.ConsumeIntegral<uint8_t>()));
        break;
    }
  }
  platform::CloseAllFiles();
  return 0;
}
