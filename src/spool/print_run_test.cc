// SPDX-License-Identifier: MIT
// The print run over whole spool files on an in-memory console: which lines
// reach the document writers, which are skipped unread, when the progress
// box is redrawn, and which documents are written and handed to the viewer.
#include "spool/print_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console/console_state.h"
#include "fs/paths.h"
#include "html/document.h"
#include "platform/memory/console-memory.h"
#include "platform/memory/files-memory.h"
#include "platform/memory/services-memory.h"
#include "support/console_screen.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::FillScreen;
using testing_support::ReadFileBytes;
using testing_support::ScopedEnvironment;
using testing_support::Snap;
using testing_support::Snapshot;
using testing_support::TempFolder;

namespace {

const std::string kBodyStart = "<BODY><PRE>\r\n";
const std::string kTail = "</PRE></BODY>\r\n\r\n</HTML>\r\n";
const std::string kBlock = "<DIV CLASS='salt'>&nbsp;</DIV>\r\n";
const int16_t kNoColours[5][2] = {};

// The stand-in interpreter's path as the program's paths are written.
std::string HelperPath() {
  std::string path = ORVPRINT_TEST_HELPER_PATH;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

// What a document holds after its head.
std::string Body(const std::string& bytes) {
  size_t start = bytes.find(kBodyStart);
  return start == std::string::npos ? "<no head>" : bytes.substr(start + kBodyStart.size());
}

// The cells and the cursor; the colour after the box is that of the last
// cell given back, not the one before it.
Snapshot ScreenAndCursor(Snapshot snapshot) {
  snapshot.attribute = 0;
  return snapshot;
}
Snapshot ScreenAndCursor(platform::MemoryConsole& screen) { return ScreenAndCursor(Snap(screen)); }

// One print run on a file system in memory, the documents written in the
// session folder too; the viewer command is recorded on the disk instead
// of run.
struct PrintRun {
  TempFolder folder{"printrun"};  // the viewer's record
  platform::MemoryFileSystem files;
  platform::ScopedFileSystem useFiles{files};
  const std::string session = "C:\\Sessio";
  platform::MemoryConsole screen{25, 80};
  PrintRunInputs inputs;
  PrintRunState state;
  DocumentState& doc = state.doc;
  ConsoleState console;
  ScopedEnvironment environment;

  PrintRun() {
    files.AddDirectory(session);
    inputs.sessionDir = session + "\\";
    inputs.outputDir = inputs.sessionDir;
    environment.Set("COMSPEC", HelperPath());
    environment.Set("ORVTEST_RECORD", folder.NativePath("viewer.log"));
  }

  void Process(const std::string& spool) {
    ASSERT_TRUE(files.AddFile(Path("orvprint.tmp"), spool));
    console = MakeConsoleState(screen, inputs.sessionDir, kNoColours);
    ProcessSpoolFile(inputs, state, console);
  }

  // A file in the session folder.
  std::string Path(const std::string& name) const { return session + "\\" + name; }

  // The documents directly in a folder, by name.
  std::vector<std::string> Documents(const std::string& directory) const {
    std::vector<std::string> names = files.List(directory);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const std::string& n) { return n.size() < 4 || n.substr(n.size() - 4) != ".htm"; }),
                names.end());
    return names;
  }

  // The body of the only document in the session folder.
  std::string OnlyBody() const {
    std::vector<std::string> names = Documents(session);
    if (names.size() != 1) return "<" + std::to_string(names.size()) + " documents>";
    return Body(files.FileBytes(Path(names[0])));
  }

  // The viewer's record is on the disk, outside the file system in memory.
  std::string ViewerLog() const {
    platform::ScopedFileSystem onDisk(platform::SystemFileSystem());
    return ReadFileBytes(folder.NativePath("viewer.log"));
  }
};

TEST(ProcessSpoolFileTest, WorkedExampleMakesOneDocumentAndHandsItToTheViewer) {
  PrintRun run;
  FillScreen(run.screen);
  const Snapshot before = Snap(run.screen);
  run.Process("DEVICE\r\nPAGE\r\n1,Hello,1\r\n");

  std::vector<std::string> names = run.Documents(run.session);
  ASSERT_EQ(names.size(), 1u);
  ASSERT_EQ(names[0].size(), 12u);
  for (size_t i = 0; i < 8; ++i) {
    const char c = names[0][i];
    EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z')) << names[0];
  }
  EXPECT_EQ(names[0].substr(8), ".htm");
  EXPECT_EQ(run.OnlyBody(), "Hello\r\n" + kTail);
  EXPECT_EQ(run.doc.htmlPath, run.inputs.sessionDir + names[0]);
  EXPECT_EQ(run.doc.pageCount, 1);
  EXPECT_EQ(run.doc.pageLineCount, 1);
  EXPECT_EQ(run.console.progress.text, "    1 /   1");
  EXPECT_EQ(run.ViewerLog(), "<orvtest_helper>\n[/C]\n[USTART]\n[" + run.doc.htmlPath + "]\n--\n");

  // The box is gone: every cell, colour and the cursor as they were, and
  // the window stack file went with its only record.
  EXPECT_TRUE(ScreenAndCursor(run.screen) == ScreenAndCursor(before));
  EXPECT_FALSE(run.files.FileExists(run.Path("WinPush.tmp")));
  EXPECT_EQ(run.console.windowDepth, 0);
  EXPECT_EQ(run.files.OpenFileCount(), 0);
}

