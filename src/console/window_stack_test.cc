// SPDX-License-Identifier: MIT
// The window stack file: record layout, stacking on records of other
// programs, restoring the screen, and damaged files.
#include "console/window_stack.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/memory/console-memory.h"
#include "support/console_screen.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::AreaCells;
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

ConsoleState StateFor(MemoryConsole& console, const TempFolder& folder) {
  ConsoleState state;
  state.console = &console;
  state.sessionDir = folder.Dir();
  return state;
}

// A record another program of the suite could have written: its cells are
// the character 'h' in attribute 0x1E.
ByteString HostRecord(const char* fields, int cells) {
  ByteString record = fields;
  for (int i = 0; i < cells; ++i) record += "h\x1E";
  return record + ZeroPad(25 + 2 * cells, 5);
}

TEST(ZeroPadTest, KeepsTheLastDigitsOfThePaddedNumber) {
  struct Case {
    int value, width;
    const char* padded;
  } const cases[] = {
      {5, 2, "05"},      {0, 2, "00"},        {99, 2, "99"},        {100, 2, "00"},        {123, 2, "23"},
      {115, 5, "00115"}, {99999, 5, "99999"}, {123456, 5, "23456"}, {7, 1, "7"},           {7, 0, ""},
      {7, -3, ""},       {-5, 2, "05"},       {-32768, 5, "32768"}, {32767, 7, "0032767"},
  };
  for (const Case& c : cases) EXPECT_EQ(ZeroPad(c.value, c.width), c.padded) << c.value << " width " << c.width;
}

TEST(ConsoleSizeTest, IsTheVisibleWindowAndZeroWithoutAConsole) {
  MemoryConsole console(25, 80);
  ConsoleState state;
  EXPECT_EQ(ConsoleRows(state), 0);
  EXPECT_EQ(ConsoleColumns(state), 0);
  state.console = &console;
  EXPECT_EQ(ConsoleRows(state), 25);
  EXPECT_EQ(ConsoleColumns(state), 80);
  MemoryConsole huge(65535, 40000);
  state.console = &huge;
  EXPECT_EQ(ConsoleRows(state), 32767);
  EXPECT_EQ(ConsoleColumns(state), 32767);
}

TEST(PushWindowTest, BoxOnAnEmptyStackWritesOneRecordOf115Bytes) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(7, 3);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  PushWindow(state, 23, 34, 25, 48);

  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  const ByteString expected =
      Header(120) + "0703" + "00000000" + "23342548" + AreaCells(console, 23, 34, 25, 48) + "00115";
  EXPECT_EQ(file.size(), 119u);
  EXPECT_EQ(file, expected);
  EXPECT_EQ(file.substr(114), "00115");
  EXPECT_TRUE(Snap(console) == before) << "a push only reads the screen";
  EXPECT_EQ(state.windowDepth, 1);
  EXPECT_EQ(state.windowTop, 23);
  EXPECT_EQ(state.windowLeft, 34);
  EXPECT_EQ(state.windowBottom, 25);
  EXPECT_EQ(state.windowRight, 48);
}

TEST(PushWindowTest, StacksOnARecordOfTheHostAndThePopKeepsIt) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(2, 9);
  const ByteString host = Header(120) + HostRecord("01010000000001010315", 45);
  ASSERT_EQ(host.size(), 119u);
  EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), host));
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  PushWindow(state, 23, 34, 25, 48);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  ASSERT_EQ(file.size(), 234u);
  EXPECT_EQ(file.substr(0, 4), Header(235));
  EXPECT_EQ(file.substr(4, 115), host.substr(4)) << "the host's record stays in place";
  EXPECT_EQ(file.substr(119, 20), "02090000000023342548") << "the new record starts at position 120";

  console.SetCursor(24, 40);
  console.SetAttribute(0x4E);
  console.Write("scribble");
  PopWindow(state);

  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file)) << "records remain, so the file stays";
  EXPECT_EQ(file.size(), 234u) << "a pop never shortens the file";
  EXPECT_EQ(file.substr(0, 119), host);
  Snapshot after = Snap(console);
  EXPECT_EQ(after.attribute, console.AttributeAt(25, 48)) << "the colour of the last cell written back";
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
  EXPECT_EQ(state.windowDepth, 0);
}

TEST(PopWindowTest, PoppingTheOnlyRecordRestoresTheScreenAndDeletesTheFile) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(7, 3);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  PushWindow(state, 23, 34, 25, 48);
  for (int row = 23; row <= 25; ++row) {
    console.SetCursor(row, 34);
    console.Write(ByteString(15, '#'));
  }
  console.SetCursor(1, 1);
  PopWindow(state);

  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  Snapshot after = Snap(console);
  EXPECT_EQ(after.attribute, (25 * 16 + 48) & 0xFF);
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
  EXPECT_EQ(state.windowDepth, 0);
  EXPECT_EQ(state.windowTop + state.windowLeft + state.windowBottom + state.windowRight, 0);
  EXPECT_TRUE(state.pushedWindows.empty());
}

