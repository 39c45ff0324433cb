// SPDX-License-Identifier: MIT
// The terminal console against a pseudo-terminal opened by the test: the
// bytes it sends, the copy of the cells it keeps, and the terminal modes
// and signals it sets up and gives back.
#include "platform/console-posix.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "support/pseudo_terminal.h"

using testing_support::PseudoTerminal;

namespace {

using platform::Console;
using platform::OpenTerminalConsole;

// Leaves `value` in every int of the stack the next call will use, so that
// a local it reads before setting shows (in a build without optimisation).
// The count is a parameter so that no local of its own lies above the cells.
[[gnu::noinline]] void FillStack(int value, int i = 0) {
  volatile int cells[2048];
  for (; i < 2048; ++i) cells[i] = value;
  static_cast<void>(cells);  // filled for the next call, never read here
}

void ExpectCursor(Console& console, int row, int column) {
  int r, c;
  console.GetCursor(r, c);
  EXPECT_EQ(r, row);
  EXPECT_EQ(c, column);
}

TEST(TerminalConsoleTest, TakesSizeFromTheTerminalAndAsksForTheCursor) {
  const std::string junk(5000, 'x');
  const struct {
    const char* reply;
    int row, column;
  } cases[] = {
      {"\x1b[7;3R", 7, 3},
      {"typed ahead\x1b[5\x1b[12;40R", 12, 40},
      {"\x1b[99;999R", 1, 1},
      {"\x1b[25;80R", 25, 80},
      {"\x1b[1:;2R\x1b[3;4R", 3, 4},     // only digits count
      {"\x1b[1234567R\x1b[3;4R", 3, 4},  // five digits at most, then the semicolon
      {junk.c_str(), 1, 1},              // no report in what a terminal may send: the cursor stays
  };
  for (const auto& c : cases) {
    PseudoTerminal terminal(25, 80, c.reply);
    ASSERT_TRUE(terminal.Ready());
    FillStack(5);  // a cursor left unset would be at 5, 5
    std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
    EXPECT_EQ(console->Rows(), 25);
    EXPECT_EQ(console->Columns(), 80);
    ExpectCursor(*console, c.row, c.column);
    console.reset();
    // Junk the console gave up on stays for the host; the line discipline
    // echoes what of it arrives after the modes are given back, so only
    // what precedes that echo is the console's own.
    std::string received = terminal.Received();
    received.erase(received.find_last_not_of('x') + 1);
    EXPECT_EQ(received, "\x1b[6n");
  }
}

TEST(TerminalConsoleTest, GoesOnWhenTheTerminalDoesNotAnswer) {
  PseudoTerminal terminal(30, 100, nullptr);
  ASSERT_TRUE(terminal.Ready());
  auto start = std::chrono::steady_clock::now();
  FillStack(5);  // a cursor left unset would be at 5, 5
  std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 150);
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(140));
  EXPECT_LT(waited, std::chrono::seconds(3));
  EXPECT_EQ(console->Rows(), 30);
  EXPECT_EQ(console->Columns(), 100);
  ExpectCursor(*console, 1, 1);
}

TEST(TerminalConsoleTest, MakesInputRawAndGivesTheModesBack) {
  PseudoTerminal terminal(25, 80, "\x1b[1;1R");
  ASSERT_TRUE(terminal.Ready());
  struct termios before;
  ASSERT_EQ(tcgetattr(terminal.Slave(), &before), 0);
  {
    std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
    struct termios during;
    ASSERT_EQ(tcgetattr(terminal.Slave(), &during), 0);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(during.c_iflag & (IXON | ICRNL), 0u);
    EXPECT_EQ(during.c_oflag, before.c_oflag) << "output stays processed";
  }
  struct termios after;
  ASSERT_EQ(tcgetattr(terminal.Slave(), &after), 0);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
}

TEST(TerminalConsoleTest, SendsCursorColoursAndUtf8AndKeepsACopyOfTheCells) {
  PseudoTerminal terminal(25, 80, "\x1b[1;1R");
  ASSERT_TRUE(terminal.Ready());
  std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
  console->SetCursor(2, 5);
  console->SetAttribute(0x1E);
  console->Write("A\xC4");
  console->Write("\xD5");  // the same colours are not sent again
  const struct {
    int attribute;
    const char* sequence;
  } colours[] = {
      {0x07, "\x1b[0m"},        {0x0F, "\x1b[0;97;40m"}, {0x70, "\x1b[0;30;47m"}, {0x01, "\x1b[0;34;40m"},
      {0x04, "\x1b[0;31;40m"},  {0x06, "\x1b[0;33;40m"}, {0x53, "\x1b[0;36;45m"}, {0xF8, "\x1b[0;90;107m"},
      {0x9C, "\x1b[0;91;104m"}, {0x00, "\x1b[0;30;40m"}, {0x107, "\x1b[0m"},
  };
  std::string expected = "\x1b[6n\x1b[2;5H\x1b[0;93;44mA\xE2\x94\x80\xE2\x82\xAC";
  for (const auto& c : colours) {
    console->SetAttribute(c.attribute);
    console->Write("x");
    expected += std::string(c.sequence) + "x";
  }
  console->SetAttribute(0x1E);
  console->Write("");  // nothing to show: the colours wait for text
  console->SetAttribute(0x107);
  console->SetCursor(20, 10);
  console->Write(std::string("\x1b\x07\x7f\x00\x1f\x0d", 6));
  expected += "\x1b[20;10H\xE2\x86\x90\xE2\x80\xA2\xE2\x8C\x82 \xE2\x96\xBC\xE2\x99\xAA";

  char character;
  unsigned char attribute;
  EXPECT_TRUE(console->ReadCell(2, 5, character, attribute));
  EXPECT_EQ(character, 'A');
  EXPECT_EQ(attribute, 0x1E);
  EXPECT_TRUE(console->ReadCell(2, 7, character, attribute));
  EXPECT_EQ(character, '\xD5');
  EXPECT_TRUE(console->ReadCell(10, 10, character, attribute)) << "never written: a blank in 7 on 0";
  EXPECT_EQ(character, ' ');
  EXPECT_EQ(attribute, 7);
  EXPECT_TRUE(console->ReadCell(20, 10, character, attribute));
  EXPECT_EQ(character, '\x1b') << "control bytes are kept as written";
  EXPECT_EQ(console->Attribute(), 0x107);

  console.reset();
  EXPECT_EQ(terminal.Received(), expected) << "attribute 7 is the default, so nothing is reset at the end";
}

