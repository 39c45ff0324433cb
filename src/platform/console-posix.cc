// SPDX-License-Identifier: MIT
// The console on a POSIX terminal. A terminal cannot be read back, so the
// console keeps a copy of the cells it wrote; cells it never wrote read as
// blanks in the default colours (7 on 0). Cursor and colours travel as
// ANSI escape sequences and text as UTF-8. While the console exists the
// terminal's input is raw and the interrupt, quit, hang-up and stop
// signals are ignored; its destruction restores modes, signals and the
// terminal's default colours.
#include "platform/console-posix.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "common/charset.h"
#include "platform/cell_grid.h"

namespace platform {
namespace {

// What a DOS screen shows for the control bytes 0 to 31.
const uint16_t kControlGlyphs[32] = {0x0020, 0x263A, 0x263B, 0x2665, 0x2666, 0x2663, 0x2660, 0x2022,
                                     0x25D8, 0x25CB, 0x25D9, 0x2642, 0x2640, 0x266A, 0x266B, 0x263C,
                                     0x25BA, 0x25C4, 0x2195, 0x203C, 0x00B6, 0x00A7, 0x25AC, 0x21A8,
                                     0x2191, 0x2193, 0x2192, 0x2190, 0x221F, 0x2194, 0x25B2, 0x25BC};

// ANSI colour numbers put red in bit 0 and blue in bit 2, console colours the other way.
int AnsiColour(int consoleColour) {
  return ((consoleColour & 4) ? 1 : 0) | (consoleColour & 2) | ((consoleColour & 1) ? 4 : 0);
}

// Attribute 7 on 0, the colours of cells never written, is the terminal's own default.
std::string ColourSequence(int attribute) {
  if (attribute == 7) return "\x1b[0m";
  const int foreground = attribute & 15, background = (attribute >> 4) & 15;
  return "\x1b[0;" + std::to_string((foreground & 8 ? 90 : 30) + AnsiColour(foreground)) + ";" +
         std::to_string((background & 8 ? 100 : 40) + AnsiColour(background)) + "m";
}

bool IsTerminal(int fd) { return fd >= 0 && isatty(fd) == 1; }

// The cells of the terminal's size; none without a terminal.
CellGrid TerminalGrid(int fd) {
  struct winsize size = {};
  if (IsTerminal(fd) && ioctl(fd, TIOCGWINSZ, &size) == 0) return CellGrid(size.ws_row, size.ws_col);
  return CellGrid(0, 0);
}

// The monotonic clock, read for every spool line the progress box counts.
// Linux's coarse clock is read in a few nanoseconds where the precise one
// can cost a hundred on a virtual machine; its few milliseconds of
// resolution are far finer than the box's frames and the cursor reply's wait.
int64_t NowMilliseconds() {
#ifdef CLOCK_MONOTONIC_COARSE
  const clockid_t clock = CLOCK_MONOTONIC_COARSE;
#else
  const clockid_t clock = CLOCK_MONOTONIC;
#endif
  struct timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Reads the answer to a cursor position report, ESC [ row ; column R, out
// of whatever else the terminal sends meanwhile.
bool ReadCursorReport(int fd, int replyMilliseconds, int& row, int& column) {
  std::string received;
  const int64_t deadline = NowMilliseconds() + replyMilliseconds;
  for (;;) {
    for (size_t start = received.find("\x1b["); start != std::string::npos; start = received.find("\x1b[", start + 1)) {
      size_t i = start + 2;
      int values[2] = {0, 0};
      bool complete = false;
      for (int k = 0; k < 2; ++k) {
        size_t first = i;
        while (i < received.size() && received[i] >= '0' && received[i] <= '9' && i - first < 5)
          values[k] = values[k] * 10 + (received[i++] - '0');
        if (i == first || i >= received.size()) break;
        if (k == 0 && received[i] == ';')
          ++i;
        else if (k == 1 && received[i] == 'R')
          complete = true;
        else
          break;
      }
      if (complete) {
        row = values[0];
        column = values[1];
        return true;
      }
    }
    const int64_t left = deadline - NowMilliseconds();
    if (left <= 0 || received.size() > 4096) return false;
    struct pollfd wait = {fd, POLLIN, 0};
    int ready = poll(&wait, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0 || !(wait.revents & POLLIN)) return false;
    char buffer[256];
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    received.append(buffer, static_cast<size_t>(n));
  }
}

class TerminalConsole : public Console {
 public:
  TerminalConsole(int fd, bool ownsFd, int replyMilliseconds, bool ignoreSignals);
  ~TerminalConsole() override;

  int Rows() override { return cells_.Rows(); }
  int Columns() override { return cells_.Columns(); }
  void GetCursor(int& row, int& column) override { cells_.GetCursor(row, column); }
  void SetCursor(int row, int column) override;
  int Attribute() override { return cells_.Attribute(); }
  void SetAttribute(int attribute) override { cells_.SetAttribute(attribute); }
  bool ReadCell(int row, int column, char& character, unsigned char& attribute) override {
    character = cells_.CharacterAt(row, column);
    attribute = cells_.AttributeAt(row, column);
    return cells_.Inside(row, column);
  }
  void Write(const ByteString& text) override;
  int64_t Milliseconds() override { return NowMilliseconds(); }

 private:
  void Emit(const std::string& bytes);

  int fd_;
  bool ownsFd_;
  bool rawInput_ = false;
  struct termios savedModes_ = {};
  bool ignoreSignals_;
  struct sigaction savedSignals_[kTerminalSignalCount] = {};
  CellGrid cells_;
  int sentAttribute_ = -1;  // the colours the terminal has; -1 until this console set them
  bool broken_ = false;     // the terminal stopped taking output
};

TerminalConsole::TerminalConsole(int fd, bool ownsFd, int replyMilliseconds, bool ignoreSignals)
    : fd_(fd), ownsFd_(ownsFd), ignoreSignals_(ignoreSignals), cells_(TerminalGrid(fd)) {
  if (ignoreSignals_) {
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    for (int i = 0; i < kTerminalSignalCount; ++i) sigaction(kTerminalSignals[i], &ignore, &savedSignals_[i]);
  }
  if (!IsTerminal(fd_)) return;

  if (tcgetattr(fd_, &savedModes_) == 0) {
    struct termios raw = savedModes_;
    raw.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON);
    raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    rawInput_ = tcsetattr(fd_, TCSANOW, &raw) == 0;
  }
  if (cells_.Rows() == 0) return;
  Emit("\x1b[6n");
  int row, column;
  if (!broken_ && ReadCursorReport(fd_, replyMilliseconds, row, column)) cells_.SetCursor(row, column);
}

TerminalConsole::~TerminalConsole() {
  if (sentAttribute_ != -1 && sentAttribute_ != 7) Emit("\x1b[0m");
  if (rawInput_) tcsetattr(fd_, TCSANOW, &savedModes_);
  if (ignoreSignals_)
    for (int i = 0; i < kTerminalSignalCount; ++i) sigaction(kTerminalSignals[i], &savedSignals_[i], nullptr);
  if (ownsFd_) close(fd_);
}

void TerminalConsole::Emit(const std::string& bytes) {
  if (broken_ || cells_.Rows() == 0) return;
  const char* data = bytes.data();
  size_t size = bytes.size();
  while (size > 0) {
    ssize_t n = write(fd_, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      struct pollfd wait = {fd_, POLLOUT, 0};
      if (poll(&wait, 1, 1000) > 0) continue;
    }
    if (n <= 0) {
      broken_ = true;
      return;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
}

void TerminalConsole::SetCursor(int row, int column) {
  cells_.SetCursor(row, column);
  int r, c;
  cells_.GetCursor(r, c);
  Emit("\x1b[" + std::to_string(r) + ";" + std::to_string(c) + "H");
}

void TerminalConsole::Write(const ByteString& text) {
  if (cells_.Rows() == 0 || text.empty()) return;
  std::string out;
  const int attribute = cells_.Attribute() & 0xFF;
  if (attribute != sentAttribute_) {
    out = ColourSequence(attribute);
    sentAttribute_ = attribute;
  }
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    AppendUtf8(byte < 32 ? kControlGlyphs[byte] : byte == 127 ? 0x2302 : UnicodeOfByte(byte), out);
  }
  Emit(out);
  cells_.Write(text);
}

}  // namespace

std::unique_ptr<Console> OpenTerminalConsole(int fd, int replyMilliseconds) {
  return std::unique_ptr<Console>(new TerminalConsole(fd, false, replyMilliseconds, false));
}

std::unique_ptr<Console> OpenSystemConsole() {
  int fd = -1;
  bool owns = false;
  if (IsTerminal(STDOUT_FILENO)) {
    // Its own descriptor on the device, open for reading too, for the cursor report.
    char name[256];
    if (ttyname_r(STDOUT_FILENO, name, sizeof name) == 0) fd = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    owns = fd >= 0;
    if (!owns) fd = STDOUT_FILENO;
  }
  return std::unique_ptr<Console>(new TerminalConsole(fd, owns, 500, true));
}

}  // namespace platform
