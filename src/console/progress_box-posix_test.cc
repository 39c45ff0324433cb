// SPDX-License-Identifier: MIT
// The progress box drawn on a POSIX terminal: the escape sequences that
// reach the terminal, and the cells given back when the box goes, whether
// the window stack file took the screen under the box or not.
#include "console/progress_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/charset.h"
#include "console/console_state.h"
#include "platform/console-posix.h"
#include "support/console_screen.h"
#include "support/file_faults.h"
#include "support/files.h"
#include "support/pseudo_terminal.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::Header;
using testing_support::PseudoTerminal;
using testing_support::ReadWholeFile;
using testing_support::ScopedFileSizeLimit;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

using platform::Console;
using platform::OpenTerminalConsole;

TEST(TerminalConsoleTest, DrawsAndRemovesTheProgressBox) {
  // The terminal sees the same bytes whether the screen under the box is
  // kept on the window stack file or, when that fails, in memory only.
  const ByteString hostStack = Header(120) + "01010000000001010315" + ByteString(90, 'h') + "00115";
  const struct {
    const char* what;
    bool hostRecord;     // the file holds a host's record before the run
    bool missingFolder;  // the session folder does not exist
    size_t sizeLimit;    // the largest file this process may write; 0: no limit
  } cases[] = {
      {"a working stack file", false, false, 0},
      {"a session folder that does not exist", false, true, 0},
      {"a write that fails part-way", true, false, 150},
  };
  for (const auto& c : cases) {
    TempFolder folder;
    PseudoTerminal terminal(25, 80, "\x1b[7;3R");
    ASSERT_TRUE(terminal.Ready());
    std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
    const int16_t colours[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
    ConsoleState state =
        MakeConsoleState(*console, c.missingFolder ? folder.Dir() + "missing\\" : folder.Dir(), colours);
    if (c.hostRecord) {
      ASSERT_TRUE(WriteWholeFile(folder.Path("WinPush.tmp"), hostStack)) << c.what;
    }

    char character;
    unsigned char attribute;
    bool onFile;
    {
      std::unique_ptr<ScopedFileSizeLimit> limit;
      if (c.sizeLimit != 0) {
        limit = std::make_unique<ScopedFileSizeLimit>(c.sizeLimit);
        ASSERT_TRUE(limit->ok()) << c.what;
      }
      OpenProgressBox(state);
      onFile = !state.pushedWindows.empty() && state.pushedWindows.back().onFile;
      ShowProgress(state, 3, 12);
      console->ReadCell(24, 40, character, attribute);
      EXPECT_EQ(character, '3') << c.what;
      EXPECT_EQ(attribute, 0x0F) << c.what;
      CloseProgressBox(state);
    }
    EXPECT_EQ(onFile, !c.missingFolder && c.sizeLimit == 0) << c.what;
    int cursorRow, cursorColumn;
    console->GetCursor(cursorRow, cursorColumn);
    EXPECT_EQ(cursorRow, 7) << c.what;
    EXPECT_EQ(cursorColumn, 3) << c.what;
    for (int row = 23; row <= 25; ++row) {
      for (int column = 34; column <= 48; ++column) {
        console->ReadCell(row, column, character, attribute);
        EXPECT_EQ(character, ' ') << c.what;
        EXPECT_EQ(attribute, 7) << c.what;
      }
    }
    console.reset();

    auto line = [](const char* left, const char* middle, const char* right) {
      std::string text = ConvertCharset(left);
      for (int i = 0; i < 13; ++i) text += ConvertCharset(middle);
      return text + ConvertCharset(right);
    };
    std::string expected = "\x1b[6n";
    expected += "\x1b[23;34H\x1b[0;30;47m" + line("\xDA", "\xC4", "\xBF");
    expected += "\x1b[24;34H" + line("\xB3", " ", "\xB3");
    expected += "\x1b[25;34H" + line("\xC0", "\xC4", "\xD9");
    expected += "\x1b[23;36H  PAG / LIN";
    expected += "\x1b[24;36H\x1b[0;97;40m    3 /  12";
    for (int row = 23; row <= 25; ++row) {
      for (int column = 34; column <= 48; ++column) {
        expected += "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
        if (row == 23 && column == 34) expected += "\x1b[0m";
        expected += " ";
      }
    }
    expected += "\x1b[7;3H";
    EXPECT_EQ(terminal.Received(), expected) << c.what;
    ByteString file;
    if (c.hostRecord) {
      ASSERT_TRUE(ReadWholeFile(folder.Path("WinPush.tmp"), file)) << c.what;
      EXPECT_EQ(file.substr(0, hostStack.size()), hostStack) << c.what << ": the host's record stays as it was";
      if (c.sizeLimit != 0) {
        EXPECT_EQ(file.size(), c.sizeLimit) << c.what << ": the record was cut off at the limit";
      }
    } else {
      EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp"))) << c.what;
    }
  }
}

}  // namespace
