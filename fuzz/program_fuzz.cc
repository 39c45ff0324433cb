// SPDX-License-Identifier: MIT
// Fuzz target for the whole program: the main flow (settings, options, the
// print run with its progress box, the end) runs on an in-memory file
// system, an in-memory console and in-memory services, all made from the
// input, and every run is checked from the outside.
//
// Input format: parts, each introduced by a line "@@" plus one letter (at
// the start of the input or after a line feed, which then belongs to the
// marker, not to the part before it). Text before the first marker is the
// spool file. A later part of the same letter replaces an earlier one.
//
//   @@S  orvprint.tmp   the spool file                 in the session folder
//   @@I  Sessio.ini                                     in the session folder
//   @@D  DornTerm.ini                                   in the session folder
//   @@O  OrvPrint.ini                                   in the session folder
//   @@P  ORVPRINT.INI                                   in the terminal folder
//   @@W  WinPush.tmp    the host's window stack file    in the session folder
//   @@T  ORVTMP   @@E ORVEXE   @@M TERM   @@C COMSPEC   environment values
//   @@K  knobs: byte 0 console rows (mod 41), byte 1 columns (mod 121),
//        byte 2 failure bits: 1 disk full after byte 3 x 64 bytes,
//        2 nothing may be created in the session folder, 4 nor on C:\,
//        8 WinPush.tmp read-only, 16 programs fail to start,
//        32 names collide: the random source gives fixed bits, and
//        documents of another run (ordinary, read-only, hidden, system
//        files) stand at the first names the run picks, in every folder
//        there is: byte 4 mod 16 of them (default 8), or from byte 4 = 224
//        on 100 to 115, as many as a document is tried under or more,
//        64 the trace on, into C:\TRACE.LOG unless @@L names its file
//   @@L  ORVPRINT_LOG   the trace file, any path (the trace is on)
//
// A file part that is absent is no file. Absent environment parts give
// ORVTMP=C:\SESSIO, TERM=C:\TERM, COMSPEC=C:\WINDOWS\system32\cmd.exe and
// no ORVEXE; a present one, even empty, is used as it is. The session
// folder is the ORVTMP value (the current directory when it is empty), the
// terminal folder the TERM value. The console is 25 x 80 unless a knob says
// otherwise; the clock stands still.
//
// Checked on every run: every file is closed; the files that were there,
// documents of another run included, keep their bytes and attributes, but
// for the host's window stack file, whose records stay
// as they were (the file goes only when it held no record); nothing is
// created but documents, each valid UTF-8 with CR LF lines and nothing
// after its tail; the screen comes back cell for cell with the cursor;
// the viewer is started with exactly one new, finished document, the mail
// program only as the last thing, with the command line ORVEXE names. A
// trace is the one other new file: lines of this run's process, each ending
// in CR LF, and never one of the files that were there.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "app/main_flow.h"
#include "app/settings.h"
#include "console/console_state.h"
#include "console/window_stack.h"
#include "fs/paths.h"
#include "fuzz_support.h"
#include "platform/memory/console-memory.h"
#include "platform/memory/files-memory.h"
#include "platform/memory/services-memory.h"
#include "support/console_screen.h"

