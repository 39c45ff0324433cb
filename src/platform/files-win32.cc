// SPDX-License-Identifier: MIT
// The system's file system on Windows. Paths cross to the wide interfaces
// through the OEM code page, the code page of the suite's console.
#include <windows.h>

#include "platform/file_system.h"
#include "platform/platform.h"
#include "platform/text-win32.h"
#include "platform/trace.h"

namespace platform {
namespace {

HANDLE HandleOf(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }

// Notes the system's reason for the failure just met, for the trace.
bool Fail() {
  if (TraceOn()) NoteFailure(SystemErrorText(GetLastError()));
  return false;
}

// Reads and writes go in pieces the 32-bit counts of the calls can hold.
constexpr size_t kLargestPiece = 0x40000000;

// True for a handle on a file of a disk: not a directory, a device (CON,
// NUL, a port) or a pipe, whose reads could wait for ever.
bool IsPlainFile(HANDLE handle) {
  if (GetFileType(handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION information;
  return GetFileInformationByHandle(handle, &information) &&
         (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

class Win32FileSystem : public FileSystem {
 public:
  bool Open(const std::string& path, OpenMode mode, FileHandle& handle) override {
    // The right to append data alone makes every write go to the end of
    // the file, in one step however many others append; the attributes
    // tell a plain file and the same file.
    DWORD access = mode == OpenMode::kExistingForReading  ? GENERIC_READ
                   : mode == OpenMode::kOrCreateForUpdate ? GENERIC_READ | GENERIC_WRITE
                   : mode == OpenMode::kAppendForWriting  ? FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE
                                                          : GENERIC_WRITE;
    // CREATE_NEW is one step on the server too: of two machines creating
    // the same name in a shared folder, one fails.
    DWORD disposition = mode == OpenMode::kExistingForReading    ? OPEN_EXISTING
                        : mode == OpenMode::kCreateNewForWriting ? CREATE_NEW
                                                                 : OPEN_ALWAYS;
    HANDLE file = CreateFileW(WideFromOem(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Fail();
    // Emptied only once it is known to be a plain file.
    if (!IsPlainFile(file)) {
      CloseHandle(file);
      if (TraceOn()) NoteFailure(SystemErrorText(ERROR_ACCESS_DENIED));
      return false;
    }
    if (mode == OpenMode::kCreateOrEmptyForWriting && !SetEndOfFile(file)) {
      Fail();
      CloseHandle(file);
      return false;
    }
    handle = reinterpret_cast<FileHandle>(file);
    return true;
  }

  size_t Read(FileHandle handle, char* buffer, size_t size) override {
    DWORD read = 0;
    DWORD piece = static_cast<DWORD>(size > kLargestPiece ? kLargestPiece : size);
    if (!ReadFile(HandleOf(handle), buffer, piece, &read, nullptr)) return 0;
    return read;
  }

  bool Write(FileHandle handle, const char* data, size_t size) override {
    while (size > 0) {
      DWORD piece = static_cast<DWORD>(size > kLargestPiece ? kLargestPiece : size);
      DWORD written = 0;
      if (!WriteFile(HandleOf(handle), data, piece, &written, nullptr)) return Fail();
      if (written == 0) return false;
      data += written;
      size -= written;
    }
    return true;
  }

  bool Seek(FileHandle handle, int64_t offset) override {
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    return SetFilePointerEx(HandleOf(handle), distance, nullptr, FILE_BEGIN) != 0;
  }

  int64_t Size(FileHandle handle) override {
    LARGE_INTEGER size;
    return GetFileSizeEx(HandleOf(handle), &size) ? size.QuadPart : -1;
  }

  void Close(FileHandle handle) override { CloseHandle(HandleOf(handle)); }

  bool Remove(const std::string& path) override { return DeleteFileW(WideFromOem(path).c_str()) != 0; }

  bool MakeDirectory(const std::string& path) override {
    return CreateDirectoryW(WideFromOem(path).c_str(), nullptr) != 0 || Fail();
  }

  std::string EntryPath(const std::string& path) override {
    std::wstring wide = WideFromOem(path);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(wide.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return std::string();
    FindClose(search);
    wchar_t full[MAX_PATH * 4];
    wchar_t* name = nullptr;
    DWORD n = GetFullPathNameW(wide.c_str(), MAX_PATH * 4, full, &name);
    if (n == 0 || n >= MAX_PATH * 4 || !name) return OemFromWide(found.cFileName);
    return OemFromWide(std::wstring(full, static_cast<size_t>(name - full)) + found.cFileName);
  }

  // The same file has the same volume and the same index, under any name.
  bool SameFile(FileHandle handle, const std::string& path) override {
    HANDLE named = CreateFileW(WideFromOem(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    bool same = GetFileInformationByHandle(HandleOf(handle), &a) && GetFileInformationByHandle(named, &b) &&
                a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
                a.nFileIndexLow == b.nFileIndexLow;
    CloseHandle(named);
    return same;
  }

  bool FindEntryAttributes(const std::string& path, unsigned* attributes) override {
    std::wstring wide = WideFromOem(path);
    // The search takes "?" and "*" as wildcards, and no name can hold them:
    // a path with one (also a character the code page could not write,
    // which arrives as "?") names no entry.
    size_t patternFrom = wide.compare(0, 4, L"\\\\?\\") == 0 ? 4 : 0;
    if (wide.find_first_of(L"?*", patternFrom) != std::wstring::npos) return false;
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
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem system;
  return system;
}

}  // namespace platform
