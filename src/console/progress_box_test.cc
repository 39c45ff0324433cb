// SPDX-License-Identifier: MIT
// The progress box on an in-memory console: its exact cells and colours,
// the counters, the colour slots, and consoles too small for the box.
#include "console/progress_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "console/window_stack.h"
#include "platform/memory/console-memory.h"
#include "platform/platform.h"
#include "support/console_screen.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::AreaCells;
using testing_support::DirectoryExists;
using testing_support::FileExists;
using testing_support::FillScreen;
using testing_support::Header;
using testing_support::ReadWholeFile;
using testing_support::Snap;
using testing_support::Snapshot;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

using platform::MemoryConsole;

// Leaves `value` in every int of the stack the next call will use, so that
// a local it reads before setting shows (in a build without optimisation).
// The count is a parameter so that no local of its own lies above the cells.
[[gnu::noinline]] void FillStack(int value, int i = 0) {
  volatile int cells[2048];
  for (; i < 2048; ++i) cells[i] = value;
  static_cast<void>(cells);  // filled for the next call, never read here
}

// The colour table of a colour string such as "15000700000700070007".
void LoadColours(ConsoleState& state, const char* colours) {
  ByteString text = colours;
  for (int slot = 0; slot < 5; ++slot)
    for (int half = 0; half < 2; ++half)
      state.screenColours[slot][half] = static_cast<int16_t>(
          text.size() >= size_t{4} * slot + 2 * half + 2 ? std::stoi(text.substr(4 * slot + 2 * half, 2)) : 0);
}

ConsoleState StateFor(MemoryConsole& console, const TempFolder& folder, const char* colours = "15000700000700070007") {
  const int16_t noColours[5][2] = {};
  ConsoleState state = MakeConsoleState(console, folder.Dir(), noColours);
  LoadColours(state, colours);
  return state;
}

TEST(ProgressBoxTest, DrawsTheFrameAndTitleInSlotThree) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(7, 3);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);
  const ByteString saved = AreaCells(console, 23, 34, 25, 48);

  OpenProgressBox(state);

  EXPECT_EQ(console.Text(23, 34, 48), "\xDA\xC4  PAG / LIN\xC4\xBF");
  EXPECT_EQ(console.Text(24, 34, 48), "\xB3" + ByteString(13, ' ') + "\xB3") << "no counters before the first report";
  EXPECT_EQ(console.Text(25, 34, 48), "\xC0" + ByteString(13, '\xC4') + "\xD9");
  const Snapshot after = Snap(console);
  for (int row = 1; row <= 25; ++row) {
    for (int column = 1; column <= 80; ++column) {
      const size_t i = static_cast<size_t>((row - 1) * 80 + column - 1);
      if (row >= 23 && column >= 34 && column <= 48) {
        EXPECT_EQ(after.attributes[i], 0x70) << row << "," << column;
      } else {
        EXPECT_EQ(after.characters[i], before.characters[i]) << row << "," << column;
        EXPECT_EQ(after.attributes[i], before.attributes[i]) << row << "," << column;
      }
    }
  }
  EXPECT_EQ(console.Attribute(), 0x0F) << "back to slot 0: bright white on black";
  EXPECT_EQ(state.currentColourSlot, 0);
  EXPECT_TRUE(state.colourSlotStack.empty());
  EXPECT_EQ(state.windowDepth, 1);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  EXPECT_EQ(file, Header(120) + "07030000000023342548" + saved + "00115");
}