namespace {

const std::string kTail = "</PRE></BODY>\r\n\r\n</HTML>\r\n";

enum Failure : unsigned char {
  kDiskFull = 1,
  kRefuseSession = 2,
  kRefuseDriveC = 4,
  kStackReadOnly = 8,
  kProgramsFail = 16,
  kNamesCollide = 32,
  kTraceOn = 64,
};

// The random bits of a run whose names collide with another run's.
constexpr uint64_t kCollidingBits = 0x5EED5EED5EED5EEDu;

// Documents of another run, by the attempt whose name they take: the run
// passes over an ordinary one by itself and finds the others taken only
// when it creates its file.
const unsigned kOtherRunAttributes[] = {
    platform::kArchive,
    platform::kArchive | platform::kReadOnly,
    platform::kArchive | platform::kHidden,
    platform::kHidden | platform::kReadOnly,
    platform::kArchive | platform::kSystem,
};
constexpr uint32_t kOtherRunKinds = sizeof kOtherRunAttributes / sizeof kOtherRunAttributes[0];

const char kPartLetters[] = "SIDOPWTEMCKL";
constexpr size_t kPartCount = sizeof kPartLetters - 1;

// The number of a part letter, or kPartCount for none.
size_t PartIndex(char c) {
  for (size_t i = 0; i < kPartCount; ++i)
    if (kPartLetters[i] == c) return i;
  return kPartCount;
}

struct Input {
  std::string parts[kPartCount];
  bool present[kPartCount] = {};
  bool Has(char letter) const { return present[PartIndex(letter)]; }
  const std::string& Part(char letter) const { return parts[PartIndex(letter)]; }
  std::string Part(char letter, const std::string& otherwise) const { return Has(letter) ? Part(letter) : otherwise; }
  unsigned char Knob(size_t index, unsigned char otherwise) const {
    const std::string& knobs = Part('K');
    return knobs.size() <= index ? otherwise : static_cast<unsigned char>(knobs[index]);
  }
  void Set(char letter, std::string_view data, size_t start, size_t size) {
    parts[PartIndex(letter)].assign(data.data() + start, size);
    present[PartIndex(letter)] = true;
  }
};

bool IsPartLetter(char c) { return PartIndex(c) != kPartCount; }

// The position of the first marker line at or after `from`, or npos.
size_t FindMarker(std::string_view data, size_t from) {
  for (size_t at = data.find("@@", from); at != std::string_view::npos; at = data.find("@@", at + 1)) {
    if ((at == 0 || data[at - 1] == '\n') && at + 2 < data.size() && IsPartLetter(data[at + 2]) &&
        (at + 3 == data.size() || data[at + 3] == '\n'))
      return at;
  }
  return std::string_view::npos;
}

// Splits the input at its marker lines.
void Split(std::string_view data, Input& input) {
  char letter = 'S';
  size_t start = 0;
  for (;;) {
    const size_t marker = FindMarker(data, start);
    if (marker == std::string_view::npos) {
      input.Set(letter, data, start, data.size() - start);
      return;
    }
    // The line feed before a marker belongs to the marker.
    if (marker > 0) input.Set(letter, data, start, marker > start ? marker - 1 - start : 0);
    letter = data[marker + 2];
    start = marker + 4 > data.size() ? data.size() : marker + 4;
  }
}

std::string EnvironmentValue(const Input& input, char letter, const std::string& otherwise) {
  return input.Part(letter, otherwise);
}

std::string InFolder(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "\\" + name;
}

// The folded path of the last level of a folded path.
FUZZ_UNTRACED std::string LastLevel(const std::string& key) {
  const size_t cut = key.rfind('\\');
  return cut == std::string::npos ? key : key.substr(cut + 1);
}

// The names the print run gives documents: eight characters and ".htm".
// Whole lines of this run, each ending in CR LF and holding no other line end.
FUZZ_UNTRACED bool IsTrace(const std::string& bytes) {
  for (size_t at = 0; at < bytes.size();) {
    const size_t end = bytes.find("\r\n", at);
    if (end == std::string::npos || bytes.compare(at, 7, "[4242] ") != 0) return false;
    if (bytes.find_first_of("\r\n", at) != end) return false;
    at = end + 2;
  }
  return true;
}

FUZZ_UNTRACED bool IsDocumentName(const std::string& key) {
  const std::string name = LastLevel(key);
  return name.size() == 12 && name.compare(8, 4, ".HTM") == 0 && name.find('.') == 8;
}

// A finished document: UTF-8 throughout, CR LF line ends only, no other
// control bytes, and the tail at its end. Documents can run to megabytes,
// so runs of printable ASCII are passed over eight bytes at a time, and
// the reads, all within the string, go unchecked. Written apart from the
// program's own ASCII test, which it checks.
FUZZ_SCANNER bool IsFinishedDocument(const std::string& document) {
  const char* const bytes = document.data();
  const size_t size = document.size();
  if (size < kTail.size() || std::memcmp(bytes + size - kTail.size(), kTail.data(), kTail.size()) != 0) return false;
  constexpr uint64_t kOnes = 0x0101010101010101u, kHighs = 0x8080808080808080u;
  size_t i = 0;
  while (i < size) {
    if (size - i >= 8) {
      uint64_t word;
      std::memcpy(&word, bytes + i, 8);
      const uint64_t belowBlank = (word - 0x20 * kOnes) & ~word & kHighs;  // a byte under 20 hex
      const uint64_t rubout = ((word ^ 0x7F * kOnes) - kOnes) & ~(word ^ 0x7F * kOnes) & kHighs;
      if (((word & kHighs) | belowBlank | rubout) == 0) {
        i += 8;
        continue;
      }
    }
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80) {
      unsigned long codePoint;
      const size_t length = fuzz::Utf8SequenceAt(bytes, size, i, codePoint);
      if (length == 0) return false;
      i += length;
      continue;
    }
    if (c == '\r') {
      if (i + 1 >= size || bytes[i + 1] != '\n') return false;
      i += 2;
      continue;
    }
    if (c < 32 || c == 127) return false;
    ++i;
  }
  return true;
}

