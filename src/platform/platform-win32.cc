// SPDX-License-Identifier: MIT
// The system's services on Windows (system_services.h): environment, clock and
// processes; files are in files-win32.cc. Every byte string crosses to the wide
// interfaces through the OEM code page, the code page of the suite's console.
#include "platform/platform.h"
#include "platform/system_services.h"

#include <windows.h>

#include <vector>

#include "platform/text-win32.h"

namespace platform {

void SelectOemCodePage() { SetFileApisToOEM(); }

std::string SystemEnvironment(const std::string& name) {
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

LocalTime SystemNow() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint32_t SystemProcessNumber() { return GetCurrentProcessId(); }

bool SystemRunAndWait(const std::string& commandLine) {
  std::wstring line = WideFromOem(commandLine);
  if (line.size() >= 32767) line.resize(32766);  // the system's own limit
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process))
    return false;
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD exitCode;
  GetExitCodeProcess(process.hProcess, &exitCode);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace platform