TEST(PopWindowTest, NestedWindowsComeBackInTurn) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  PushWindow(state, 5, 5, 10, 20);
  console.SetCursor(6, 6);
  console.Write("outer text");
  const Snapshot outer = Snap(console);
  PushWindow(state, 7, 7, 8, 9);
  EXPECT_EQ(state.windowDepth, 2);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  const size_t second = 4 + 25 + 2 * 6 * 16;
  EXPECT_EQ(file.substr(second, 20), "06160505102007070809");

  console.SetCursor(7, 7);
  console.Write("inn");
  PopWindow(state);
  EXPECT_EQ(state.windowDepth, 1);
  EXPECT_EQ(state.windowTop, 5);
  EXPECT_EQ(state.windowLeft, 5);
  EXPECT_EQ(state.windowBottom, 10);
  EXPECT_EQ(state.windowRight, 20);
  Snapshot afterInner = Snap(console);
  afterInner.attribute = outer.attribute;
  EXPECT_TRUE(afterInner == outer);
  EXPECT_TRUE(FileExists(folder.Path("WinPush.tmp")));

  PopWindow(state);
  EXPECT_EQ(state.windowDepth, 0);
  EXPECT_EQ(state.windowTop, 0);
  Snapshot afterOuter = Snap(console);
  afterOuter.attribute = before.attribute;
  EXPECT_TRUE(afterOuter == before);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

TEST(PushWindowTest, PositionsOf100OrMoreKeepTheirLastTwoDigits) {
  TempFolder folder;
  MemoryConsole console(30, 120);
  FillScreen(console);
  console.SetCursor(7, 105);
  ConsoleState state = StateFor(console, folder);
  const Snapshot before = Snap(console);

  PushWindow(state, 1, 101, 2, 110);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  EXPECT_EQ(file.substr(4, 20), "07050000000001010210");

  // This program's own record comes back where it was taken.
  console.SetCursor(1, 101);
  console.Write("xxxxxxxxxx");
  PopWindow(state);
  Snapshot after = Snap(console);
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);

  // Another program's record holds only the digits and is read as written.
  const ByteString untouched = console.Text(1, 101, 110);
  const ByteString host = Header(5 + 65) + HostRecord("07050000000001010210", 20);
  EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), host));
  PopWindow(state);
  int row, column;
  console.GetCursor(row, column);
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 5);
  EXPECT_EQ(console.Text(1, 1, 10), "hhhhhhhhhh");
  EXPECT_EQ(console.AttributeAt(2, 10), 0x1E);
  EXPECT_EQ(console.Text(1, 101, 110), untouched);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

TEST(PushWindowTest, RefusesCornersOutsideTheVisibleWindow) {
  struct Case {
    int rows, columns;
    int16_t top, left, bottom, right;
  } const cases[] = {
      {25, 80, 0, 34, 25, 48},  {25, 80, 23, 0, 25, 48},  {25, 80, 23, 34, 26, 48}, {25, 80, 23, 34, 25, 81},
      {25, 80, 26, 34, 26, 48}, {25, 80, -1, -1, -1, -1}, {24, 80, 23, 34, 25, 48}, {25, 47, 23, 34, 25, 48},
      {0, 0, 23, 34, 25, 48},   {0, 0, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(c.rows, c.columns);
    FillScreen(console);
    ConsoleState state = StateFor(console, folder);
    const Snapshot before = Snap(console);
    PushWindow(state, c.top, c.left, c.bottom, c.right);
    EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")))
        << c.rows << "x" << c.columns << " at " << c.top << "," << c.left;
    EXPECT_EQ(state.windowDepth, 0);
    EXPECT_EQ(state.windowTop, 0);
    EXPECT_TRUE(state.pushedWindows.empty());
    EXPECT_TRUE(Snap(console) == before);
  }
  TempFolder folder;
  ConsoleState state;
  state.sessionDir = folder.Dir();
  PushWindow(state, 1, 1, 1, 1);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp"))) << "no console at all";
}

TEST(PushWindowTest, ReversedCornersSaveNoCells) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  console.SetCursor(3, 4);
  ConsoleState state = StateFor(console, folder);
  PushWindow(state, 10, 20, 5, 30);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  EXPECT_EQ(file, Header(30) + "03040000000010200530" + "00025");
  PopWindow(state);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  EXPECT_EQ(state.windowDepth, 0);
}