FUZZ_UNTRACED int64_t StackTop(const std::string& bytes) {
  uint32_t raw = 0;
  for (int i = 3; i >= 0; --i) raw = (raw << 8) | static_cast<unsigned char>(bytes[static_cast<size_t>(i)]);
  return static_cast<int32_t>(raw);
}

// A file as it was before the run.
struct Was {
  const std::string* bytes;
  unsigned attributes;
};

// Files by their folded paths.
using Files = std::unordered_map<std::string, Was>;

// One run's world, made from the input.
struct World {
  platform::MemoryFileSystem files;
  platform::MemoryServices services;
  const platform::MemoryConsole& screen;  // the host's screen before the run
  platform::MemoryConsole& console;
  std::string sessionFolder, stackKey;
  std::string traceKey;  // the trace file's folded path; empty without a trace
  // The files there before the run: their bytes are the input's parts or
  // the documents of another run, their attributes as they were given.
  Files before;
  std::deque<std::string> otherRuns;                            // the bytes of another run's documents
  std::vector<std::string> otherRunsNames;                      // by the attempt whose name they take
  std::unordered_map<std::string, uint32_t> otherRunsAttempts;  // the attempts by key name

  // A world made without another run's documents serves a check that
  // does not look at them (BoxFitsOnTheStack).
  explicit World(const Input& input, bool withOtherRuns = true)
      : World(input, Screens(input.Knob(0, 25) % 41, input.Knob(1, 80) % 121), withOtherRuns) {}

 private:
  // The host's screen of one size, and the console of the runs on a
  // screen of that size.
  struct ScreenPair {
    platform::MemoryConsole screen, console;
  };

  World(const Input& input, ScreenPair& screens, bool withOtherRuns)
      : screen(screens.screen), console(screens.console) {
    // A console made once for its size and given back its screen: the
    // assignment takes no memory, where a new console would allocate every
    // row, and the runs allocate as much as they free, which spares the
    // fuzzer the search for a leak after each of them.
    console = screen;
    const unsigned char failures = input.Knob(2, 0);
    const std::string orvtmp = EnvironmentValue(input, 'T', "C:\\SESSIO");
    const std::string term = EnvironmentValue(input, 'M', "C:\\TERM");
    services.SetEnvironment("ORVTMP", orvtmp);
    services.SetEnvironment("TERM", term);
    services.SetEnvironment("COMSPEC", EnvironmentValue(input, 'C', "C:\\WINDOWS\\system32\\cmd.exe"));
    if (input.Has('E')) services.SetEnvironment("ORVEXE", input.Part('E'));
    services.RefuseStarting((failures & kProgramsFail) != 0);
    if (input.Has('L') || (failures & kTraceOn)) {
      const std::string log = input.Has('L') ? input.Part('L') : "C:\\TRACE.LOG";
      services.SetEnvironment("ORVPRINT_LOG", log);
      traceKey = files.FoldedPath(log);
    }

    sessionFolder = orvtmp;
    const char* const sessionFiles[][2] = {
        {"S", "orvprint.tmp"}, {"I", "Sessio.ini"}, {"D", "DornTerm.ini"}, {"O", "OrvPrint.ini"}, {"W", "WinPush.tmp"}};
    for (const auto& file : sessionFiles)
      if (input.Has(file[0][0]))
        AddFile(InFolder(sessionFolder, file[1]), input.Part(file[0][0]),
                file[0][0] == 'W' && (failures & kStackReadOnly) ? platform::kArchive | platform::kReadOnly
                                                                 : platform::kArchive);
    if (input.Has('P')) AddFile(InFolder(term, "ORVPRINT.INI"), input.Part('P'), platform::kArchive);
    stackKey = files.FoldedPath(InFolder(sessionFolder, "WinPush.tmp"));
    if (failures & kNamesCollide) {
      services.SetRandomBits(kCollidingBits);
      const unsigned char taken = input.Knob(4, 8);
      if (withOtherRuns) {
        // The folders that hold them most often are there, whatever the settings.
        files.AddDirectory(sessionFolder.empty() ? "." : sessionFolder);
        files.AddDirectory("C:\\CORREU");
        AddOtherRunsDocuments(taken < 224 ? taken % 16 : 100 + taken % 16);
      }
    }

    if (failures & kRefuseSession) files.RefuseCreatingIn(sessionFolder.empty() ? "." : sessionFolder);
    if (failures & kRefuseDriveC) files.RefuseCreatingIn("C:\\");
    if (failures & kDiskFull) files.SetCapacity(files.UsedBytes() + size_t{input.Knob(3, 0)} * 64);
  }