TEST(TerminalConsoleTest, ResetsTheColoursAtTheEnd) {
  PseudoTerminal terminal(25, 80, "\x1b[1;1R");
  ASSERT_TRUE(terminal.Ready());
  std::unique_ptr<Console> console = OpenTerminalConsole(terminal.Slave(), 2000);
  console->SetCursor(30, 90);  // outside: the cursor stays at 1,1
  console->SetAttribute(0x4F);
  console->Write("");
  console->Write("z");
  console.reset();
  EXPECT_EQ(terminal.Received(), "\x1b[6n\x1b[1;1H\x1b[0;97;41mz\x1b[0m");
}

TEST(TerminalConsoleTest, WithoutATerminalHasNoCellsAndWritesNothing) {
  int pipeEnds[2];
  ASSERT_EQ(pipe(pipeEnds), 0);
  for (int fd : {pipeEnds[1], -1}) {
    std::unique_ptr<Console> console = OpenTerminalConsole(fd, 100);
    EXPECT_EQ(console->Rows(), 0);
    EXPECT_EQ(console->Columns(), 0);
    console->SetCursor(1, 1);
    console->SetAttribute(0x1F);
    console->Write("text");
    char character;
    unsigned char attribute;
    EXPECT_FALSE(console->ReadCell(1, 1, character, attribute));
  }
  fcntl(pipeEnds[0], F_SETFL, O_NONBLOCK);
  char byte;
  EXPECT_EQ(read(pipeEnds[0], &byte, 1), -1) << "nothing reached the pipe";
  close(pipeEnds[0]);
  close(pipeEnds[1]);

  PseudoTerminal sizeless(0, 0, "\x1b[1;1R");
  ASSERT_TRUE(sizeless.Ready());
  std::unique_ptr<Console> console = OpenTerminalConsole(sizeless.Slave(), 100);
  EXPECT_EQ(console->Rows(), 0);
  console->Write("text");
  console.reset();
  EXPECT_EQ(sizeless.Received(), "");
}

TEST(SystemConsoleTest, TakesTheCursorWhenStandardOutputOnlyWrites) {
  // Standard output is a terminal open for writing only: the console opens
  // the terminal again, for reading too, to take the cursor report.
  PseudoTerminal terminal(25, 80, "\x1b[7;3R");
  ASSERT_TRUE(terminal.Ready());
  const int writeOnly = open(ttyname(terminal.Slave()), O_WRONLY | O_NOCTTY);
  ASSERT_GE(writeOnly, 0);
  fflush(stdout);
  const int saved = dup(STDOUT_FILENO);
  ASSERT_GE(saved, 0);
  dup2(writeOnly, STDOUT_FILENO);
  close(writeOnly);
  int row = 0, column = 0;
  platform::OpenSystemConsole()->GetCursor(row, column);
  dup2(saved, STDOUT_FILENO);  // the test's own messages go to standard output again
  close(saved);
  EXPECT_EQ(row, 7);
  EXPECT_EQ(column, 3);
}

void RecordSignal(int) {}

TEST(SystemConsoleTest, IgnoresInterruptsWhileItExists) {
  const int signals[] = {SIGINT, SIGQUIT, SIGHUP, SIGTSTP};
  struct sigaction own = {}, saved[4];
  own.sa_handler = RecordSignal;
  sigemptyset(&own.sa_mask);
  for (int i = 0; i < 4; ++i) sigaction(signals[i], &own, &saved[i]);
  {
    std::unique_ptr<Console> console = platform::OpenSystemConsole();
    ASSERT_TRUE(console);
    if (!isatty(STDOUT_FILENO)) {
      EXPECT_EQ(console->Rows(), 0);
    }
    for (int signal : signals) {
      struct sigaction now;
      sigaction(signal, nullptr, &now);
      EXPECT_EQ(now.sa_handler, SIG_IGN) << "signal " << signal;
    }
    raise(SIGINT);
    raise(SIGTSTP);
  }
  for (int i = 0; i < 4; ++i) {
    struct sigaction now;
    sigaction(signals[i], nullptr, &now);
    EXPECT_EQ(now.sa_handler, RecordSignal) << "signal " << signals[i];
    sigaction(signals[i], &saved[i], nullptr);
  }
}

}  // namespace
