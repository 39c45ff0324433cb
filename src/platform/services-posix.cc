// SPDX-License-Identifier: MIT
// The system's services on POSIX systems: environment, clock, random bits
// and processes; files are in files-posix.cc. Text crosses to the system as UTF-8; a
// program path is resolved as every other path is (path_resolver-posix.h).
#include <fcntl.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/time.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "common/charset.h"
#include "platform/console-posix.h"
#include "platform/path_resolver-posix.h"
#include "platform/services.h"
#include "platform/text-posix.h"

extern char** environ;

namespace platform {
namespace {

class PosixServices : public Services {
 public:
  std::string Environment(const std::string& name) override {
    const char* value = std::getenv(ConvertCharset(name).c_str());
    return value ? CodePageFromUtf8(value) : std::string();
  }

  LocalTime Now() override {
    struct timeval now;
    gettimeofday(&now, nullptr);
    struct tm local;
    time_t seconds = now.tv_sec;
    localtime_r(&seconds, &local);
    return LocalTime{local.tm_year + 1900,
                     local.tm_mon + 1,
                     local.tm_mday,
                     local.tm_hour,
                     local.tm_min,
                     local.tm_sec,
                     static_cast<int>(now.tv_usec / 1000)};
  }

  uint32_t ProcessNumber() override { return static_cast<uint32_t>(getpid()); }

  uint64_t RandomBits() override;

  int64_t Milliseconds() override {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  }

  ProgramRun RunAndWait(const std::string& commandLine) override;
};
// getrandom without waiting: early in a boot its pool may not be ready,
// and then, as on a system without the call, /dev/urandom gives what it
// has. A source that gives nothing leaves the bits 0.
uint64_t PosixServices::RandomBits() {
  uint64_t bits = 0;
  ssize_t n;
  do n = getrandom(&bits, sizeof bits, GRND_NONBLOCK);
  while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof bits)) return bits;
  bits = 0;
  const int fd = open("/dev/urandom", O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return 0;
  do n = read(fd, &bits, sizeof bits);
  while (n < 0 && errno == EINTR);
  close(fd);
  return n == static_cast<ssize_t>(sizeof bits) ? bits : 0;
}

ProgramRun PosixServices::RunAndWait(const std::string& commandLine) {
  ProgramRun run;
  std::vector<std::string> words = SplitCommandLine(commandLine);
  if (words.empty()) {
    run.failure = "the command line is empty";
    return run;
  }
  std::vector<std::string> args;
  args.reserve(words.size());
  for (const std::string& word : words) args.push_back(ConvertCharset(word));
  // The program is a path like any other; its arguments reach it as written.
  args[0] = SystemPath(words[0]);
  std::vector<char*> argv;
  argv.reserve(args.size() + 1);
  for (std::string& arg : args) argv.push_back(&arg[0]);
  argv.push_back(nullptr);

  // The signals the console ignores while it exists are the child's own
  // again, as a Windows child does not inherit its parent's control handler.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int signal : kTerminalSignals) sigaddset(&defaults, signal);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

  const int64_t start = Milliseconds();
  pid_t pid;
  bool searchPath = args[0].find('/') == std::string::npos;
  int rc = searchPath ? posix_spawnp(&pid, argv[0], nullptr, &attributes, argv.data(), environ)
                      : posix_spawn(&pid, argv[0], nullptr, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  if (rc != 0) {
    run.failure = SystemErrorText(rc);
    return run;
  }
  run.started = true;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  // A program ended by a signal reports it as a shell would, 128 + its number.
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
  run.milliseconds = Milliseconds() - start;
  return run;
}

}  // namespace

Services& SystemServices() {
  static PosixServices system;
  return system;
}

}  // namespace platform