TEST(ProgressBoxTest, ShowsTheCountersRightAlignedInBrightWhite) {
  struct Case {
    int pages, lines;
    const char* row24;  // columns 34 to 48; from 36 the counters
  } const cases[] = {
      {3, 12, "\xB3     3 /  12 \xB3"},
      {0, 0, "\xB3     0 /   0 \xB3"},
      {0, 1000, "\xB3     0 / 1000\xB3"},
      {1, 10000, "\xB3     1 / 10000"},
      {12345, 1, "\xB3 12345 /   1 \xB3"},
      {32767, 32767, "\xB3 32767 / 32767"},
      // Negative line counts (negative line-end counts add up) end at the border.
      {1, -1, "\xB3     1 /  -1 \xB3"},
      {0, -32768, "\xB3     0 / -3276"},
      {32767, -10000, "\xB3 32767 / -1000"},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    FillScreen(console);
    ConsoleState state = StateFor(console, folder);
    const unsigned char beyond = console.AttributeAt(24, 49);
    OpenProgressBox(state);
    ShowProgress(state, c.pages, c.lines);
    EXPECT_EQ(console.Text(24, 34, 48), c.row24) << c.pages << " / " << c.lines;
    const size_t length = std::min<size_t>(ProgressText(c.pages, c.lines).size(), 13);
    for (int column = 36; column < 36 + static_cast<int>(length); ++column)
      EXPECT_EQ(console.AttributeAt(24, column), 0x0F) << column;
    EXPECT_EQ(console.AttributeAt(24, 35), 0x70);
    EXPECT_EQ(console.AttributeAt(24, 49), beyond) << "never past the border";
  }
}

// An in-memory console that also notes every write with the cell it starts at.
class RecordingConsole : public MemoryConsole {
 public:
  using MemoryConsole::MemoryConsole;
  void Write(const ByteString& text) override {
    int row, column;
    GetCursor(row, column);
    writes.push_back(std::to_string(row) + "," + std::to_string(column) + ":" + text);
    MemoryConsole::Write(text);
  }
  std::vector<std::string> writes;
};