  // A later file of the same folded path replaces an earlier one.
  FUZZ_UNTRACED void AddFile(const std::string& path, const std::string& bytes, unsigned attributes) {
    if (files.AddFile(path, bytes, attributes)) AddedFile(files.FoldedPath(path), bytes, attributes);
  }
  FUZZ_UNTRACED void AddedFile(const std::string& key, const std::string& bytes, unsigned attributes) {
    before[key] = Was{&bytes, attributes};
  }

  // Another run's documents at the first `count` names this run picks, in
  // every folder there is (the run's own and those Send lines route to),
  // made as the program makes them. Each appears when the run first looks
  // for it, as the file of a run that made it a moment before would: only
  // the names tried cost anything. The names are digits, capitals and
  // ".htm", so their keys are the names in capitals.
  FUZZ_UNTRACED void AddOtherRunsDocuments(uint32_t count) {
    if (count == 0) return;
    const platform::LocalTime now = services.Now();
    for (uint32_t attempt = 0; attempt < count; ++attempt) {
      otherRunsNames.push_back(
          BuildUniqueFileName("", "", "htm", UniqueNameSeed(now, services.ProcessNumber(), kCollidingBits, attempt)));
      std::string keyName = otherRunsNames.back();
      for (char& c : keyName) c = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
      otherRunsAttempts.emplace(keyName, attempt);
    }
    files.SetLateFiles([this](const std::string& key, platform::MemoryFileSystem::LateFile& late) {
      return OtherRunsDocument(key, late);
    });
  }

  FUZZ_UNTRACED bool OtherRunsDocument(const std::string& key, platform::MemoryFileSystem::LateFile& late) {
    auto attempt = otherRunsAttempts.find(key.substr(key.rfind('\\') + 1));
    if (attempt == otherRunsAttempts.end()) return false;
    late.name = otherRunsNames[attempt->second];
    otherRuns.push_back("another run's document " + key + "\r\n" + kTail);
    late.bytes = otherRuns.back();
    late.attributes = kOtherRunAttributes[attempt->second % kOtherRunKinds];
    AddedFile(key, otherRuns.back(), late.attributes);
    return true;
  }

  // A screen of that size with every cell told apart, the cursor at
  // row 7, column 3, and its console; made once per size.
  static ScreenPair& Screens(int rows, int columns) {
    static std::map<std::pair<int, int>, ScreenPair> made;
    auto it = made.find({rows, columns});
    if (it == made.end()) {
      platform::MemoryConsole screen(rows, columns);
      testing_support::FillScreen(screen);
      screen.SetCursor(7, 3);
      screen.SetAttribute(0x1E);
      it = made.emplace(std::make_pair(rows, columns), ScreenPair{screen, screen}).first;
    }
    return it->second;
  }
};

// True when the progress box's record can go onto the window stack file:
// the same world made again, with the box pushed there on its own.
bool BoxFitsOnTheStack(const Input& input) {
  World world(input, /*withOtherRuns=*/false);
  platform::ScopedFileSystem files(world.files);
  platform::ScopedServices services(world.services);
  SessionSettings settings;
  LoadSessionSettings(settings);
  ConsoleState state = MakeConsoleState(world.console, settings.sessionDir, settings.screenColours);
  PushWindow(state, 23, 34, 25, 48);
  return !state.pushedWindows.empty();
}

FUZZ_UNTRACED void CheckStackFile(const World& world) {
  auto was = world.before.find(world.stackKey);
  if (world.stackKey.empty() || was == world.before.end()) return;  // checked with the other new files
  const std::string& host = *was->second.bytes;
  const int64_t top = host.size() < 4 ? 5 : StackTop(host);
  const std::string* now = world.files.FileAt(world.stackKey);
  if (!now) {
    FUZZ_CHECK(top < 6);  // only a stack without records goes
    return;
  }
  // The header and every record below the stack top stay as they were.
  size_t kept = host.size() < 4 ? 0 : 4;
  if (top > 4) kept = static_cast<size_t>(top - 1 < static_cast<int64_t>(host.size()) ? top - 1 : host.size());
  if (host.size() >= 4 && kept < 4) kept = 4;
  FUZZ_CHECK((*now).size() >= kept && (*now).compare(0, kept, host, 0, kept) == 0);
}