TEST(PushWindowTest, RefusesARecordLongerThanItsLengthDigitsCanTell) {
  TempFolder folder;
  MemoryConsole console(200, 260);
  ConsoleState state = StateFor(console, folder);
  PushWindow(state, 1, 1, 194, 258);  // 50052 cells
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  EXPECT_EQ(state.windowDepth, 0);

  PushWindow(state, 1, 1, 193, 259);  // 49987 cells: length 99999
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  EXPECT_EQ(file.size(), 4u + 99999u);
  EXPECT_EQ(file.substr(file.size() - 5), "99999");
  PopWindow(state);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

TEST(PushWindowTest, LeavesAFileWithADamagedHeaderAloneAndKeepsTheWindowInMemory) {
  const ByteString record = HostRecord("01010000000001010315", 45);
  struct Case {
    const char* what;
    ByteString bytes;
  } const cases[] = {
      {"header past the end", Header(500) + record},     {"header just past the end", Header(121) + record},
      {"header inside the header", Header(4) + record},  {"header zero", Header(0) + record},
      {"header negative", Header(0xFFFFFFFFu) + record}, {"header huge", Header(0x7FFFFFFFu) + record},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    FillScreen(console);
    console.SetCursor(4, 5);
    ConsoleState state = StateFor(console, folder);
    const Snapshot before = Snap(console);
    EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), c.bytes)) << c.what;
    PushWindow(state, 23, 34, 25, 48);
    ByteString file;
    ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file)) << c.what;
    EXPECT_EQ(file, c.bytes) << c.what;
    EXPECT_EQ(state.windowDepth, 1) << c.what;
    EXPECT_EQ(state.windowTop, 23) << c.what;
    ASSERT_EQ(state.pushedWindows.size(), 1u) << c.what;
    EXPECT_FALSE(state.pushedWindows[0].onFile) << c.what;

    console.SetCursor(24, 40);
    console.Write("scribble");
    PopWindow(state);
    ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file)) << c.what;
    EXPECT_EQ(file, c.bytes) << c.what << ": the pop leaves the file alone too";
    Snapshot after = Snap(console);
    EXPECT_EQ(after.attribute, (25 * 16 + 48) & 0xFF) << c.what;
    after.attribute = before.attribute;
    EXPECT_TRUE(after == before) << c.what;
    EXPECT_EQ(state.windowDepth, 0) << c.what;
    EXPECT_EQ(state.windowTop, 0) << c.what;
  }
}

TEST(PushWindowTest, AppendsRightAfterAHeaderThatPointsAtTheEnd) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder);
  EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), Header(5)));
  PushWindow(state, 1, 1, 1, 1);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  EXPECT_EQ(file, Header(32) +
                      "01010000000001010101 \x07"
                      "00027");
}

TEST(PushWindowTest, KeepsTheWindowInMemoryWhenTheFolderDoesNotExist) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  console.SetCursor(3, 3);
  ConsoleState state = StateFor(console, folder);
  state.sessionDir = folder.Dir() + "missing\\";
  const Snapshot before = Snap(console);
  PushWindow(state, 5, 5, 10, 20);
  PushWindow(state, 7, 7, 8, 9);
  EXPECT_EQ(state.windowDepth, 2);
  ASSERT_EQ(state.pushedWindows.size(), 2u);
  EXPECT_EQ(state.pushedWindows[1].cells, AreaCells(console, 7, 7, 8, 9));
  EXPECT_EQ(state.windowTop, 7);

  console.SetCursor(7, 7);
  console.Write("inner");
  PopWindow(state);
  EXPECT_EQ(state.windowDepth, 1);
  EXPECT_EQ(state.windowTop, 5);
  EXPECT_EQ(state.windowRight, 20);
  console.SetCursor(5, 5);
  console.Write("outer");
  PopWindow(state);
  Snapshot after = Snap(console);
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
  EXPECT_EQ(state.windowDepth, 0);
  EXPECT_EQ(state.windowTop, 0);
  EXPECT_TRUE(state.pushedWindows.empty());
  EXPECT_FALSE(testing_support::DirectoryExists(folder.Dir() + "missing"));
  PopWindow(state);  // no window of ours and nothing to open: nothing happens
  EXPECT_EQ(state.windowDepth, 0);

  // A window kept in memory above one on the file comes off without
  // touching the file; the one below still comes back from the file.
  state.sessionDir = folder.Dir();
  PushWindow(state, 5, 5, 10, 20);
  ByteString file;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file));
  state.sessionDir = folder.Dir() + "missing\\";
  PushWindow(state, 7, 7, 8, 9);
  state.sessionDir = folder.Dir();
  console.SetCursor(7, 7);
  console.Write("inner");
  PopWindow(state);
  ByteString stillThere;
  ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), stillThere));
  EXPECT_EQ(stillThere, file);
  EXPECT_EQ(state.windowDepth, 1);
  PopWindow(state);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  after = Snap(console);
  after.attribute = before.attribute;
  EXPECT_TRUE(after == before);
}

