// SPDX-License-Identifier: MIT
// The Windows console, run in a real console: control bytes as glyphs; the
// console modes are set up and restored; redirected output still reaches
// the console.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>

#include "platform/console.h"

namespace {

using platform::Console;

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

TEST(WindowsConsoleTest, AreasAreClippedToTheWindow) {
  std::unique_ptr<Console> console = platform::OpenSystemConsole();
  const int rows = console->Rows(), columns = console->Columns();
  if (rows < 10 || columns < 20) GTEST_SKIP() << "no console";
  // Two rows by three columns reaching one column past the right edge: the
  // cells beyond it are neither written nor read, and control bytes are
  // written as their glyphs.
  const ByteString cells = ByteString(
                               "a\x1E\x01\x2F"
                               "x\x30",
                               6) +
                           ByteString(
                               "\xC4\x4E"
                               "d\x5F"
                               "y\x60",
                               6);
  EXPECT_EQ(console->WriteArea(3, columns - 1, 4, columns + 1, cells), 0x5F);
  ByteString back, outside;
  console->ReadArea(3, columns - 1, 4, columns + 1, back);
  EXPECT_EQ(back, ByteString("a\x1E\x01\x2F \x07", 6) + ByteString("\xC4\x4E"
                                                                   "d\x5F \x07",
                                                                   6));
  console->ReadArea(0, 1, 0, 2, outside);
  EXPECT_EQ(outside, ByteString(" \x07 \x07", 4));
  EXPECT_EQ(console->WriteArea(rows + 1, 1, rows + 2, 2, "zzzz"), -1);
  ByteString none;
  console->ReadArea(5, 3, 4, 3, none);
  EXPECT_EQ(none, "");
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
