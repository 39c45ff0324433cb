// SPDX-License-Identifier: MIT
// Page-break blocks, the document tail and the hand-off to the viewer
// command, with a stand-in command interpreter that records its arguments.
#include "html/pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/head.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;

namespace {

TEST(BeginPageTest, PageCountStopsAt32767) {
  DocumentState doc;
  doc.pageCount = 32766;
  BeginPage(doc);
  BeginPage(doc);
  EXPECT_EQ(doc.pageCount, 32767);
}

struct CommandCase {
  const char* interpreter;
  const char* path;
  const char* line;
};

TEST(HandOffCommandLineTest, QuotesOnlyPathsTheInterpreterWouldSplitOrActOn) {
  const std::string longPath = "C:\\" + std::string(300, 'd') + "\\REPORT.htm";
  const CommandCase cases[] = {
      {"C:\\WINDOWS\\system32\\cmd.exe", "C:\\TMP\\REPORT.htm", "C:\\WINDOWS\\system32\\cmd.exe /C USTART C:\\TMP\\REPORT.htm"},
      {"cmd.exe", "C:\\My Documents\\R.htm", "cmd.exe /C USTART \"C:\\My Documents\\R.htm\""},
      {"cmd.exe", "C:\\A&B\\R.htm", "cmd.exe /C USTART \"C:\\A&B\\R.htm\""},
      {"cmd.exe", "C:\\A|B.htm", "cmd.exe /C USTART \"C:\\A|B.htm\""},
      {"cmd.exe", "C:\\A<B.htm", "cmd.exe /C USTART \"C:\\A<B.htm\""},
      {"cmd.exe", "C:\\A>B.htm", "cmd.exe /C USTART \"C:\\A>B.htm\""},
      {"cmd.exe", "C:\\A^B.htm", "cmd.exe /C USTART \"C:\\A^B.htm\""},
      {"cmd.exe", "C:\\R (2).htm", "cmd.exe /C USTART \"C:\\R (2).htm\""},
      {"cmd.exe", "C:\\R(2).htm", "cmd.exe /C USTART \"C:\\R(2).htm\""},
      {"cmd.exe", "C:\\R)2.htm", "cmd.exe /C USTART \"C:\\R)2.htm\""},
      {"cmd.exe", "C:\\50%;x,y=z.htm", "cmd.exe /C USTART C:\\50%;x,y=z.htm"},
      {"cmd.exe", "C:\\caf\x82.htm", "cmd.exe /C USTART C:\\caf\x82.htm"},
      {"", "C:\\TMP\\REPORT.htm", " /C USTART C:\\TMP\\REPORT.htm"},
      {"cmd.exe", "", "cmd.exe /C USTART "},
  };
  for (const CommandCase& c : cases) EXPECT_EQ(HandOffCommandLine(c.interpreter, c.path), c.line) << c.path;
  EXPECT_EQ(HandOffCommandLine("cmd.exe", longPath), "cmd.exe /C USTART " + longPath);  // never cut
}

TEST(HandOffCommandLineTest, RefusesPathsThatCannotNameAFile) {
  EXPECT_TRUE(CanHandOffPath("C:\\TMP\\REPORT.htm"));
  EXPECT_TRUE(CanHandOffPath("C:\\My Documents\\a&b (1).htm"));
  EXPECT_TRUE(CanHandOffPath("C:\\caf\x82\xFF.htm"));
  EXPECT_FALSE(CanHandOffPath("C:\\a\"&calc&\"b.htm"));
  EXPECT_FALSE(CanHandOffPath("C:\\a\r\nb.htm"));
  EXPECT_FALSE(CanHandOffPath("C:\\a\tb.htm"));
  EXPECT_FALSE(CanHandOffPath(std::string("C:\\a\0b.htm", 10)));
  EXPECT_FALSE(CanHandOffPath("C:\\se ss%COMSPEC% %PATH% 100%\\REPORT.htm"));
  EXPECT_FALSE(CanHandOffPath("C:\\100%\\REPORT.htm"));
}

// The stand-in interpreter's path as the program's paths are written.
std::string HelperPath() {
  std::string path = ORVPRINT_TEST_HELPER_PATH;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

struct HandOffCase {
  const char* name;
  const char* file;      // document file name in the test folder; a "\\" puts it in a missing folder
  bool begin;            // BeginDocument was called in the run
  bool showDocument;
  int pages;
  bool handedOff;
};

TEST(EndDocumentTest, HandsOffThroughTheCommandInterpreterAndWaits) {
  const HandOffCase cases[] = {
      {"a shown document with a page", "REPORT.htm", true, true, 1, true},
      {"showDocument off", "REPORT.htm", true, false, 1, false},
      {"no page", "REPORT.htm", true, true, 0, false},
      {"no document begun in the run", "REPORT.htm", false, true, 1, false},
      {"a document that could not be created", "missing\\REPORT.htm", true, true, 2, true},
      {"a path with a blank stays one word", "MY REPORT.htm", true, true, 1, true},
      {"a path with an ampersand stays one word", "A&B (1).htm", true, true, 1, true},
      {"a path with a double quote is not handed off", "A\"B.htm", true, true, 1, false},
  };
  for (const HandOffCase& c : cases) {
    TempFolder folder("handoff");
    const std::string record = folder.NativePath("record.txt");
    ScopedEnvironment environment;
    environment.Set("COMSPEC", HelperPath());
    environment.Set("ORVTEST_RECORD", record);

    DocumentState doc;
    doc.htmlPath = folder.Path(c.file);
    if (c.begin) BeginDocument(doc, "", "", "");
    for (int i = 0; i < c.pages; ++i) BeginPage(doc);
    EndDocument(doc, c.showDocument, platform::GetEnvironment("COMSPEC"));

    // EndDocument returns only after the command has ended, so its record is complete.
    std::string expected = c.handedOff ? "<orvtest_helper>\n[/C]\n[USTART]\n[" + doc.htmlPath + "]\n--\n" : "";
    EXPECT_EQ(ReadFileBytes(record), expected) << c.name;
  }
}

TEST(EndDocumentTest, AMissingCommandInterpreterIsNotAnError) {
  TempFolder folder("nointerpreter");
  ScopedEnvironment environment;
  environment.Unset("COMSPEC");
  DocumentState doc;
  doc.htmlPath = folder.Path("REPORT.htm");
  BeginDocument(doc, "", "", "");
  BeginPage(doc);
  EndDocument(doc, /*showDocument=*/true, platform::GetEnvironment("COMSPEC"));
  EXPECT_FALSE(doc.documentOpen);
  EXPECT_TRUE(FileExists(folder.NativePath("REPORT.htm")));
}

}  // namespace
