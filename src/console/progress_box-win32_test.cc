// The progress box drawn on the Windows console: every cell, colour and the
// cursor given back when the box goes.
#include "console/progress_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "console/console_state.h"
#include "platform/console.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::TempFolder;

namespace {

using platform::Console;

struct Cell {
  char character;
  unsigned char attribute;
};

std::vector<Cell> ReadScreen(Console& console) {
  std::vector<Cell> cells;
  for (int row = 1; row <= console.Rows(); ++row) {
    for (int column = 1; column <= console.Columns(); ++column) {
      Cell cell = {' ', 7};
      EXPECT_TRUE(console.ReadCell(row, column, cell.character, cell.attribute)) << row << "," << column;
      cells.push_back(cell);
    }
  }
  return cells;
}

const char kPattern[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789\x82\xC4\xB0\xDB";

// Fills the screen in runs of eight cells of one colour, leaving the last
// cell of the bottom row alone so that the screen does not scroll.
void FillScreen(Console& console) {
  const int rows = console.Rows(), columns = console.Columns();
  for (int row = 1; row <= rows; ++row) {
    console.SetCursor(row, 1);
    const int last = row == rows ? columns - 1 : columns;
    for (int column = 1; column <= last; column += 8) {
      const int count = column + 8 <= last + 1 ? 8 : last + 1 - column;
      console.SetAttribute((row * 3 + column / 8) % 256);
      ByteString text;
      for (int i = 0; i < count; ++i) text += kPattern[(row + column + i) % (sizeof kPattern - 1)];
      console.SetCursor(row, column);
      console.Write(text);
    }
  }
}

TEST(WindowsConsoleTest, ProgressBoxGivesBackEveryCellColourAndTheCursor) {
  std::unique_ptr<Console> console = platform::OpenSystemConsole();
  if (console->Rows() < 25 || console->Columns() < 48) GTEST_SKIP() << "no console of at least 25 x 48";
  console->SetAttribute(7);
  FillScreen(*console);
  char character;
  unsigned char attribute;
  ASSERT_TRUE(console->ReadCell(3, 9, character, attribute));
  EXPECT_EQ(character, kPattern[(3 + 9) % (sizeof kPattern - 1)]);
  EXPECT_EQ(attribute, (3 * 3 + 1) % 256);
  console->SetCursor(7, 3);
  console->SetAttribute(0x1E);
  const std::vector<Cell> before = ReadScreen(*console);

  TempFolder folder;
  const int16_t colours[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
  ConsoleState state = MakeConsoleState(*console, folder.Dir(), colours);

  OpenProgressBox(state);
  ShowProgress(state, 3, 12);
  ByteString top, middle;
  for (int column = 34; column <= 48; ++column) {
    ASSERT_TRUE(console->ReadCell(23, column, character, attribute));
    top += character;
    EXPECT_EQ(attribute, 0x70) << "23," << column;
    ASSERT_TRUE(console->ReadCell(24, column, character, attribute));
    middle += character;
  }
  EXPECT_EQ(top, "\xDA\xC4  PAG / LIN\xC4\xBF");
  EXPECT_EQ(middle, "\xB3     3 /  12 \xB3");
  ASSERT_TRUE(console->ReadCell(24, 40, character, attribute));
  EXPECT_EQ(attribute, 0x0F);
  EXPECT_TRUE(FileExists(folder.Path("WinPush.tmp")));

  CloseProgressBox(state);
  const std::vector<Cell> after = ReadScreen(*console);
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < before.size(); ++i) {
    const int row = static_cast<int>(i) / console->Columns() + 1, column = static_cast<int>(i) % console->Columns() + 1;
    EXPECT_EQ(after[i].character, before[i].character) << row << "," << column;
    EXPECT_EQ(after[i].attribute, before[i].attribute) << row << "," << column;
  }
  int row, column;
  console->GetCursor(row, column);
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 3);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
  console->SetAttribute(7);
}

}  // namespace
