// SPDX-License-Identifier: MIT
// A stand-in for the suite's host application on Windows: it paints its
// console with a pattern of characters and colours, puts the cursor at a
// known place, runs a program in the same console, waits for it, and then
// compares every visible cell and the cursor with what they were.
//
//   orvtest_host REPORT PROGRAM [NAME=VALUE...]
//
// Each NAME=VALUE sets a variable of the program's environment first (an
// empty VALUE removes it): Wine gives Windows programs its own COMSPEC,
// whatever the Linux environment says.
// REPORT receives a few lines: "exit N" with the program's exit code, then
// "screen kept" or the first cells that changed, then "cursor kept" or
// where it went. The exit code is 0 when the report could be made, 2 when
// there is no console of at least 25 x 80 or the program did not start.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Letters, digits and a few code page 850 characters (accents, lines, blocks).
const wchar_t kPattern[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789\u00e9\u2500\u2591\u2588";

struct Screen {
  SMALL_RECT window;
  std::vector<CHAR_INFO> cells;
  COORD cursor;
};

bool ReadScreen(HANDLE output, Screen& screen) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(output, &info)) return false;
  screen.window = info.srWindow;
  screen.cursor = info.dwCursorPosition;
  const SHORT rows = info.srWindow.Bottom - info.srWindow.Top + 1;
  const SHORT columns = info.srWindow.Right - info.srWindow.Left + 1;
  screen.cells.assign(static_cast<size_t>(rows) * columns, CHAR_INFO());
  SMALL_RECT area = info.srWindow;
  return ReadConsoleOutputW(output, screen.cells.data(), COORD{columns, rows}, COORD{0, 0}, &area) != 0;
}

// Every cell of the visible window, in runs of eight cells of one colour.
void PaintScreen(HANDLE output, const SMALL_RECT& window) {
  const SHORT rows = window.Bottom - window.Top + 1, columns = window.Right - window.Left + 1;
  std::vector<CHAR_INFO> cells(static_cast<size_t>(rows) * columns);
  const size_t patternLength = sizeof kPattern / sizeof kPattern[0] - 1;
  for (SHORT row = 0; row < rows; ++row) {
    for (SHORT column = 0; column < columns; ++column) {
      CHAR_INFO& cell = cells[static_cast<size_t>(row) * columns + column];
      cell.Char.UnicodeChar = kPattern[(row + column) % patternLength];
      cell.Attributes = static_cast<WORD>(((row + 1) * 3 + column / 8) % 256);
    }
  }
  SMALL_RECT area = window;
  WriteConsoleOutputW(output, cells.data(), COORD{columns, rows}, COORD{0, 0}, &area);
  SetConsoleCursorPosition(output, COORD{static_cast<SHORT>(window.Left + 2), static_cast<SHORT>(window.Top + 6)});
  SetConsoleTextAttribute(output, 0x1E);
}

std::string Narrow(wchar_t c) {
  char buffer[8] = {};
  int n = WideCharToMultiByte(CP_UTF8, 0, &c, 1, buffer, sizeof buffer, nullptr, nullptr);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  FILE* report = _wfopen(argv[1], L"wb");
  if (!report) return 2;
  HANDLE output = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  Screen before;
  if (output == INVALID_HANDLE_VALUE || !ReadScreen(output, before) ||
      before.window.Bottom - before.window.Top + 1 < 25 || before.window.Right - before.window.Left + 1 < 80) {
    std::fprintf(report, "no console of at least 25 x 80\n");
    std::fclose(report);
    return 2;
  }
  PaintScreen(output, before.window);
  ReadScreen(output, before);  // as the console holds it

  for (int i = 3; i < argc; ++i) {
    std::wstring setting = argv[i];
    size_t equals = setting.find(L'=');
    if (equals == std::wstring::npos) continue;
    std::wstring value = setting.substr(equals + 1);
    SetEnvironmentVariableW(setting.substr(0, equals).c_str(), value.empty() ? nullptr : value.c_str());
  }
  std::wstring commandLine = std::wstring(L"\"") + argv[2] + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    std::fprintf(report, "the program did not start (error %lu)\n", GetLastError());
    std::fclose(report);
    return 2;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::fprintf(report, "exit %lu\n", code);

  Screen after;
  if (!ReadScreen(output, after) || after.cells.size() != before.cells.size()) {
    std::fprintf(report, "the screen could not be read back\n");
    std::fclose(report);
    return 0;
  }
  const int columns = before.window.Right - before.window.Left + 1;
  int changed = 0;
  for (size_t i = 0; i < before.cells.size(); ++i) {
    const CHAR_INFO &b = before.cells[i], &a = after.cells[i];
    if (b.Char.UnicodeChar == a.Char.UnicodeChar && b.Attributes == a.Attributes) continue;
    if (++changed <= 8)
      std::fprintf(report, "row %d column %d: '%s' %02X became '%s' %02X\n", static_cast<int>(i / columns) + 1,
                   static_cast<int>(i % columns) + 1, Narrow(b.Char.UnicodeChar).c_str(), b.Attributes & 0xFF,
                   Narrow(a.Char.UnicodeChar).c_str(), a.Attributes & 0xFF);
  }
  if (changed == 0)
    std::fprintf(report, "screen kept\n");
  else
    std::fprintf(report, "%d cells changed\n", changed);
  if (before.cursor.X == after.cursor.X && before.cursor.Y == after.cursor.Y)
    std::fprintf(report, "cursor kept\n");
  else
    std::fprintf(report, "cursor moved from row %d column %d to row %d column %d\n", before.cursor.Y + 1,
                 before.cursor.X + 1, after.cursor.Y + 1, after.cursor.X + 1);
  std::fclose(report);
  return 0;
}
