// SPDX-License-Identifier: MIT
// The system's services on Windows: environment, clock, random bits and
// processes; files are in files-win32.cc. Every byte string crosses to the wide interfaces
// through the OEM code page, the code page of the suite's console.
#include <windows.h>
// After windows.h, which it needs.
#include <bcrypt.h>

#include <vector>

#include "platform/services.h"
#include "platform/text-win32.h"

namespace platform {
namespace {

class Win32Services : public Services {
 public:
  std::string Environment(const std::string& name) override;
  LocalTime Now() override;
  uint32_t ProcessNumber() override { return GetCurrentProcessId(); }
  uint64_t RandomBits() override;
  int64_t Milliseconds() override { return static_cast<int64_t>(GetTickCount64()); }
  ProgramRun RunAndWait(const std::string& commandLine) override;
};

std::string Win32Services::Environment(const std::string& name) {
  std::wstring wideName = WideFromOem(name);
  std::vector<wchar_t> buffer(256);
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wideName.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return OemFromWide(std::wstring(buffer.data(), n));
    buffer.resize(n);
  }
}

LocalTime Win32Services::Now() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

// The system's preferred generator needs no algorithm handle opened first.
uint64_t Win32Services::RandomBits() {
  uint64_t bits = 0;
  const NTSTATUS status =
      BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&bits), sizeof bits, BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  return status >= 0 ? bits : 0;
}

ProgramRun Win32Services::RunAndWait(const std::string& commandLine) {
  ProgramRun run;
  std::wstring line = WideFromOem(commandLine);
  if (line.size() >= 32767) line.resize(32766);  // the system's own limit
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  const int64_t start = Milliseconds();
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &startup,
                      &process)) {
    run.failure = SystemErrorText(GetLastError());
    return run;
  }
  run.started = true;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode = 0;
  if (GetExitCodeProcess(process.hProcess, &exitCode)) run.exitCode = static_cast<long>(exitCode);
  run.milliseconds = Milliseconds() - start;
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return run;
}

}  // namespace

Services& SystemServices() {
  static Win32Services system;
  return system;
}

}  // namespace platform
