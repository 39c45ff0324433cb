// The Windows console, run in a real console: the progress box gives back
// every cell, colour and the cursor; the console modes are set up and
// restored; redirected output still reaches the console.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "console/progress_box.h"
#include "platform/console.h"
#include "support/console_screen.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::FillScreen;
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

TEST(WindowsConsoleTest, ControlBytesShowAsGlyphsWithoutMovingTheCursor) {
  std::unique_ptr<Console> console = platform::OpenSystemConsole();
  if (console->Rows() < 10 || console->Columns() < 20) GTEST_SKIP() << "no console";
  console->SetCursor(5, 5);
  console->Write("\x01\x0A\x0D\x08\x07Z");
  int row, column;
  console->GetCursor(row, column);
  EXPECT_EQ(row, 5);
  EXPECT_EQ(column, 11);
  char character;
  unsigned char attribute;
  ASSERT_TRUE(console->ReadCell(5, 10, character, attribute));
  EXPECT_EQ(character, 'Z');
}

TEST(WindowsConsoleTest, SetsTheModesUpAndGivesThemBack) {
  HANDLE input = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, 0, nullptr);
  HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  DWORD inputBefore, outputBefore;
  if (input == INVALID_HANDLE_VALUE || output == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &inputBefore) ||
      !GetConsoleMode(output, &outputBefore))
    GTEST_SKIP() << "no console";
  const DWORD cooked = ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT;
  SetConsoleMode(input, inputBefore | cooked);
  SetConsoleMode(output, outputBefore & ~static_cast<DWORD>(ENABLE_WRAP_AT_EOL_OUTPUT));
  GetConsoleMode(input, &inputBefore);
  GetConsoleMode(output, &outputBefore);
  {
    std::unique_ptr<Console> console = platform::OpenSystemConsole();
    DWORD inputMode, outputMode;
    ASSERT_TRUE(GetConsoleMode(input, &inputMode));
    ASSERT_TRUE(GetConsoleMode(output, &outputMode));
    EXPECT_EQ(inputMode & cooked, 0u);
    EXPECT_EQ(outputMode & (ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT),
              static_cast<DWORD>(ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT));
  }
  DWORD inputAfter, outputAfter;
  ASSERT_TRUE(GetConsoleMode(input, &inputAfter));
  ASSERT_TRUE(GetConsoleMode(output, &outputAfter));
  EXPECT_EQ(inputAfter, inputBefore);
  EXPECT_EQ(outputAfter, outputBefore);
  SetConsoleMode(output, outputBefore | ENABLE_WRAP_AT_EOL_OUTPUT);
  CloseHandle(input);
  CloseHandle(output);
}

TEST(WindowsConsoleTest, ReachesTheConsoleWhenOutputIsRedirected) {
  std::unique_ptr<Console> reference = platform::OpenSystemConsole();
  const int rows = reference->Rows();
  reference.reset();
  if (rows == 0) GTEST_SKIP() << "no console";
  HANDLE saved = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE nul =
      CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(nul, INVALID_HANDLE_VALUE);
  SetStdHandle(STD_OUTPUT_HANDLE, nul);
  {
    std::unique_ptr<Console> console = platform::OpenSystemConsole();
    EXPECT_EQ(console->Rows(), rows);
    console->SetCursor(2, 2);
    int row, column;
    console->GetCursor(row, column);
    EXPECT_EQ(row, 2);
    EXPECT_EQ(column, 2);
  }
  SetStdHandle(STD_OUTPUT_HANDLE, saved);
  CloseHandle(nul);
}

TEST(WindowsConsoleTest, SwallowsControlCWhileItExists) {
  std::unique_ptr<Console> console = platform::OpenSystemConsole();
  if (console->Rows() == 0) GTEST_SKIP() << "no console";
  EXPECT_TRUE(GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
  Sleep(200);  // the handler runs on a thread of its own
  SUCCEED() << "still running";
}

}  // namespace
