// SPDX-License-Identifier: MIT
// The Windows console: the visible window of the screen buffer, reached
// through standard output or, when that is redirected, through CONOUT$.
// While the console exists its input is raw, its output processed and
// wrapping, and Ctrl+C, Ctrl+Break and closing the window are swallowed;
// its destruction restores the modes.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/console.h"

namespace platform {
namespace {

BOOL WINAPI SwallowControlEvent(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT || event == CTRL_CLOSE_EVENT ? TRUE : FALSE;
}

// A console handle of standard input or output, or the console's own
// device when that one is redirected.
HANDLE ConsoleHandle(DWORD standard, const wchar_t* device, bool& opened) {
  opened = false;
  HANDLE handle = GetStdHandle(standard);
  DWORD mode;
  if (handle != nullptr && handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode)) return handle;
  handle = CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return INVALID_HANDLE_VALUE;
  opened = true;
  return handle;
}

class WindowsConsole : public Console {
 public:
  WindowsConsole();
  ~WindowsConsole() override;

  int Rows() override;
  int Columns() override;
  void GetCursor(int& row, int& column) override;
  void SetCursor(int row, int column) override;
  int Attribute() override;
  void SetAttribute(int attribute) override;
  bool ReadCell(int row, int column, char& character, unsigned char& attribute) override;
  void ReadArea(int top, int left, int bottom, int right, ByteString& cells) override;
  int WriteArea(int top, int left, int bottom, int right, ByteView cells) override;
  void Write(const ByteString& text) override;
  // The tick count: no call into the console host, and its 10 to 16 ms
  // steps are fine enough for pacing redraws.
  int64_t Milliseconds() override { return static_cast<int64_t>(GetTickCount64()); }

 private:
  bool Info(CONSOLE_SCREEN_BUFFER_INFO& info);

  HANDLE output_, input_;
  bool openedOutput_ = false, openedInput_ = false;
  bool restoreOutput_ = false, restoreInput_ = false;
  DWORD savedOutputMode_ = 0, savedInputMode_ = 0;
};

WindowsConsole::WindowsConsole() {
  SetConsoleCtrlHandler(SwallowControlEvent, TRUE);
  output_ = ConsoleHandle(STD_OUTPUT_HANDLE, L"CONOUT$", openedOutput_);
  input_ = ConsoleHandle(STD_INPUT_HANDLE, L"CONIN$", openedInput_);
  if (input_ != INVALID_HANDLE_VALUE && GetConsoleMode(input_, &savedInputMode_)) {
    DWORD raw = savedInputMode_ & ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT | ENABLE_PROCESSED_INPUT);
    restoreInput_ = SetConsoleMode(input_, raw) != 0;
  }
  if (output_ != INVALID_HANDLE_VALUE && GetConsoleMode(output_, &savedOutputMode_)) {
    DWORD mode = savedOutputMode_ | ENABLE_PROCESSED_OUTPUT | ENABLE_WRAP_AT_EOL_OUTPUT;
    restoreOutput_ = SetConsoleMode(output_, mode) != 0;
  }
}

WindowsConsole::~WindowsConsole() {
  if (restoreInput_) SetConsoleMode(input_, savedInputMode_);
  if (restoreOutput_) SetConsoleMode(output_, savedOutputMode_);
  if (openedInput_) CloseHandle(input_);
  if (openedOutput_) CloseHandle(output_);
  SetConsoleCtrlHandler(SwallowControlEvent, FALSE);
}

bool WindowsConsole::Info(CONSOLE_SCREEN_BUFFER_INFO& info) {
  return output_ != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(output_, &info) &&
         info.srWindow.Bottom >= info.srWindow.Top && info.srWindow.Right >= info.srWindow.Left;
}

int WindowsConsole::Rows() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return Info(info) ? info.srWindow.Bottom - info.srWindow.Top + 1 : 0;
}

int WindowsConsole::Columns() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return Info(info) ? info.srWindow.Right - info.srWindow.Left + 1 : 0;
}

void WindowsConsole::GetCursor(int& row, int& column) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  row = column = 1;
  if (!Info(info)) return;
  row = info.dwCursorPosition.Y - info.srWindow.Top + 1;
  column = info.dwCursorPosition.X - info.srWindow.Left + 1;
}

void WindowsConsole::SetCursor(int row, int column) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!Info(info)) return;
  COORD position = info.dwCursorPosition;
  if (row >= 1 && row <= info.srWindow.Bottom - info.srWindow.Top + 1)
    position.Y = static_cast<SHORT>(info.srWindow.Top + row - 1);
  if (column >= 1 && column <= info.srWindow.Right - info.srWindow.Left + 1)
    position.X = static_cast<SHORT>(info.srWindow.Left + column - 1);
  SetConsoleCursorPosition(output_, position);
}

int WindowsConsole::Attribute() {
  CONSOLE_SCREEN_BUFFER_INFO info;
  return Info(info) ? info.wAttributes : 7;
}

void WindowsConsole::SetAttribute(int attribute) {
  if (output_ != INVALID_HANDLE_VALUE) SetConsoleTextAttribute(output_, static_cast<WORD>(attribute));
}

