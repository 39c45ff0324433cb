// SPDX-License-Identifier: MIT
// Test support: failures of the system's file system that a test asks for.
// On POSIX a limit on the size of the files this process writes; on Windows
// a file another program holds open against writing.
#pragma once

#include <cstdint>
#include <string>

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <signal.h>
#include <sys/resource.h>
#endif

namespace testing_support {

#ifdef _WIN32

/// Holds an existing file open for reading and shares it for reading only,
/// as another program may, so that nobody opens it for writing until the
/// object goes or Release is called.
class HeldAgainstWriting {
 public:
  /// `nativePath` names the file as the test's own library does.
  explicit HeldAgainstWriting(const std::string& nativePath)
      : handle_(CreateFileW(std::filesystem::path(nativePath).wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr)) {}
  ~HeldAgainstWriting() { Release(); }
  HeldAgainstWriting(const HeldAgainstWriting&) = delete;
  HeldAgainstWriting& operator=(const HeldAgainstWriting&) = delete;

  /// False when the file could not be opened.
  bool held() const { return handle_ != INVALID_HANDLE_VALUE; }

  /// Lets go of the file.
  void Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

#else

/// While the object lives, no file this process writes may grow past
/// `bytes`: a write beyond the limit fails (EFBIG) instead of ending the
/// process.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(uint64_t bytes) {
    if (getrlimit(RLIMIT_FSIZE, &saved_) != 0) return;
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    signalSet_ = sigaction(SIGXFSZ, &ignore, &savedSignal_) == 0;
    struct rlimit limit = saved_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    ok_ = signalSet_ && setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~ScopedFileSizeLimit() {
    if (ok_) setrlimit(RLIMIT_FSIZE, &saved_);
    if (signalSet_) sigaction(SIGXFSZ, &savedSignal_, nullptr);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

  /// False when the limit could not be set.
  bool ok() const { return ok_; }

 private:
  struct rlimit saved_ = {};
  struct sigaction savedSignal_ = {};
  bool signalSet_ = false;
  bool ok_ = false;
};

#endif

}  // namespace testing_support
