// SPDX-License-Identifier: MIT
// Reads the version resource of a Windows program the way the file's
// properties do, for the package test:
//
//   version_info PROGRAM OUTPUT
//
// writes to OUTPUT one "name=value" line each for the fixed file and product
// versions, the language of the first translation and the strings of that
// translation's table, in UTF-8. Exits with 1 when the program has no
// version resource. The output goes to a file because a console under Wine
// would change the line ends.
#include <windows.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

std::wstring Wide(const char* text) {
  int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring out(n > 0 ? static_cast<size_t>(n) : 1, L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
  out.resize(out.size() - 1);
  return out;
}

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
  }
  return out;
}

std::string Quad(DWORD high, DWORD low) {
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(high)),
                static_cast<unsigned long>(LOWORD(high)), static_cast<unsigned long>(HIWORD(low)),
                static_cast<unsigned long>(LOWORD(low)));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  std::wstring program = Wide(argv[1]);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  if (size == 0) return 1;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(program.c_str(), 0, size, block.data())) return 1;

  std::string out;
  void* value = nullptr;
  UINT length = 0;
  if (VerQueryValueW(block.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    out += "FixedFileVersion=" + Quad(fixed->dwFileVersionMS, fixed->dwFileVersionLS) + "\n";
    out += "FixedProductVersion=" + Quad(fixed->dwProductVersionMS, fixed->dwProductVersionLS) + "\n";
  }
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4) {
    return 1;
  }
  const WORD* translation = static_cast<const WORD*>(value);
  char language[16];
  std::snprintf(language, sizeof language, "%04x%04x", static_cast<unsigned>(translation[0]),
                static_cast<unsigned>(translation[1]));
  out += std::string("Translation=") + language + "\n";
  std::wstring table = L"\\StringFileInfo\\" + Wide(language) + L"\\";
  for (const wchar_t* name : {L"ProductName", L"FileDescription", L"FileVersion", L"ProductVersion", L"InternalName",
                              L"OriginalFilename", L"LegalCopyright"}) {
    std::wstring query = table + name;
    if (VerQueryValueW(block.data(), query.c_str(), &value, &length) && length > 0) {
      // The length counts the terminating null when the string has one.
      std::wstring text(static_cast<const wchar_t*>(value), length);
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      out += Utf8(name) + "=" + Utf8(text) + "\n";
    }
  }

  FILE* file = std::fopen(argv[2], "wb");
  if (!file) return 2;
  std::fwrite(out.data(), 1, out.size(), file);
  std::fclose(file);
  return 0;
}