bool WindowsConsole::ReadCell(int row, int column, char& character, unsigned char& attribute) {
  character = ' ';
  attribute = 7;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!Info(info) || row < 1 || row > info.srWindow.Bottom - info.srWindow.Top + 1 || column < 1 ||
      column > info.srWindow.Right - info.srWindow.Left + 1)
    return false;
  CHAR_INFO cell;
  COORD size = {1, 1}, origin = {0, 0};
  SMALL_RECT area;
  area.Left = area.Right = static_cast<SHORT>(info.srWindow.Left + column - 1);
  area.Top = area.Bottom = static_cast<SHORT>(info.srWindow.Top + row - 1);
  if (!ReadConsoleOutputW(output_, &cell, size, origin, &area)) return false;
  char oem = ' ';
  if (WideCharToMultiByte(CP_OEMCP, 0, &cell.Char.UnicodeChar, 1, &oem, 1, nullptr, nullptr) == 1) character = oem;
  attribute = static_cast<unsigned char>(cell.Attributes & 0xFF);
  return true;
}

// Every call into the console host is a round trip to another process, so
// an area goes in one call a row rather than several a cell.
void WindowsConsole::ReadArea(int top, int left, int bottom, int right, ByteString& cells) {
  if (top > bottom || left > right) return;
  const size_t width = static_cast<size_t>(right) - left + 1;
  const size_t start = cells.size();
  cells.append(2 * width * (static_cast<size_t>(bottom) - top + 1), ' ');
  for (size_t at = start + 1; at < cells.size(); at += 2) cells[at] = 7;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!Info(info)) return;
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1, columns = info.srWindow.Right - info.srWindow.Left + 1;
  const int first = left < 1 ? 1 : left, last = right > columns ? columns : right;
  if (first > last) return;
  std::vector<CHAR_INFO> line(static_cast<size_t>(last - first + 1));
  for (int row = top < 1 ? 1 : top; row <= bottom && row <= rows; ++row) {
    const COORD size = {static_cast<SHORT>(line.size()), 1}, origin = {0, 0};
    SMALL_RECT area;
    area.Left = static_cast<SHORT>(info.srWindow.Left + first - 1);
    area.Right = static_cast<SHORT>(info.srWindow.Left + last - 1);
    area.Top = area.Bottom = static_cast<SHORT>(info.srWindow.Top + row - 1);
    if (!ReadConsoleOutputW(output_, line.data(), size, origin, &area)) continue;
    // The host may give back less than was asked for, at the buffer's edge.
    const int got = area.Right - area.Left + 1;
    size_t at = start + 2 * (width * static_cast<size_t>(row - top) + static_cast<size_t>(first - left));
    for (int i = 0; i < got && i < static_cast<int>(line.size()); ++i, at += 2) {
      char oem = ' ';
      if (WideCharToMultiByte(CP_OEMCP, 0, &line[i].Char.UnicodeChar, 1, &oem, 1, nullptr, nullptr) == 1)
        cells[at] = oem;
      cells[at + 1] = static_cast<char>(line[i].Attributes & 0xFF);
    }
  }
}

int WindowsConsole::WriteArea(int top, int left, int bottom, int right, ByteView cells) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (top > bottom || left > right || !Info(info)) return -1;
  const int rows = info.srWindow.Bottom - info.srWindow.Top + 1, columns = info.srWindow.Right - info.srWindow.Left + 1;
  const size_t width = static_cast<size_t>(right) - left + 1;
  const int first = left < 1 ? 1 : left, last = right > columns ? columns : right;
  if (first > last) return -1;
  std::vector<CHAR_INFO> line;
  int lastAttribute = -1;
  for (int row = top < 1 ? 1 : top; row <= bottom && row <= rows; ++row) {
    line.clear();
    for (int column = first; column <= last; ++column) {
      const size_t at = 2 * (width * static_cast<size_t>(row - top) + static_cast<size_t>(column - left));
      if (at + 2 > cells.size()) break;
      CHAR_INFO cell;
      // The glyph a write of the byte would show, control bytes included.
      wchar_t wide = L' ';
      if (MultiByteToWideChar(CP_OEMCP, MB_USEGLYPHCHARS, &cells[at], 1, &wide, 1) != 1)
        MultiByteToWideChar(CP_OEMCP, 0, &cells[at], 1, &wide, 1);
      cell.Char.UnicodeChar = wide;
      cell.Attributes = static_cast<unsigned char>(cells[at + 1]);
      line.push_back(cell);
    }
    if (line.empty()) break;
    const COORD size = {static_cast<SHORT>(line.size()), 1}, origin = {0, 0};
    SMALL_RECT area;
    area.Left = static_cast<SHORT>(info.srWindow.Left + first - 1);
    area.Right = static_cast<SHORT>(info.srWindow.Left + first - 1 + static_cast<int>(line.size()) - 1);
    area.Top = area.Bottom = static_cast<SHORT>(info.srWindow.Top + row - 1);
    if (WriteConsoleOutputW(output_, line.data(), size, origin, &area)) lastAttribute = line.back().Attributes;
  }
  return lastAttribute;
}

void WindowsConsole::Write(const ByteString& text) {
  if (output_ == INVALID_HANDLE_VALUE || text.empty()) return;
  const int size = static_cast<int>(text.size());
  // Control bytes become their glyphs, so that processed output shows them
  // instead of moving the cursor.
  DWORD flags = MB_USEGLYPHCHARS;
  int n = MultiByteToWideChar(CP_OEMCP, flags, text.data(), size, nullptr, 0);
  if (n <= 0) {
    flags = 0;
    n = MultiByteToWideChar(CP_OEMCP, flags, text.data(), size, nullptr, 0);
  }
  if (n <= 0) return;
  std::wstring wide(static_cast<size_t>(n), L' ');
  MultiByteToWideChar(CP_OEMCP, flags, text.data(), size, &wide[0], n);
  DWORD written = 0;
  WriteConsoleW(output_, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

}  // namespace

std::unique_ptr<Console> OpenSystemConsole() { return std::unique_ptr<Console>(new WindowsConsole()); }

}  // namespace platform
