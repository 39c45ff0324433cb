// SPDX-License-Identifier: MIT
// Reads the version resource of a Windows program the way the file's
// properties do, for the package test:
//
//   version_info PROGRAM OUTPUT [MANIFEST]
//
// writes to OUTPUT one "name=value" line each for the fixed file and product
// versions, the language of the first translation and the strings of that
// translation's table, in UTF-8, and to MANIFEST the bytes of the program's
// application manifest as the loader finds it (resource 1 of RT_MANIFEST).
// Exits with 1 when the program has no version resource, or not exactly one
// manifest. The output goes to files because a console under Wine would
// change the line ends.
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

BOOL CALLBACK CountName(HMODULE, LPCWSTR, LPWSTR, LONG_PTR count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}

// The one manifest of `program`, or false when it has none or several.
bool ReadManifest(const std::wstring& program, std::string& manifest) {
  HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return false;
  int count = 0;
  EnumResourceNamesW(module, RT_MANIFEST, CountName, reinterpret_cast<LONG_PTR>(&count));
  HRSRC found = FindResourceW(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes) manifest.assign(static_cast<const char*>(bytes), SizeofResource(module, found));
  FreeLibrary(module);
  return count == 1 && bytes;
}

bool SaveFile(const char* path, const std::string& bytes) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
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

  if (!SaveFile(argv[2], out)) return 2;
  if (argc == 4) {
    std::string manifest;
    if (!ReadManifest(program, manifest)) return 1;
    if (!SaveFile(argv[3], manifest)) return 2;
  }
  return 0;
}