struct DispatchCase {
  const char* name;
  int sendByMail, alsoPrint;
  std::string spool;
  std::string body;  // the document after its head
  int pageCount;
};

TEST(ProcessSpoolFileTest, EachKindOfLineReachesItsWriter) {
  const std::string skippedSection = "DEVICE\r\n5,a,1\r\nSEND ann\r\n30,b,1\r\nPAGE\r\nSEND\r\nc\r\n";
  const std::string unskipped =
      "    a\r\n" + std::string(29, ' ') + "b\r\n" + kBlock + std::string(29, ' ') + "c" + kTail;
  const DispatchCase cases[] = {
      // Skipped lines are not even classified: the text line without a
      // comma after the section takes the column of the line before it.
      {"skipped section", 1, 0, skippedSection, "    a\r\n    c" + kTail, 0},
      {"printing as well skips nothing", 1, 1, skippedSection, unskipped, 1},
      {"without mail nothing is skipped", 0, 0, skippedSection, unskipped, 1},
      {"a Send line without a recipient keeps printing on", 1, 0, "DEVICE\r\nSEND\r\n1,x,1\r\n", "x\r\n" + kTail, 0},
      {"a recipient after blanks and in lower case still switches printing off", 1, 0,
       "DEVICE\r\n1,x,1\r\n  send bo\r\n1,y,1\r\nSEND ,\r\n1,z,1\r\n", "x\r\nz\r\n" + kTail, 0},
      {"an alignment line of another mode keeps the pending fill", 0, 0,
       "DEVICE\r\nJUS N 20 \\.\\\r\nJUS R\r\nJUS n 9 \\-\\\r\nJUS\r\n1,abcde,1\r\n",
       "abcde" + std::string(15, '.') + "\r\n" + kTail, 0},
      {"a second fill replaces the first", 0, 0, "DEVICE\r\nJUS N 20 \\.\\\r\nJUS N 8 \\-\\\r\n1,abc,1\r\n",
       "abc-----\r\n" + kTail, 0},
      {"a fill applies to one text only", 0, 0, "DEVICE\r\nJUS N 6 \\.\\\r\n1,ab,0\r\n1,cd,1\r\n",
       "ab....cd\r\n" + kTail, 0},
      {"a second Device line changes nothing", 0, 0, "DEVICE\r\n1,a,0\r\nDEVICE\r\n5,b,1\r\n", "a   b\r\n" + kTail, 0},
      {"lines before the Device line go nowhere", 0, 0, "1,lost,1\r\nPAGE\r\n*B\r\nDEVICE\r\n1,kept,1\r\n",
       "kept\r\n" + kTail, 0},
      {"blank lines write nothing, an empty text a line end", 0, 0, "DEVICE\r\n     \r\n\r\n1,,1\r\n", "\r\n" + kTail,
       0},
      {"a page after a page still counts", 0, 0, "DEVICE\r\nPAGE\r\nPAGE\r\n", kTail, 2},
      {"a last page without a page line is written", 0, 0, "DEVICE\r\n1,a,1\r\nPAGE\r\n1,b,1\r\n",
       "a\r\n" + kBlock + "b\r\n" + kTail, 1},
      {"nothing after a Ctrl-Z", 0, 0, "DEVICE\r\n1,a,1\r\n\x1a\r\n1,b,1\r\n", "a\r\n" + kTail, 0},
      // A page line with nothing printed after it adds no page-break block.
      {"the page line closing the last page", 0, 0, "DEVICE\r\n1,a,1\r\nPAGE\r\n", "a\r\n" + kTail, 1},
      {"attributes after the last page line", 0, 0, "DEVICE\r\n1,a,1\r\nPAGE\r\n*BN\r\n",
       "a\r\n<B><SPAN CLASS='pica'>" + kTail, 1},
      {"spaces after the last page line keep its block", 0, 0, "DEVICE\r\n1,a,1\r\nPAGE\r\n3,,0\r\n",
       "a\r\n" + kBlock + "  " + kTail, 1},
      {"an empty line keeps the block before it", 0, 0, "DEVICE\r\n1,a,1\r\nPAGE\r\n1,,1\r\nPAGE\r\n",
       "a\r\n" + kBlock + "\r\n" + kTail, 2},
  };
  for (const DispatchCase& c : cases) {
    PrintRun run;
    run.inputs.sendByMail = static_cast<int16_t>(c.sendByMail);
    run.inputs.alsoPrint = static_cast<int16_t>(c.alsoPrint);
    run.Process(c.spool);
    EXPECT_EQ(run.OnlyBody(), c.body) << c.name;
    EXPECT_EQ(run.doc.pageCount, c.pageCount) << c.name;
  }
}

