// SPDX-License-Identifier: MIT
// Test support: a pseudo-terminal for the POSIX terminal console, whose
// other end records everything sent to it.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace testing_support {

/// A pseudo-terminal whose other end records everything sent to it and, if
/// asked, answers the cursor position request.
class PseudoTerminal {
 public:
  PseudoTerminal(int rows, int columns, const char* reply) : reply_(reply ? reply : "") {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    const char* name = ptsname(master_);
    if (name) slave_ = open(name, O_RDWR | O_NOCTTY);
    struct winsize size = {};
    size.ws_row = static_cast<unsigned short>(rows);
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(master_, TIOCSWINSZ, &size);
    reader_ = std::thread([this] { Read(); });
  }
  ~PseudoTerminal() {
    stop_ = true;
    if (reader_.joinable()) reader_.join();
    if (slave_ >= 0) close(slave_);
    if (master_ >= 0) close(master_);
  }
  bool Ready() const { return slave_ >= 0; }
  int Slave() const { return slave_; }

  /// Everything received once the terminal has been quiet for a moment
  /// (long enough for the reader thread to be scheduled on a busy machine).
  std::string Received() {
    size_t seen = static_cast<size_t>(-1);
    for (int i = 0; i < 200; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      std::lock_guard<std::mutex> lock(mutex_);
      if (received_.size() == seen) break;
      seen = received_.size();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
  }

 private:
  void Read() {
    bool answered = false;
    while (!stop_) {
      struct pollfd wait = {master_, POLLIN, 0};
      if (poll(&wait, 1, 10) <= 0) continue;
      char buffer[4096];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      received_.append(buffer, static_cast<size_t>(n));
      if (!answered && !reply_.empty() && received_.find("\x1b[6n") != std::string::npos) {
        answered = true;
        ssize_t ignored = write(master_, reply_.data(), reply_.size());
        (void)ignored;
      }
    }
  }

  std::string reply_;
  int master_ = -1, slave_ = -1;
  std::thread reader_;
  std::mutex mutex_;
  std::string received_;
  std::atomic<bool> stop_{false};
};

}  // namespace testing_support
