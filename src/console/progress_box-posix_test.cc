// The progress box drawn on a POSIX terminal: the escape sequences that
// reach the terminal, and the cells given back when the box goes.
#include "console/progress_box.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "common/charset.h"
#include "console/console_state.h"
#include "platform/console-posix.h"
#include "support/files.h"
#include "support/pseudo_terminal.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::PseudoTerminal;
using testing_support::TempFolder;

namespace {

using platform::Console;
using platform::OpenTerminalConsole;

TEST(TerminalConsoleTest, DrawsAndRemovesTheProgressBox) {
  TempFolder folder;
  PseudoTerminal terminal(25, 80, "\x1b[7;3R");
  ASSERT_TRUE(terminal.Ready());
  std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
  const int16_t colours[5][2] = {{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}};
  ConsoleState state = MakeConsoleState(*console, folder.Dir(), colours);

  OpenProgressBox(state);
  ShowProgress(state, 3, 12);
  char character;
  unsigned char attribute;
  console->ReadCell(24, 40, character, attribute);
  EXPECT_EQ(character, '3');
  EXPECT_EQ(attribute, 0x0F);
  CloseProgressBox(state);
  int cursorRow, cursorColumn;
  console->GetCursor(cursorRow, cursorColumn);
  EXPECT_EQ(cursorRow, 7);
  EXPECT_EQ(cursorColumn, 3);
  for (int row = 23; row <= 25; ++row) {
    for (int column = 34; column <= 48; ++column) {
      console->ReadCell(row, column, character, attribute);
      EXPECT_EQ(character, ' ');
      EXPECT_EQ(attribute, 7);
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
  EXPECT_EQ(terminal.Received(), expected);
  EXPECT_FALSE(FileExists(folder.Path("WinPush.tmp")));
}

}  // namespace