TEST(ProgressBoxTest, DrawsTheCountersAtMostOnceAFrame) {
  struct Report {
    int64_t wait;       // milliseconds on the console's clock before the report
    int pages, lines;   // the counters reported
    const char* shown;  // row 24, columns 36 to 46, afterwards
    int times = 1;      // the same report, made this many times in a row
  };
  struct Case {
    const char* what;
    std::vector<Report> reports;
    std::vector<std::string> counterWrites;  // every counter text written, the last one while closing included
  } const cases[] = {
      {"the first counters at once", {{0, 1, 5, "    1 /   5"}}, {"    1 /   5"}},
      {"the first counters at once, even late", {{5000, 0, 0, "    0 /   0"}}, {"    0 /   0"}},
      {"the same counters are not drawn again",
       {{0, 1, 5, "    1 /   5"}, {80, 1, 5, "    1 /   5"}, {80, 1, 5, "    1 /   5"}},
       {"    1 /   5"}},
      {"a change within the frame waits for the close",
       {{0, 1, 5, "    1 /   5"}, {49, 1, 6, "    1 /   5"}},
       {"    1 /   5", "    1 /   6"}},
      {"a change once the frame has passed",
       {{0, 1, 5, "    1 /   5"}, {50, 1, 6, "    1 /   6"}},
       {"    1 /   5", "    1 /   6"}},
      {"changes held back are drawn by the first report after the frame",
       {{0, 1, 5, "    1 /   5"},
        {10, 1, 6, "    1 /   5"},
        {10, 1, 7, "    1 /   5"},
        {30, 1, 8, "    1 /   8"},
        {1, 2, 0, "    1 /   8"}},
       {"    1 /   5", "    1 /   8", "    2 /   0"}},
      {"the frame counts from the last drawing, not the last report",
       {{0, 0, 1, "    0 /   1"},
        {30, 0, 2, "    0 /   1"},
        {30, 0, 3, "    0 /   3"},
        {30, 0, 4, "    0 /   3"},
        {20, 0, 5, "    0 /   5"}},
       {"    0 /   1", "    0 /   3", "    0 /   5"}},
      {"a change undone within the frame leaves nothing to draw",
       {{0, 3, 12, "    3 /  12"}, {10, 3, 13, "    3 /  12"}, {10, 3, 12, "    3 /  12"}},
       {"    3 /  12"}},
      {"counters held back are drawn by a later call with them once the frame has passed",
       {{0, 1, 5, "    1 /   5"},
        {10, 1, 6, "    1 /   5"},
        {50, 1, 6, "    1 /   5"},
        {0, 1, 6, "    1 /   5", 14},
        {0, 1, 6, "    1 /   6", 2}},
       {"    1 /   5", "    1 /   6"}},
      {"a clock that went back draws",
       {{0, 1, 1, "    1 /   1"}, {-500, 1, 2, "    1 /   2"}},
       {"    1 /   1", "    1 /   2"}},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    RecordingConsole console(25, 80);
    FillScreen(console);
    console.SetCursor(12, 70);
    const Snapshot before = Snap(console);
    ConsoleState state = StateFor(console, folder);
    OpenProgressBox(state);
    for (const Report& report : c.reports) {
      for (int time = 0; time < report.times; ++time) {
        console.AdvanceClock(report.wait);
        ShowProgress(state, report.pages, report.lines);
        EXPECT_EQ(console.Text(24, 36, 46), report.shown)
            << c.what << ", after " << report.pages << "/" << report.lines;
      }
    }
    const size_t beforeClose = console.writes.size();
    CloseProgressBox(state);

    // Cells given back are written one at a time; counters never are.
    std::vector<std::string> counters;
    for (const std::string& write : console.writes)
      if (write.compare(0, 6, "24,36:") == 0 && write.size() > 7) counters.push_back(write.substr(6));
    EXPECT_EQ(counters, c.counterWrites) << c.what;
    // Closing draws what was held back first, then gives every cell back.
    const bool heldBack = c.counterWrites.size() > 1 && c.counterWrites.back() != c.reports.back().shown;
    ASSERT_EQ(console.writes.size(), beforeClose + (heldBack ? 1 : 0) + 45) << c.what;
    if (heldBack) {
      EXPECT_EQ(console.writes[beforeClose], "24,36:" + c.counterWrites.back()) << c.what;
    }
    EXPECT_EQ(state.progress.text, c.counterWrites.back()) << c.what << ": the counters shown last are the run's";
    Snapshot after = Snap(console);
    after.attribute = before.attribute;
    EXPECT_TRUE(after == before) << c.what;
  }

  // A new box shows its counters again, even the same ones at the same time.
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder);
  OpenProgressBox(state);
  ShowProgress(state, 1, 6);
  CloseProgressBox(state);
  OpenProgressBox(state);
  const int drawn = console.WriteCount();
  ShowProgress(state, 1, 6);
  EXPECT_EQ(console.WriteCount(), drawn + 1);
  EXPECT_EQ(console.Text(24, 36, 46), "    1 /   6");
  CloseProgressBox(state);
}

TEST(ProgressBoxTest, ClosingGivesBackTheScreenAndTheCursor) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(12, 70);
  console.SetAttribute(0x1E);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  OpenProgressBox(state);
  for (int line = 1; line <= 120; ++line) ShowProgress(state, line / 60, line % 60);
  CloseProgressBox(state);

  Snapshot after = Snap(console);
  EXPECT_EQ(after.attribute, (25 * 16 + 48) & 0xFF) << "the colour of the bottom-right cell";
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  EXPECT_EQ(state.windowDepth, 0);
  CloseProgressBox(state);  // a second close has nothing to give back
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

TEST(ProgressBoxTest, FitsAConsoleOfExactly25By48) {
  TempFolder folder;
  MemoryConsole console(25, 48);
  FillScreen(console);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);
  OpenProgressBox(state);
  EXPECT_EQ(console.Text(25, 34, 48), "\xC0" + ByteString(13, '\xC4') + "\xD9");
  EXPECT_EQ(console.Text(1, 1, 48), ByteString(before.characters.begin(), before.characters.begin() + 48))
      << "writing the bottom-right cell does not scroll";
  CloseProgressBox(state);
  Snapshot after = Snap(console);
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
}

