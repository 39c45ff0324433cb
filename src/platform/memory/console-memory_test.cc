// SPDX-License-Identifier: MIT
// The in-memory console: wrapping, scrolling and cursor placement, the way
// a terminal does them.
#include "platform/memory/console-memory.h"

#include <gtest/gtest.h>

namespace {

using platform::MemoryConsole;

void ExpectCursor(MemoryConsole& console, int row, int column) {
  int r, c;
  console.GetCursor(r, c);
  EXPECT_EQ(r, row);
  EXPECT_EQ(c, column);
}

TEST(MemoryConsoleTest, StartsBlankInAttributeSeven) {
  MemoryConsole console(3, 4);
  EXPECT_EQ(console.Rows(), 3);
  EXPECT_EQ(console.Columns(), 4);
  EXPECT_EQ(console.Attribute(), 7);
  ExpectCursor(console, 1, 1);
  char character;
  unsigned char attribute;
  EXPECT_TRUE(console.ReadCell(3, 4, character, attribute));
  EXPECT_EQ(character, ' ');
  EXPECT_EQ(attribute, 7);
  for (auto cell : {std::make_pair(0, 1), std::make_pair(1, 0), std::make_pair(4, 1), std::make_pair(1, 5)}) {
    character = 'x';
    EXPECT_FALSE(console.ReadCell(cell.first, cell.second, character, attribute));
    EXPECT_EQ(character, ' ');
    EXPECT_EQ(attribute, 7);
  }

  // The clock stands at 0 until it is moved or set to move with each reading.
  EXPECT_EQ(console.Milliseconds(), 0);
  EXPECT_EQ(console.Milliseconds(), 0);
  console.AdvanceClock(49);
  EXPECT_EQ(console.Milliseconds(), 49);
  console.SetClockStep(20);
  EXPECT_EQ(console.Milliseconds(), 49);
  EXPECT_EQ(console.Milliseconds(), 69);

  // A row never written reads like a blank row written out.
  MemoryConsole written(3, 4);
  written.SetCursor(2, 1);
  written.Write("    ");
  EXPECT_TRUE(console.SameCells(written) && written.SameCells(console));
  written.SetAttribute(0x17);
  written.SetCursor(2, 4);
  written.Write(" ");
  EXPECT_FALSE(console.SameCells(written) || written.SameCells(console));
  EXPECT_FALSE(console.SameCells(MemoryConsole(3, 5)));
}

TEST(MemoryConsoleTest, WrapsAfterTheLastColumnOnlyWhenMoreTextFollows) {
  MemoryConsole console(3, 4);
  console.SetCursor(1, 3);
  console.SetAttribute(0x1F);
  console.Write("ab");
  ExpectCursor(console, 1, 4);
  console.Write("c");
  ExpectCursor(console, 2, 2);
  EXPECT_EQ(console.Text(1, 1, 4), "  ab");
  EXPECT_EQ(console.Text(2, 1, 4), "c   ");
  EXPECT_EQ(console.AttributeAt(2, 1), 0x1F);
  EXPECT_EQ(console.AttributeAt(2, 2), 7);

  // A cursor move drops the pending wrap.
  console.SetCursor(2, 4);
  console.Write("d");
  console.SetCursor(3, 1);
  console.Write("e");
  EXPECT_EQ(console.Text(2, 1, 4), "c  d");
  EXPECT_EQ(console.Text(3, 1, 4), "e   ");
}

TEST(MemoryConsoleTest, ScrollsWhenTextPassesTheBottomRightCell) {
  MemoryConsole console(2, 3);
  console.Write("abcdef");
  ExpectCursor(console, 2, 3);
  EXPECT_EQ(console.Text(1, 1, 3), "abc");
  EXPECT_EQ(console.Text(2, 1, 3), "def");
  console.SetAttribute(0x40);
  console.Write("g");
  EXPECT_EQ(console.Text(1, 1, 3), "def");
  EXPECT_EQ(console.Text(2, 1, 3), "g  ");
  EXPECT_EQ(console.AttributeAt(2, 3), 0x40) << "the new row is blank in the current colours";
  ExpectCursor(console, 2, 2);
}

TEST(MemoryConsoleTest, KeepsACoordinateThatIsOutside) {
  const struct {
    int row, column, expectedRow, expectedColumn;
  } cases[] = {{2, 2, 2, 2}, {0, 3, 5, 3}, {3, 0, 3, 6}, {26, 81, 5, 6}, {-1, 80, 5, 80}, {25, 81, 25, 6}};
  for (const auto& c : cases) {
    MemoryConsole console(25, 80);
    console.SetCursor(5, 6);
    console.SetCursor(c.row, c.column);
    ExpectCursor(console, c.expectedRow, c.expectedColumn);
  }
}

TEST(MemoryConsoleTest, ConsoleWithoutCellsTakesNothing) {
  for (auto size : {std::make_pair(0, 0), std::make_pair(0, 80), std::make_pair(25, 0), std::make_pair(-3, -3)}) {
    MemoryConsole console(size.first, size.second);
    EXPECT_EQ(console.Rows(), 0);
    EXPECT_EQ(console.Columns(), 0);
    console.SetCursor(1, 1);
    console.Write("text");
    ExpectCursor(console, 1, 1);
    EXPECT_EQ(console.WriteCount(), 1);
    char character;
    unsigned char attribute;
    EXPECT_FALSE(console.ReadCell(1, 1, character, attribute));
  }
}

TEST(MemoryConsoleTest, HugeConsoleCostsOnlyTheRowsWritten) {
  MemoryConsole console(60000, 60000);
  console.SetCursor(59999, 59998);
  console.Write("xyz");
  EXPECT_EQ(console.Text(59999, 59998, 60000), "xyz");
  EXPECT_EQ(console.CharacterAt(1, 1), ' ');
}

}  // namespace