TEST(ProcessSpoolFileTest, AnAlignmentLineOfAnotherModeLeavesTheFillAsItWas) {
  PrintRun run;
  run.Process("DEVICE\r\nJUS N 40 \\-=\\\r\nJUS R 10 \\x\\\r\nJUS n 12 \\y\\\r\n");
  EXPECT_EQ(run.doc.fillColumn, 40);
  EXPECT_EQ(run.doc.fillText, "-=");
}

struct ProgressCase {
  const char* name;
  int sendByMail;
  std::string after;  // lines after a Send line that begins a fresh document
  std::string shown;  // the counters the box showed last
  int pageCount;
  int64_t clockStep;  // milliseconds the console's clock moves with each reading
  int counterDraws;   // how often the counters were written, the last time while closing included
};

std::string Lines(int count, const std::string& line) {
  std::string lines;
  for (int i = 0; i < count; ++i) lines += line;
  return lines;
}

TEST(ProcessSpoolFileTest, TheBoxIsNotRedrawnForSendLinesAndSkippedLines) {
  // The Send line begins a fresh document, so the counters drop to 0 without
  // the box being told; only a line processed after it shows that. The
  // counters are drawn at most once a frame (50 ms), and the last ones
  // before the box goes.
  const ProgressCase cases[] = {
      {"a Send line last", 0, "", "    1 /   1", 0, 0, 2},
      {"another Send line", 0, "SEND\r\n", "    1 /   1", 0, 0, 2},
      {"a blank line", 0, "\r\n", "    0 /   0", 0, 0, 1},
      {"a Device line that does nothing", 0, "DEVICE\r\n", "    0 /   0", 0, 0, 1},
      {"a text line", 0, "1,b,1\r\n", "    0 /   1", 0, 0, 2},
      {"skipped lines", 1, "1,b,1\r\nPAGE\r\n\r\nDEVICE\r\n", "    1 /   1", 0, 0, 2},
      {"skipped lines, then a Send line that prints again", 1, "PAGE\r\nSEND\r\n", "    1 /   1", 0, 0, 2},
      {"lines within one frame: the first counters and the last", 0, Lines(100, "1,b,1\r\n"), "    0 / 100", 0, 0, 2},
      {"a frame between readings: every change", 0, Lines(100, "1,b,1\r\n"), "    0 / 100", 0, 50, 103},
      {"20 ms between readings: every third change", 0, Lines(100, "1,b,1\r\n"), "    0 / 100", 0, 20, 35},
      {"a frame between readings: unchanged counters are not drawn again", 0, Lines(100, "\r\n"), "    0 /   0", 0, 50,
       4},
  };
  for (const ProgressCase& c : cases) {
    PrintRun run;
    run.inputs.showDocument = false;
    run.inputs.sendByMail = static_cast<int16_t>(c.sendByMail);
    FillScreen(run.screen);
    run.screen.SetCursor(3, 4);
    const Snapshot before = Snap(run.screen);
    const int writesBefore = run.screen.WriteCount();
    run.screen.SetClockStep(c.clockStep);
    const ByteString routed = run.Path("routed") + "\\";
    run.Process("DEVICE\r\nPAGE\r\n1,a,1\r\nSEND ann," + routed + "\r\n" + c.after);
    EXPECT_EQ(run.console.progress.text, c.shown) << c.name;
    EXPECT_EQ(run.doc.pageCount, c.pageCount) << c.name;
    EXPECT_EQ(run.Documents(run.Path("routed")).size(), 1u) << c.name;
    EXPECT_EQ(run.ViewerLog(), "") << c.name;
    // Four writes draw the frame and the title, 45 give the cells back.
    EXPECT_EQ(run.screen.WriteCount() - writesBefore - 4 - 45, c.counterDraws) << c.name;
    EXPECT_TRUE(ScreenAndCursor(run.screen) == ScreenAndCursor(before)) << c.name;
  }
}