// A valid stack holding one record of the box area, for damaging.
ByteString BoxStack() { return Header(120) + HostRecord("07030000000023342548", 45); }

TEST(PopWindowTest, ADamagedRecordChangesNothing) {
  // 44 cells for an area of 45.
  const ByteString wrongCells = Header(118) + BoxStack().substr(4, 20 + 88) + "00113";
  ByteString letters = BoxStack();
  letters.replace(114, 5, "abcde");
  ByteString zero = BoxStack();
  zero.replace(114, 5, "00000");
  ByteString beforeHeader = BoxStack();
  beforeHeader.replace(114, 5, "00117");  // would start at position 3
  ByteString even = BoxStack();
  even.replace(114, 5, "00114");
  ByteString exponent = BoxStack();
  exponent.replace(114, 5, "1e9  ");
  ByteString badCorner = BoxStack();
  badCorner.replace(16, 2, "ab");
  ByteString truncated = BoxStack().substr(0, 60);
  const struct Case {
    const char* what;
    ByteString bytes;
  } cases[] = {
      {"header past the end", Header(500) + BoxStack().substr(4)},
      {"header huge", Header(0x7FFFFFFFu) + BoxStack().substr(4)},
      {"header negative", Header(0x80000000u) + BoxStack().substr(4)},
      {"header of an empty stack", Header(5) + BoxStack().substr(4)},
      {"header in the first digits", Header(9) + BoxStack().substr(4)},
      {"header only", Header(120)},
      {"garbage header", ByteString("\xDE\xAD\xBE\xEF") + BoxStack().substr(4)},
      {"length in letters", letters},
      {"length zero", zero},
      {"start before the records", beforeHeader},
      {"length of half a cell", even},
      {"length beyond five digits", exponent},
      {"cells disagree with the corners", wrongCells},
      {"corner that is no number", badCorner},
      {"truncated file", truncated},
  };
  for (const Case& c : cases) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    FillScreen(console);
    console.SetCursor(4, 4);
    ConsoleState state = StateFor(console, folder);
    state.windowDepth = 1;
    state.windowTop = 23;
    const Snapshot before = Snap(console);
    EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), c.bytes));

    PopWindow(state);

    ByteString file;
    ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file)) << c.what;
    EXPECT_EQ(file, c.bytes) << c.what;
    EXPECT_TRUE(Snap(console) == before) << c.what;
    EXPECT_EQ(console.WriteCount(), static_cast<int>(before.characters.size())) << c.what << ": no cell written";
    EXPECT_EQ(state.windowDepth, 1) << c.what;
    EXPECT_EQ(state.windowTop, 23) << c.what;
  }
}

TEST(PopWindowTest, AFileShorterThanAHeaderIsAnEmptyStackAndGoes) {
  for (const ByteString& bytes : {ByteString(), ByteString("\x01"), ByteString("\x78\x00\x00", 3)}) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    FillScreen(console);
    ConsoleState state = StateFor(console, folder);
    const Snapshot before = Snap(console);
    EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), bytes));
    PopWindow(state);
    EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
    EXPECT_TRUE(Snap(console) == before);
  }
  TempFolder folder;
  MemoryConsole console(25, 80);
  ConsoleState state = StateFor(console, folder);
  PopWindow(state);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp"))) << "created and deleted again";
  EXPECT_EQ(console.WriteCount(), 0);
}

TEST(PopWindowTest, CellsOffTheScreenAreNotWritten) {
  TempFolder folder;
  MemoryConsole console(25, 80);
  FillScreen(console);
  ConsoleState state = StateFor(console, folder);
  // A host record taken on a larger console: rows 25 to 26, columns 79 to 81.
  EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), Header(5 + 37) + HostRecord("10100000000025792681", 6)));
  const Snapshot before = Snap(console);
  PopWindow(state);
  EXPECT_EQ(console.Text(25, 79, 80), "hh");
  Snapshot after = Snap(console);
  EXPECT_EQ(after.row, 10);
  EXPECT_EQ(after.column, 10);
  EXPECT_EQ(console.WriteCount() - static_cast<int>(before.characters.size()), 2);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

TEST(PopWindowTest, RandomDamageNeverCrashes) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 300; ++round) {
    TempFolder folder;
    MemoryConsole console(25, 80);
    ConsoleState state = StateFor(console, folder);
    ByteString bytes = BoxStack();
    const int damage = static_cast<int>(random() % 6);
    for (int i = 0; i < damage; ++i) bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
    if (random() % 3 == 0) bytes.resize(random() % bytes.size());
    EXPECT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), bytes));
    PopWindow(state);
    PushWindow(state, 23, 34, 25, 48);
    PopWindow(state);
  }
}

}  // namespace
