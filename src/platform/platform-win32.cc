// The platform operations on Windows. Every byte string crosses to the wide
// interfaces through the OEM code page, the code page of the suite's console.
#include "platform/platform.h"

#include <windows.h>

#include <vector>

#include "platform/text-win32.h"

namespace platform {
namespace {

// Open files by number; slot i holds the handle of file number i + 1.
std::vector<HANDLE>& FileTable() {
  static std::vector<HANDLE> table;
  return table;
}

FileNumber Register(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return 0;
  std::vector<HANDLE>& table = FileTable();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == INVALID_HANDLE_VALUE) {
      table[i] = handle;
      return static_cast<FileNumber>(i + 1);
    }
  }
  table.push_back(handle);
  return static_cast<FileNumber>(table.size());
}

HANDLE Handle(FileNumber file) {
  std::vector<HANDLE>& table = FileTable();
  if (file < 1 || static_cast<size_t>(file) > table.size()) return INVALID_HANDLE_VALUE;
  return table[file - 1];
}

HANDLE Open(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileW(WideFromOem(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

void SelectOemCodePage() { SetFileApisToOEM(); }

FileNumber OpenExistingForReading(const std::string& path) {
  return Register(Open(path, GENERIC_READ, OPEN_EXISTING));
}

FileNumber OpenOrCreateForUpdate(const std::string& path) {
  return Register(Open(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS));
}

FileNumber CreateOrEmptyForWriting(const std::string& path) {
  HANDLE handle = Open(path, GENERIC_WRITE, OPEN_ALWAYS);
  if (handle != INVALID_HANDLE_VALUE && !SetEndOfFile(handle)) {
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
  }
  return Register(handle);
}

size_t ReadBytes(FileNumber file, char* buffer, size_t size) {
  HANDLE handle = Handle(file);
  DWORD read = 0;
  if (handle == INVALID_HANDLE_VALUE) return 0;
  DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
  if (!ReadFile(handle, buffer, chunk, &read, nullptr)) return 0;
  return read;
}

bool WriteBytes(FileNumber file, const char* data, size_t size) {
  HANDLE handle = Handle(file);
  if (handle == INVALID_HANDLE_VALUE) return false;
  while (size > 0) {
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(handle, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool SeekFile(FileNumber file, int64_t offset) {
  HANDLE handle = Handle(file);
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  return handle != INVALID_HANDLE_VALUE && offset >= 0 &&
         SetFilePointerEx(handle, distance, nullptr, FILE_BEGIN);
}

int64_t FileSize(FileNumber file) {
  HANDLE handle = Handle(file);
  LARGE_INTEGER size;
  if (handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(handle, &size)) return -1;
  return size.QuadPart;
}

bool IsOpen(FileNumber file) { return Handle(file) != INVALID_HANDLE_VALUE; }

void CloseFile(FileNumber file) {
  HANDLE handle = Handle(file);
  if (handle == INVALID_HANDLE_VALUE) return;
  CloseHandle(handle);
  FileTable()[file - 1] = INVALID_HANDLE_VALUE;
}

void CloseAllFiles() {
  std::vector<HANDLE>& table = FileTable();
  for (size_t i = 0; i < table.size(); ++i) CloseFile(static_cast<FileNumber>(i + 1));
  table.clear();
}

bool RemoveFile(const std::string& path) { return DeleteFileW(WideFromOem(path).c_str()) != 0; }

bool MakeDirectory(const std::string& path) { return CreateDirectoryW(WideFromOem(path).c_str(), nullptr) != 0; }

bool FindEntryAttributes(const std::string& path, unsigned* attributes) {
  std::wstring wide = WideFromOem(path);
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  // The entry found, in the folder of the path searched.
  size_t cut = wide.find_last_of(L"\\/:");
  std::wstring entry = (cut == std::wstring::npos ? std::wstring() : wide.substr(0, cut + 1)) + found.cFileName;
  DWORD a = GetFileAttributesW(entry.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  *attributes = static_cast<unsigned>(a);
  return true;
}

std::string GetEnvironment(const std::string& name) {
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

LocalTime GetLocalTime() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

uint32_t ProcessId() { return GetCurrentProcessId(); }

bool RunAndWait(const std::string& commandLine) {
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