FUZZ_UNTRACED std::string MailCommand(const std::string& programDir) {
  std::string program = programDir;
  if (!program.empty() && program.back() != '\\' && program.back() != ':') program += '\\';
  program += "ORVEML";
  return program.find(' ') == std::string::npos ? program : '"' + program + '"';
}

FUZZ_UNTRACED void CheckCommandLines(const Input& input, World& world) {
  const std::vector<std::string>& lines = world.services.CommandLines();
  const std::string viewer = world.services.Environment("COMSPEC") + " /C USTART ";
  std::vector<std::string> handedOff;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.compare(0, viewer.size(), viewer) == 0 &&
        !(i + 1 == lines.size() && line == MailCommand(input.Part('E')))) {
      std::string path = line.substr(viewer.size());
      if (path.size() >= 2 && path.front() == '"' && path.back() == '"') path = path.substr(1, path.size() - 2);
      FUZZ_CHECK(path.find_first_of("\"%") == std::string::npos);
      for (char c : path) FUZZ_CHECK(static_cast<unsigned char>(c) >= 32);
      // A new document, finished; or, when it could not be made, no file
      // at all: a document that failed is still handed off.
      const std::string key = world.files.FoldedPath(path);
      if (key.empty()) continue;  // a path no file can have: the document was never made
      FUZZ_CHECK(world.before.count(key) == 0 && IsDocumentName(key));
      // Being new, it was checked as a finished document with the other new files.
      for (const std::string& earlier : handedOff) FUZZ_CHECK(earlier != key);
      handedOff.push_back(key);
    } else {
      // The mail program, once, after everything else.
      FUZZ_CHECK(i + 1 == lines.size());
      FUZZ_CHECK(line == MailCommand(input.Part('E')));
    }
  }
}

FUZZ_UNTRACED void CheckFiles(World& world, bool diskFull) {
  // One pass over the files. Those that were there keep their bytes and
  // attributes, but for the host's stack file; new ones are documents
  // only, each finished unless the disk filled up, and the trace.
  size_t kept = 0;
  world.files.ForEachFile([&](const std::string& key, const std::string& bytes, unsigned attributes) {
    auto was = world.before.find(key);
    if (was != world.before.end()) {
      ++kept;
      if (key != world.stackKey) FUZZ_CHECK(bytes == *was->second.bytes && attributes == was->second.attributes);
      return;
    }
    if (!world.traceKey.empty() && key == world.traceKey) {
      FUZZ_CHECK(IsTrace(bytes));
      return;
    }
    FUZZ_CHECK(IsDocumentName(key));
    if (!diskFull) FUZZ_CHECK(IsFinishedDocument(bytes));
  });
  // None of them went but the stack file, which may.
  const bool stackGone = world.before.count(world.stackKey) != 0 && !world.files.FileAt(world.stackKey);
  FUZZ_CHECK(kept + (stackGone ? 1 : 0) == world.before.size());
  CheckStackFile(world);
}

// Each run allocates a hundred blocks or more, and recording the stack of
// every one is much of a run's time: five frames name the place. A finding
// is run again with ASAN_OPTIONS=malloc_context_size=30 for whole stacks.
// Freed blocks wait in a quarantine of 16 MB, many runs' worth, before
// they are used again: a use after a free within a run is still caught,
// where the default 256 MB had every run fault in fresh pages.
extern "C" const char* __asan_default_options() { return "malloc_context_size=5:quarantine_size_mb=16"; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input;
  Split(std::string_view(reinterpret_cast<const char*>(data), size), input);
  World world(input);
  int rowBefore, columnBefore;
  world.console.GetCursor(rowBefore, columnBefore);
  {
    platform::ScopedFileSystem files(world.files);
    platform::ScopedServices services(world.services);
    // The document buffer is too large for the sanitizer's allocator to
    // keep: a fresh one would be mapped, faulted in and unmapped by every
    // run, most of a run's time.
    static DocumentBuffer documentBuffer;
    RunMainFlow(world.console, documentBuffer);
  }
  FUZZ_CHECK(world.files.OpenFileCount() == 0);
  const bool diskFull = (input.Knob(2, 0) & kDiskFull) != 0;
  CheckFiles(world, diskFull);
  CheckCommandLines(input, world);

  // The screen cell for cell, and the cursor; the colour stays the last
  // cell's. A box whose record could not be stored is let off for now.
  int row, column;
  world.console.GetCursor(row, column);
  if (!world.console.SameCells(world.screen) || row != rowBefore || column != columnBefore)
    FUZZ_CHECK(!BoxFitsOnTheStack(input));
  return 0;
}
