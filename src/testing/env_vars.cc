// Setting environment variables from tests, on Windows and POSIX systems.
// Saved values are kept in a lossless system form (UTF-8 of the wide text
// on Windows, the bytes themselves on POSIX) so that restoring them gives
// back exactly what was there.
#include "testing/env_vars.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

#include "text/charset.h"

namespace {

#ifdef _WIN32
std::wstring Wide(const std::string& text, UINT codePage) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &text[0], n, nullptr, nullptr);
  return text;
}

bool GetSystem(const std::string& name, std::string& value) {
  std::wstring wideName = Wide(name, CP_OEMCP);
  std::wstring buffer(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    DWORD n = GetEnvironmentVariableW(wideName.c_str(), &buffer[0], static_cast<DWORD>(buffer.size()));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      value = Narrow(buffer);
      return true;
    }
    buffer.resize(n);
  }
}

bool SetSystem(const std::string& name, const std::string& utf8Value) {
  return SetEnvironmentVariableW(Wide(name, CP_OEMCP).c_str(), Wide(utf8Value, CP_UTF8).c_str()) != 0;
}

std::string SystemFromCodePage(const std::string& text) { return Narrow(Wide(text, CP_OEMCP)); }

bool UnsetSystem(const std::string& name) {
  return SetEnvironmentVariableW(Wide(name, CP_OEMCP).c_str(), nullptr) != 0 ||
         GetLastError() == ERROR_ENVVAR_NOT_FOUND;
}
#else
bool GetSystem(const std::string& name, std::string& value) {
  const char* found = std::getenv(ConvertCharset(name).c_str());
  if (!found) return false;
  value = found;
  return true;
}

bool SetSystem(const std::string& name, const std::string& systemValue) {
  return setenv(ConvertCharset(name).c_str(), systemValue.c_str(), 1) == 0;
}

std::string SystemFromCodePage(const std::string& text) { return ConvertCharset(text); }

bool UnsetSystem(const std::string& name) { return unsetenv(ConvertCharset(name).c_str()) == 0; }
#endif

}  // namespace

bool SetEnvVar(const std::string& name, const std::string& value) {
  return SetSystem(name, SystemFromCodePage(value));
}

bool UnsetEnvVar(const std::string& name) { return UnsetSystem(name); }

ScopedEnvVar::ScopedEnvVar(const std::string& name, const std::string& value)
    : name_(name), wasSet_(GetSystem(name, previous_)) {
  SetEnvVar(name, value);
}

ScopedEnvVar::~ScopedEnvVar() {
  if (wasSet_)
    SetSystem(name_, previous_);
  else
    UnsetSystem(name_);
}