// An entry at a name the run will pick: the attempt whose name it takes.
struct Taken {
  uint32_t attempt;
  unsigned attributes;  // kDirectory for a folder
};

struct CollisionCase {
  const char* name;
  bool routed;  // the document is a routed section's, in C:\Correu
  std::vector<Taken> taken;
  bool refuse;          // the document's folder refuses new files
  int documentAttempt;  // the attempt whose name the document has; -1 for none made
  uint32_t attempts;    // names tried in the run
};

TEST(ProcessSpoolFileTest, DocumentsOfOtherRunsAreNeverTouched) {
  // The clock stands still and the random source gives the same bits, as
  // for runs started together on machines of one process id: the names the
  // run picks are known. Entries stand at the first of them, documents of
  // another run; the document must come out under a fresh name, or not at
  // all, and every entry keep its bytes and attributes.
  using platform::kArchive;
  using platform::kDirectory;
  using platform::kHidden;
  using platform::kReadOnly;
  using platform::kSystem;
  std::vector<Taken> allTries;
  for (uint32_t a = 0; a < kDocumentNameTries; ++a) allTries.push_back({a, a % 2 ? kArchive | kHidden : kReadOnly});
  // And the names after them too, the ordinary ones the naming passes over.
  std::vector<Taken> moreThanAllTries = allTries;
  for (uint32_t a = kDocumentNameTries; a < kDocumentNameTries + 30; ++a)
    moreThanAllTries.push_back({a, a % 3 ? kArchive | kReadOnly : kArchive});
  const CollisionCase cases[] = {
      {"no entry: the first name", false, {}, false, 0, 1},
      // An ordinary file the naming passes over itself; read-only and
      // hidden ones, and folders, it takes for free, and the creation finds
      // them taken.
      {"the first names taken",
       false,
       {{0, kArchive},
        {1, kArchive | kReadOnly},
        {2, kArchive | kHidden},
        {3, kDirectory},
        {4, kHidden | kSystem | kReadOnly}},
       false,
       5,
       6},
      {"a routed section's first names taken",
       true,
       {{1, kArchive | kReadOnly}, {2, kArchive}, {3, kArchive | kHidden}, {4, kDirectory | kHidden}},
       false,
       5,
       6},
      {"every try taken: no document, and the last name names no file", false, allTries, false, -1,
       kDocumentNameTries + 1},
      {"every try and the names after them taken", false, moreThanAllTries, false, -1, kDocumentNameTries + 31},
      // A folder that refuses files is not tried under another name...
      {"a refusing folder is tried once", false, {}, true, -1, 1},
      {"a routed section's refusing folder is tried once", true, {}, true, -1, 2},
      // ... but a taken name in it is worth one more.
      {"a taken name in a refusing folder", false, {{0, kArchive | kHidden}}, true, -1, 2},
  };
  const platform::LocalTime now{2026, 5, 6, 7, 8, 9, 10};
  const uint64_t random = 0x5EED5EED5EED5EEDull;
  for (const CollisionCase& c : cases) {
    PrintRun run;
    platform::MemoryServices services;
    platform::ScopedServices useServices(services);
    services.SetNow(now);
    services.SetRandomBits(random);
    services.SetEnvironment("COMSPEC", "C:\\cmd.exe");
    const std::string folder = c.routed ? "C:\\Correu" : run.session;
    ASSERT_TRUE(run.files.AddDirectory(folder));
    auto nameAt = [&](uint32_t attempt) {
      return BuildUniqueFileName(folder, "", "htm", UniqueNameSeed(now, services.ProcessNumber(), random, attempt));
    };
    std::vector<std::string> before;
    for (const Taken& t : c.taken) {
      const std::string path = nameAt(t.attempt);
      ASSERT_TRUE(t.attributes & kDirectory ? run.files.AddDirectory(path)
                                            : run.files.AddFile(path, "another run's " + path))
          << c.name;
      ASSERT_TRUE(run.files.SetAttributes(path, t.attributes)) << c.name;
      before.push_back(path);
    }
    if (c.refuse) run.files.RefuseCreatingIn(folder);
    run.inputs.showDocument = !c.routed;
    run.Process(c.routed ? "SEND ann,C:\\Correu\\\r\n1,Hello,1\r\nPAGE\r\n" : "DEVICE\r\n1,Hello,1\r\nPAGE\r\n");

    for (const Taken& t : c.taken) {
      const std::string path = nameAt(t.attempt);
      unsigned attributes = 0;
      EXPECT_TRUE(platform::FindEntryAttributes(path, &attributes)) << c.name << ": " << path;
      EXPECT_EQ(attributes, t.attributes) << c.name << ": " << path;
      EXPECT_EQ(run.files.FileBytes(path), t.attributes & kDirectory ? "" : "another run's " + path) << c.name;
    }
    std::vector<std::string> documents = run.Documents(folder);
    EXPECT_EQ(documents.size(), c.taken.size() + (c.documentAttempt >= 0)) << c.name;
    EXPECT_EQ(run.state.naming.attempts, c.attempts) << c.name;
    EXPECT_EQ(services.RandomReads(), 1) << c.name;
    EXPECT_EQ(run.files.OpenFileCount(), 0) << c.name;
    if (c.documentAttempt >= 0) {
      EXPECT_EQ(run.doc.htmlPath, nameAt(static_cast<uint32_t>(c.documentAttempt))) << c.name;
      EXPECT_EQ(Body(run.files.FileBytes(run.doc.htmlPath)), "Hello\r\n" + kTail) << c.name;
    } else {
      // As in a folder that refuses files: the writes went nowhere, and the
      // path names no file, nor another run's.
      EXPECT_FALSE(run.files.FileExists(run.doc.htmlPath)) << c.name;
      EXPECT_FALSE(run.files.DirectoryExists(run.doc.htmlPath)) << c.name;
    }
    // The viewer is handed the document's own path, made or not.
    const std::vector<std::string> expected =
        c.routed ? std::vector<std::string>{} : std::vector<std::string>{"C:\\cmd.exe /C USTART " + run.doc.htmlPath};
    EXPECT_EQ(services.CommandLines(), expected) << c.name;
  }
}

