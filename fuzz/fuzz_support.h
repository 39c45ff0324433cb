// Support shared by the fuzz targets: a private work folder for the files a
// target hands to the core, whole-file reads and writes through the
// platform layer, and a check that stops the run with a message, so that
// broken invariants are reported like crashes.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/platform.h"

#define FUZZ_CHECK(condition)                                                              \
  do {                                                                                     \
    if (!(condition)) {                                                                    \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
      std::abort();                                                                        \
    }                                                                                      \
  } while (0)

namespace fuzz {

/// A fresh folder under the system's temporary folder, removed with
/// everything in it when the object is destroyed.
class WorkFolder {
 public:
  explicit WorkFolder(const char* tag) {
    std::error_code error;
    std::filesystem::path base = std::filesystem::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / (std::string("orvfuzz-") + tag + "-XXXXXX")).string();
    if (!mkdtemp(&pattern[0])) {
      std::perror("mkdtemp");
      std::abort();
    }
    path_ = pattern;
  }
  // Runs at exit, after the platform's file table may be gone: the targets
  // close their files at the end of every input.
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  /// The folder as a directory value of the core, ending in a backslash.
  std::string Dir() const { return path_ + "\\"; }

  /// The folder as the system names it.
  const std::string& NativePath() const { return path_; }

  /// Removes everything inside the folder; the folder stays.
  void Clear() const {
    platform::CloseAllFiles();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path_, error)) {
      std::error_code ignored;
      std::filesystem::remove_all(entry.path(), ignored);
    }
  }

 private:
  std::string path_;
};

/// Creates or empties the file (a core path) and writes `bytes` into it.
inline bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  platform::FileNumber file = platform::CreateOrEmptyForWriting(path);
  if (file == 0) return false;
  bool ok = bytes.empty() || platform::WriteBytes(file, bytes.data(), bytes.size());
  platform::CloseFile(file);
  return ok;
}

/// True when the file (a core path) exists; its bytes in `bytes`.
inline bool ReadWholeFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  platform::FileNumber file = platform::OpenExistingForReading(path);
  if (file == 0) return false;
  char buffer[16384];
  while (size_t n = platform::ReadBytes(file, buffer, sizeof buffer)) bytes.append(buffer, n);
  platform::CloseFile(file);
  return true;
}

/// True when `bytes` is well-formed UTF-8 (no overlong forms, surrogates or
/// code points above U+10FFFF); each code point is passed to `sink` in order.
template <typename Sink>
bool DecodeUtf8(const std::string& bytes, Sink&& sink) {
  size_t i = 0;
  while (i < bytes.size()) {
    const unsigned char lead = static_cast<unsigned char>(bytes[i]);
    size_t extra;
    unsigned long codePoint;
    if (lead < 0x80) {
      extra = 0, codePoint = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3, codePoint = lead & 0x07u;
    } else {
      return false;
    }
    if (bytes.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
      const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    static const unsigned long kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (codePoint < kSmallest[extra] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))
      return false;
    sink(codePoint);
    i += extra + 1;
  }
  return true;
}

inline bool IsValidUtf8(const std::string& bytes) {
  return DecodeUtf8(bytes, [](unsigned long) {});
}

}  // namespace fuzz
