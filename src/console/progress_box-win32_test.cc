// SPDX-License-Identifier: MIT
// The progress box drawn on the Windows console: every cell, colour and the
// cursor given back when the box goes, whether the window stack file took
// the screen under the box or not.
#include "console/progress_box.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "console/console_state.h"
#include "platform/console.h"
#include "platform/platform.h"
#include "support/console_screen.h"
#include "support/file_faults.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::DirectoryExists;
using testing_support::FileExists;
using testing_support::Header;
using testing_support::HeldAgainstWriting;
using testing_support::ReadWholeFile;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

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
  const ByteString hostStack = Header(120) + "01010000000001010315" + ByteString(90, 'h') + "00115";
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

    TempFolder folder;
    const ByteString stackFile = folder.Path("WinPush.tmp");
    const std::filesystem::path native = folder.NativePath("WinPush.tmp");
    std::error_code ignored;
    if (c.setup == kFolder) {
      ASSERT_TRUE(platform::MakeDirectory(stackFile)) << c.what;
    }
    if (c.setup == kReadOnly || c.setup == kHeldOpen) {
      ASSERT_TRUE(WriteWholeFile(stackFile, hostStack)) << c.what;
    }
    if (c.setup == kReadOnly) {
      std::filesystem::permissions(native,
                                   std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                       std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove, ignored);
      ASSERT_FALSE(ignored) << c.what;
    }
    std::unique_ptr<HeldAgainstWriting> held;
    if (c.setup == kHeldOpen) {
      held = std::make_unique<HeldAgainstWriting>(native.string());
      ASSERT_TRUE(held->held()) << c.what;
    }
    const int16_t colours[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
    ConsoleState state =
        MakeConsoleState(*console, c.setup == kNoSessionFolder ? folder.Dir() + "missing\\" : folder.Dir(), colours);

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
    if (c.setup == kWorking) {
      EXPECT_TRUE(FileExists(stackFile)) << c.what;
    }

    CloseProgressBox(state);
    held.reset();
    const std::vector<Cell> after = ReadScreen(*console);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < before.size(); ++i) {
      const int row = static_cast<int>(i) / console->Columns() + 1,
                column = static_cast<int>(i) % console->Columns() + 1;
      EXPECT_EQ(after[i].character, before[i].character) << c.what << " " << row << "," << column;
      EXPECT_EQ(after[i].attribute, before[i].attribute) << c.what << " " << row << "," << column;
    }
    // The text colour is the last cell's given back, the box's bottom right.
    EXPECT_EQ(console->Attribute(), before[24 * console->Columns() + 47].attribute) << c.what;
    int row, column;
    console->GetCursor(row, column);
    EXPECT_EQ(row, 7) << c.what;
    EXPECT_EQ(column, 3) << c.what;
    ByteString file;
    if (c.setup == kReadOnly || c.setup == kHeldOpen) {
      EXPECT_TRUE(ReadWholeFile(stackFile, file)) << c.what;
      EXPECT_EQ(file.substr(0, hostStack.size()), hostStack) << c.what << ": the host's record, byte for byte";
      if (!onFile) {
        EXPECT_EQ(file, hostStack) << c.what;
      }
      std::filesystem::permissions(native, std::filesystem::perms::owner_write, std::filesystem::perm_options::add,
                                   ignored);
    } else if (c.setup == kFolder) {
      EXPECT_TRUE(DirectoryExists(stackFile)) << c.what;
    } else {
      EXPECT_FALSE(FileExists(stackFile)) << c.what;
    }
    console->SetAttribute(7);
  }
}

}  // namespace