TEST(ProcessSpoolFileTest, AMissingSpoolFileDrawsAndRemovesTheBoxOnly) {
  PrintRun run;
  FillScreen(run.screen);
  const Snapshot before = Snap(run.screen);
  run.console = MakeConsoleState(run.screen, run.inputs.sessionDir, kNoColours);
  ProcessSpoolFile(run.inputs, run.state, run.console);
  EXPECT_TRUE(ScreenAndCursor(run.screen) == ScreenAndCursor(before));
  EXPECT_GT(run.screen.WriteCount(), 0);
  EXPECT_TRUE(run.Documents(run.session).empty());
  EXPECT_FALSE(run.files.FileExists(run.Path("WinPush.tmp")));
  EXPECT_EQ(run.ViewerLog(), "");
  EXPECT_TRUE(run.console.progress.text.empty());  // no line, so no counters
}

TEST(ProcessSpoolFileTest, PagesWithoutADocumentAreNotHandedOff) {
  PrintRun run;
  run.Process("1,a,1\r\nPAGE\r\n");
  EXPECT_EQ(run.doc.pageCount, 1);
  EXPECT_TRUE(run.Documents(run.session).empty());
  EXPECT_EQ(run.ViewerLog(), "");
}

TEST(ProcessSpoolFileTest, HostileSpoolFilesNeverFail) {
  // Spool files pieced together from the bytes and words that steer the
  // reader and the writers, with and without mail sections.
  const char* const pieces[] = {"DEVICE", "PAGE", "SEND",  "  send x", ",",    "\\", "*",  "B",  "u",
                                "JUS N ", "JUS",  "99999", "-1",       "1e9",  "&H", "--", "==", "http://",
                                "\r",     "\n",   "\r\n",  "\t",       "\xff", " ",  "1",  "40"};
  const size_t count = sizeof pieces / sizeof pieces[0];
  uint32_t seed = 12345;
  auto next = [&seed](uint32_t limit) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % limit;
  };
  for (int round = 0; round < 40; ++round) {
    std::string spool;
    for (int i = 0; i < 300; ++i) spool += pieces[next(count)];
    if (round % 2 == 0) spool += std::string("\0\x80\xcd\xc4", 4) + spool;
    if (round % 4 == 1) spool += "\x1a\r\nDEVICE\r\nPAGE\r\n";
    PrintRun run;
    run.inputs.sendByMail = static_cast<int16_t>(round % 3 == 0);
    run.inputs.alsoPrint = static_cast<int16_t>(round % 5 == 0);
    run.Process(spool);
    EXPECT_LE(run.Documents(run.session).size(), 1u) << round;
    EXPECT_EQ(run.console.windowDepth, 0) << round;
    EXPECT_FALSE(run.files.FileExists(run.Path("WinPush.tmp"))) << round;
    EXPECT_EQ(run.files.OpenFileCount(), 0) << round;
  }
}

}  // namespace