TEST(ProgressBoxTest, OnASmallConsoleWritesTitleAndCountersWithoutABox) {
  struct Case {
    int rows, columns;
  } const cases[] = {{24, 80}, {25, 47}, {10, 20}};
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(c.rows, c.columns);
    console.SetCursor(7, 3);
    ConsoleState state = StateFor(console, folder);
    OpenProgressBox(state);
    EXPECT_EQ(state.windowDepth, 0);
    EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
    EXPECT_EQ(console.Text(7, 2, 12), "  PAG / LIN") << c.rows << "x" << c.columns;
    EXPECT_EQ(console.AttributeAt(7, 2), 0x70);
    ShowProgress(state, 3, 12);
    EXPECT_EQ(console.Text(1, 2, 12), "    3 /  12");
    EXPECT_EQ(console.AttributeAt(1, 12), 0x0F);
    const Snapshot shown = Snap(console);
    CloseProgressBox(state);
    EXPECT_TRUE(Snap(console) == shown) << "nothing to give back";
    EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  }
  TempFolder folder;
  MemoryConsole none(0, 0);
  ConsoleState state = StateFor(none, folder);
  OpenProgressBox(state);
  ShowProgress(state, 1, 1);
  CloseProgressBox(state);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  ConsoleState detached;
  OpenProgressBox(detached);
  ShowProgress(detached, 1, 1);
  CloseProgressBox(detached);
}

