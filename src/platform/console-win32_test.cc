// The Windows console, run in a real console: the progress box gives back
// every cell, colour and the cursor; the console modes are set up and
// restored; redirected output still reaches the console.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "console/console_test_support.h"
#include "console/progress_box.h"
#include "platform/console.h"

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
  // The screen comes back the same whether it was kept on the window stack
  // file or, when that cannot be written, in memory only.
  const ByteString hostStack = console_test::Header(120) + "01010000000001010315" + ByteString(90, 'h') + "00115";
  enum Setup { kWorking, kNoSessionFolder, kFolder, kReadOnly, kHeldOpen };
  const struct {
    const char* what;
    Setup setup;
  } cases[] = {
      {"a working stack file", kWorking},
      {"a session folder that does not exist", kNoSessionFolder},
      {"a folder named WinPush.tmp", kFolder},
      {"a read-only WinPush.tmp holding a host's record", kReadOnly},
      {"a WinPush.tmp that the host holds open against writing", kHeldOpen},
  };
  for (const auto& c : cases) {
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

    console_test::TempFolder folder;
    SessionSettings settings;
    settings.sessionDir = c.setup == kNoSessionFolder ? folder.Dir() + "missing\\" : folder.Dir();
    const std::wstring stackFile = std::filesystem::path(folder.NativePath("WinPush.tmp")).wstring();
    if (c.setup == kFolder) {
      ASSERT_TRUE(CreateDirectoryW(stackFile.c_str(), nullptr));
    }
    if (c.setup == kReadOnly || c.setup == kHeldOpen) {
      console_test::WriteWholeFile(folder.StackFile(), hostStack);
    }
    if (c.setup == kReadOnly) {
      ASSERT_TRUE(SetFileAttributesW(stackFile.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    HANDLE held = INVALID_HANDLE_VALUE;
    if (c.setup == kHeldOpen) {
      held = CreateFileW(stackFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
      ASSERT_NE(held, INVALID_HANDLE_VALUE);
    }
    const int16_t colours[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
    for (int slot = 0; slot < 5; ++slot)
      for (int half = 0; half < 2; ++half) settings.screenColours[slot][half] = colours[slot][half];
    ConsoleState state = MakeConsoleState(*console, settings);

    OpenProgressBox(state);
    const bool onFile = !state.pushedWindows.empty() && state.pushedWindows.back().onFile;
    // A file system that lets this user write anyway takes the record.
    if (c.setup != kReadOnly) {
      EXPECT_EQ(onFile, c.setup == kWorking) << c.what;
    }
    ShowProgress(state, 3, 12);
    ByteString top, middle;
    for (int column = 34; column <= 48; ++column) {
      ASSERT_TRUE(console->ReadCell(23, column, character, attribute));
      top += character;
      EXPECT_EQ(attribute, 0x70) << c.what << " 23," << column;
      ASSERT_TRUE(console->ReadCell(24, column, character, attribute));
      middle += character;
    }
    EXPECT_EQ(top, "\xDA\xC4  PAG / LIN\xC4\xBF") << c.what;
    EXPECT_EQ(middle, "\xB3     3 /  12 \xB3") << c.what;
    ASSERT_TRUE(console->ReadCell(24, 40, character, attribute));
    EXPECT_EQ(attribute, 0x0F) << c.what;

    CloseProgressBox(state);
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    const std::vector<Cell> after = ReadScreen(*console);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      const int row = static_cast<int>(i) / console->Columns() + 1,
                column = static_cast<int>(i) % console->Columns() + 1;
      EXPECT_EQ(after[i].character, before[i].character) << c.what << " " << row << "," << column;
      EXPECT_EQ(after[i].attribute, before[i].attribute) << c.what << " " << row << "," << column;
    }
    int row, column;
    console->GetCursor(row, column);
    EXPECT_EQ(row, 7) << c.what;
    EXPECT_EQ(column, 3) << c.what;
    ByteString file;
    if (c.setup == kReadOnly || c.setup == kHeldOpen) {
      EXPECT_TRUE(console_test::ReadWholeFile(folder.StackFile(), file));
      EXPECT_EQ(file.substr(0, hostStack.size()), hostStack) << c.what << ": the host's record, byte for byte";
      if (!onFile) {
        EXPECT_EQ(file, hostStack) << c.what;
      }
      SetFileAttributesW(stackFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    } else {
      EXPECT_FALSE(console_test::FileExists(folder.StackFile())) << c.what;
    }
    console->SetAttribute(7);
  }
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
