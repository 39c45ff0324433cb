// SPDX-License-Identifier: MIT
// OEM code page conversions for the Windows platform.
#include "platform/text-win32.h"

#include <windows.h>

#include "platform/platform.h"

namespace platform {

void SelectOemCodePage() { SetFileApisToOEM(); }

std::wstring WideFromOem(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string OemFromWide(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  return bytes;
}

std::string SystemErrorText(unsigned long error) {
  wchar_t* message = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = n > 0 && message ? std::wstring(message, n) : std::wstring();
  if (message) LocalFree(message);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "error " + std::to_string(error);
  return OemFromWide(text);
}

}  // namespace platform