TEST(ProgressBoxTest, TheHostKeepsItsScreenAndItsStackWhenTheStackFileFails) {
  const ByteString hostStack = Header(120) + "01010000000001010315" + ByteString(90, 'h') + "00115";
  enum Setup { kNoFile, kBytes, kFolder, kReadOnly, kNoSessionFolder };
  enum Meanwhile { kNothing, kDelete, kMakeFolder, kHeaderDown, kCut, kDamageLength };
  enum After { kNone, kFolderStays, kAsItWas };  // kAsItWas: as before the run, or as left meanwhile
  struct Case {
    const char* what;
    int rows, columns;
    Setup setup;
    ByteString bytes;     // the file before the run
    Meanwhile meanwhile;  // done to the file while the box is shown
    After after;
  } const cases[] = {
      {"console too small", 24, 80, kBytes, hostStack, kNothing, kAsItWas},
      {"header past the end", 25, 80, kBytes, Header(900) + hostStack.substr(4), kNothing, kAsItWas},
      {"header before the records", 25, 80, kBytes, Header(2) + hostStack.substr(4), kNothing, kAsItWas},
      {"a folder named WinPush.tmp", 25, 80, kFolder, "", kNothing, kFolderStays},
      {"a read-only WinPush.tmp holding a host's record", 25, 80, kReadOnly, hostStack, kNothing, kAsItWas},
      {"a session folder that does not exist", 25, 80, kNoSessionFolder, "", kNothing, kNone},
      {"the file deleted while the box is shown", 25, 80, kNoFile, "", kDelete, kNone},
      {"the file deleted under a host's record", 25, 80, kBytes, hostStack, kDelete, kNone},
      {"a folder in place of the file while the box is shown", 25, 80, kNoFile, "", kMakeFolder, kFolderStays},
      {"the header moved down onto the host's record", 25, 80, kBytes, hostStack, kHeaderDown, kAsItWas},
      {"the record cut short", 25, 80, kBytes, hostStack, kCut, kAsItWas},
      {"the record's length damaged", 25, 80, kNoFile, "", kDamageLength, kAsItWas},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(c.rows, c.columns);
    FillScreen(console);
    console.SetCursor(9, 61);
    const Snapshot before = Snap(console);
    ConsoleState state = StateFor(console, folder);
    const ByteString stackFile = folder.Path("WinPush.tmp");
    const std::filesystem::path native = folder.NativePath("WinPush.tmp");
    std::error_code ignored;
    if (c.setup == kBytes || c.setup == kReadOnly) {
      EXPECT_TRUE(WriteWholeFile(stackFile, c.bytes)) << c.what;
    }
    if (c.setup == kFolder) {
      ASSERT_TRUE(platform::MakeDirectory(stackFile));
    }
    if (c.setup == kReadOnly)
      std::filesystem::permissions(native,
                                   std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                       std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove, ignored);
    if (c.setup == kNoSessionFolder) state.sessionDir = folder.Dir() + "missing\\";

    OpenProgressBox(state);
    ShowProgress(state, 2, 2);
    const bool onFile = !state.pushedWindows.empty() && state.pushedWindows.back().onFile;
    ByteString file;
    switch (c.meanwhile) {
      case kNothing:
        break;
      case kDelete:
        EXPECT_TRUE(platform::RemoveFile(stackFile)) << c.what;
        break;
      case kMakeFolder:
        EXPECT_TRUE(platform::RemoveFile(stackFile)) << c.what;
        EXPECT_TRUE(platform::MakeDirectory(stackFile)) << c.what;
        break;
      case kHeaderDown:
        ASSERT_TRUE(ReadWholeFile(stackFile, file)) << c.what;
        EXPECT_TRUE(WriteWholeFile(stackFile, Header(120) + file.substr(4))) << c.what;
        break;
      case kCut:
        ASSERT_TRUE(ReadWholeFile(stackFile, file)) << c.what;
        EXPECT_TRUE(WriteWholeFile(stackFile, file.substr(0, 150))) << c.what;
        break;
      case kDamageLength:
        ASSERT_TRUE(ReadWholeFile(stackFile, file)) << c.what;
        EXPECT_TRUE(WriteWholeFile(stackFile, file.substr(0, file.size() - 5) + "abcde")) << c.what;
        break;
    }
    ByteString asItWas;
    ReadWholeFile(stackFile, asItWas);

    if (c.rows >= 25 && c.columns >= 48) {
      EXPECT_EQ(state.windowDepth, 1) << c.what;
      EXPECT_EQ(console.Text(23, 34, 48), "\xDA\xC4  PAG / LIN\xC4\xBF") << c.what;
      EXPECT_EQ(console.Text(24, 34, 48), "\xB3     2 /   2 \xB3") << c.what;
      EXPECT_EQ(console.Text(25, 34, 48), "\xC0" + ByteString(13, '\xC4') + "\xD9") << c.what;
      EXPECT_EQ(console.Text(1, 1, 80), ByteString(before.characters.begin(), before.characters.begin() + 80))
          << c.what << ": nothing lands on the host's first row";
      EXPECT_EQ(console.Text(9, 1, 80),
                ByteString(before.characters.begin() + 8 * 80, before.characters.begin() + 9 * 80))
          << c.what << ": nor on the cursor's row";
    }
    CloseProgressBox(state);

    if (c.rows >= 25 && c.columns >= 48) {
      Snapshot after = Snap(console);
      EXPECT_EQ(after.row, 9) << c.what;
      EXPECT_EQ(after.column, 61) << c.what;
      after.attribute = before.attribute;
      EXPECT_TRUE(after == before) << c.what << ": every cell given back";
      EXPECT_EQ(state.windowDepth, 0) << c.what;
      EXPECT_TRUE(state.pushedWindows.empty()) << c.what;
    }
    switch (c.after) {
      case kNone:
        EXPECT_FALSE(FileExists(stackFile)) << c.what;
        EXPECT_FALSE(DirectoryExists(stackFile)) << c.what;
        EXPECT_FALSE(DirectoryExists(folder.Dir() + "missing")) << c.what;
        break;
      case kFolderStays:
        EXPECT_TRUE(DirectoryExists(stackFile)) << c.what;
        break;
      case kAsItWas:
        EXPECT_TRUE(ReadWholeFile(stackFile, file)) << c.what;
        if (c.setup == kReadOnly) {
          // A file system that lets this user write anyway takes the box's
          // record above the host's and gives it back; the host's record stays.
          EXPECT_EQ(file.substr(0, hostStack.size()), hostStack) << c.what;
          if (!onFile) {
            EXPECT_EQ(file, hostStack) << c.what;
          }
        } else {
          EXPECT_EQ(file, asItWas) << c.what;
        }
        break;
    }
    std::filesystem::permissions(native, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                 ignored);
  }
}

