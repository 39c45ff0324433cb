// SPDX-License-Identifier: MIT
// Times one run of a Windows program from inside Windows: the child either
// shares this process's console (as a program started by the suite does)
// or runs detached, with no console and its standard handles on NUL.
// Writes the wall time of the child alone, in microseconds, to a file (the
// console's output is the child's).
//   wine-timer TIME-FILE console|detached PROGRAM [ARGUMENT...]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) {
    std::fputs("usage: wine-timer TIME-FILE console|detached PROGRAM [ARGUMENT...]\n", stderr);
    return 2;
  }
  const bool detached = std::wcscmp(argv[2], L"detached") == 0;
  std::wstring line;
  for (int i = 3; i < argc; ++i) line += (i > 3 ? L" \"" : L"\"") + std::wstring(argv[i]) + L"\"";
  STARTUPINFOW start = {};
  start.cb = sizeof start;
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = INVALID_HANDLE_VALUE;
  if (detached) {
    nul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING,
                      0, nullptr);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdInput = start.hStdOutput = start.hStdError = nul;
  }
  PROCESS_INFORMATION process = {};
  LARGE_INTEGER frequency, begin, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&begin);
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, detached ? TRUE : FALSE, detached ? DETACHED_PROCESS : 0,
                      nullptr, nullptr, &start, &process)) {
    std::fprintf(stderr, "wine-timer: cannot start the program (error %lu)\n", GetLastError());
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  QueryPerformanceCounter(&end);
  FILE* out = _wfopen(argv[1], L"w");
  if (out == nullptr) return 1;
  std::fprintf(out, "%lld\n", (end.QuadPart - begin.QuadPart) * 1000000 / frequency.QuadPart);
  return std::fclose(out) == 0 ? 0 : 1;
}