TEST(SetScreenColourTest, ChoosesTheSlotFromTheLetters) {
  struct Case {
    const char* mode;
    int slot;
    int attribute;
  } const cases[] = {
      {"", 0, 0x07},   {"   ", 0, 0x07}, {"n", 1, 0x07},  {"N", 1, 0x07},   {"r", 2, 0x70},   {"rn", 3, 0x70},
      {"NR", 3, 0x70}, {"u", 4, 0x70},   {"ur", 4, 0x70}, {"unr", 4, 0x70}, {"x", 0, 0x0F},   {" n ", 1, 0x07},
      {"\t", 0, 0x0F}, {"+", 0, 0x0F},   {"-", 0, 0x0F},  {"-rn", 0, 0x0F}, {"+-u", 0, 0x0F},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    ConsoleState state = StateFor(console, folder);
    state.currentColourSlot = 0;
    const ByteString mode = c.mode;
    FillStack(2);  // a slot left unset would be 2
    SetScreenColour(state, mode);
    EXPECT_EQ(state.currentColourSlot, c.slot) << "mode '" << c.mode << "'";
    EXPECT_EQ(console.Attribute(), c.attribute) << "mode '" << c.mode << "'";
  }
}

TEST(SetScreenColourTest, SavesAndRestoresSlotsOnItsStack) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder);
  SetScreenColour(state, "n");
  SetScreenColour(state, "+rn");
  EXPECT_EQ(state.colourSlotStack, ByteString("\x01"));
  EXPECT_EQ(state.currentColourSlot, 3);
  SetScreenColour(state, "+u");
  EXPECT_EQ(state.colourSlotStack, ByteString("\x01\x03"));
  EXPECT_EQ(state.currentColourSlot, 4);
  SetScreenColour(state, "-");
  EXPECT_EQ(state.currentColourSlot, 3);
  SetScreenColour(state, "-r");
  EXPECT_EQ(state.currentColourSlot, 1) << "the saved slot, the letter ignored";
  EXPECT_TRUE(state.colourSlotStack.empty());
  SetScreenColour(state, "-");
  EXPECT_EQ(state.currentColourSlot, 0) << "an empty stack gives slot 0";
  EXPECT_EQ(console.Attribute(), 0x0F);
  SetScreenColour(state, "+");
  EXPECT_EQ(state.colourSlotStack, ByteString(1, '\0'));
  EXPECT_EQ(state.currentColourSlot, 0);

  state.colourSlotStack = "\x09";  // not a slot
  SetScreenColour(state, "-");
  EXPECT_EQ(state.currentColourSlot, 0);
}

TEST(SetScreenColourTest, ColoursOutsideTheRangeKeepTheirHalf) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder, "0701");
  console.SetAttribute(0x8000 | 0x5A);
  SetScreenColour(state, "x");
  EXPECT_EQ(console.Attribute(), 0x8000 | 0x17) << "slot 0: 7 on 1, higher bits kept";
  SetScreenColour(state, "n");
  EXPECT_EQ(console.Attribute(), 0x8000 | 0x00) << "slot 1 of a short string: 0 on 0";

  state.screenColours[2][0] = 16;
  state.screenColours[2][1] = 3;
  state.screenColours[3][0] = -1;
  state.screenColours[3][1] = 99;
  console.SetAttribute(0x5A);
  SetScreenColour(state, "r");
  EXPECT_EQ(console.Attribute(), 0x3A);
  SetScreenColour(state, "rn");
  EXPECT_EQ(console.Attribute(), 0x3A);
  EXPECT_EQ(state.currentColourSlot, 3);
}

TEST(DrawFrameTest, DrawsEachStyleAroundTheCurrentWindow) {
  struct Case {
    int16_t style;
    const char* top;
    const char* middle;
    const char* bottom;
  } const cases[] = {
      {0, "      ", "      ", "      "},
      {1, "\xDA\xC4\xC4\xC4\xC4\xBF", "\xB3    \xB3", "\xC0\xC4\xC4\xC4\xC4\xD9"},
      {2, "\xC9\xCD\xCD\xCD\xCD\xBB", "\xBA    \xBA", "\xC8\xCD\xCD\xCD\xCD\xBC"},
      {9, "      ", "      ", "      "},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    FillScreen(console);
    ConsoleState state = StateFor(console, folder);
    PushWindow(state, 3, 5, 6, 10);
    console.SetAttribute(0x2C);
    DrawFrame(state, c.style);
    EXPECT_EQ(console.Text(3, 5, 10), c.top) << "style " << c.style;
    EXPECT_EQ(console.Text(4, 5, 10), c.middle) << "style " << c.style;
    EXPECT_EQ(console.Text(5, 5, 10), c.middle) << "style " << c.style;
    EXPECT_EQ(console.Text(6, 5, 10), c.bottom) << "style " << c.style;
    for (int row = 3; row <= 6; ++row)
      for (int column = 5; column <= 10; ++column) EXPECT_EQ(console.AttributeAt(row, column), 0x2C);
    EXPECT_EQ(console.AttributeAt(3, 11), (3 * 16 + 11) & 0xFF);
    PopWindow(state);
  }
}

TEST(DrawFrameTest, DrawsNothingWithoutAWindow) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder);
  DrawFrame(state, 1);
  EXPECT_EQ(console.WriteCount(), 0);

  // A window one column wide still gets both corners.
  PushWindow(state, 2, 5, 3, 5);
  DrawFrame(state, 1);
  EXPECT_EQ(console.Text(2, 5, 6), "\xDA\xBF");
  EXPECT_EQ(console.Text(3, 5, 6), "\xC0\xD9");
  PopWindow(state);
}

TEST(LocateInWindowTest, CountsFromTheWindowCornerAndKeepsOutOfRangeCoordinates) {
  struct Case {
    bool window;
    int16_t row, column;
    int expectedRow, expectedColumn;
  } const cases[] = {
      {false, 5, 6, 5, 6},        {false, 0, 2, 7, 2},   {false, 1, 2, 1, 2},  {false, 30, 90, 7, 3},
      {false, 25, 80, 25, 80},    {false, -4, 81, 7, 3}, {true, 0, 2, 23, 36}, {true, 1, 2, 24, 36},
      {true, 2, 14, 25, 48},      {true, 3, 2, 7, 36},   {true, 0, 47, 23, 3}, {true, -23, -34, 7, 3},
      {true, 32767, 32767, 7, 3},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    ConsoleState state = StateFor(console, folder);
    if (c.window) PushWindow(state, 23, 34, 25, 48);
    console.SetCursor(7, 3);
    LocateInWindow(state, c.row, c.column);
    int row, column;
    console.GetCursor(row, column);
    EXPECT_EQ(row, c.expectedRow) << c.window << " " << c.row << "," << c.column;
    EXPECT_EQ(column, c.expectedColumn) << c.window << " " << c.row << "," << c.column;
    if (c.window) PopWindow(state);
  }
}

}  // namespace
