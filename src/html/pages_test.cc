// SPDX-License-Identifier: MIT
// Page-break blocks, the document tail and the hand-off to the viewer
// command, with a stand-in command interpreter that records its arguments.
// Printed text is written as the body writer writes it, through a stand-in.
#include "html/pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "html/attributes.h"
#include "html/head.h"
#include "platform/platform.h"
#include "support/body_document.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::BodyDocument;
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
      {"C:\\WINDOWS\\system32\\cmd.exe", "C:\\TMP\\REPORT.htm",
       "C:\\WINDOWS\\system32\\cmd.exe /C USTART C:\\TMP\\REPORT.htm"},
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
  const char* file;  // document file name in the test folder; a "\\" puts it in a missing folder
  bool begin;        // BeginDocument was called in the run
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
  EXPECT_FALSE(doc.output.IsOpen());
  EXPECT_TRUE(FileExists(folder.NativePath("REPORT.htm")));
}

// Page breaks and the tail among printed text and attribute tags: they
// stand where the printed text left the output line.

const std::string kBlock = "<DIV CLASS='salt'>&nbsp;</DIV>\r\n";
const std::string kTail = "</PRE></BODY>\r\n\r\n</HTML>\r\n";

// One step of a page test: a page directive, a text with its line ends
// (at `column`), or an attribute directive (`codes` set).
struct Step {
  bool page;
  std::string text;
  int newlines;
  int column = 1;
  const char* codes = nullptr;
};
const Step kPage = {true, "", 0};
Step Codes(const char* codes) { return {false, "", 0, 1, codes}; }
Step TextAt(int column, const char* text, int newlines) { return {false, text, newlines, column}; }

// Printed text as the body writer leaves it, as far as the page writer
// looks: spaces to the column and the bytes are printed output, which
// puts a held block in its place; line ends count on the page.
void Print(DocumentState& doc, int column, const std::string& text, int newlines) {
  if (column > doc.outColumn + 1) {
    doc.output.Write(std::string(static_cast<size_t>(column - doc.outColumn - 1), ' '));
    doc.outColumn = static_cast<int16_t>(column - 1);
  }
  doc.output.Write(text);
  if (newlines == 0) {
    doc.outColumn = static_cast<int16_t>(doc.outColumn + static_cast<int>(text.size()));
    return;
  }
  for (int i = 0; i < newlines; ++i) doc.output.Write("\r\n");
  doc.pageLineCount = static_cast<int16_t>(doc.pageLineCount + newlines);
  doc.outColumn = 0;
}

void RunSteps(DocumentState& doc, const std::vector<Step>& steps) {
  for (const Step& s : steps) {
    if (s.page) {
      BeginPage(doc);
    } else if (s.codes != nullptr) {
      SetPrintAttributes(doc, s.codes);
    } else {
      Print(doc, s.column, s.text, s.newlines);
    }
  }
}

struct PageCase {
  const char* name;
  std::vector<Step> steps;
  std::string written;
  int pageCount;
};

TEST(BeginPageTest, WritesABlockOnlyAfterAPageWithLineEnds) {
  const std::vector<PageCase> cases = {
      {"first page: no block", {kPage}, "", 1},
      {"two pages with nothing between", {kPage, kPage}, "", 2},
      {"a page with a line end", {kPage, {false, "a", 1}, kPage, {false, "b", 1}}, "a\r\n" + kBlock + "b\r\n", 2},
      {"a page without line ends gets no block and the text goes on",
       {kPage, {false, "abc", 0}, kPage, {false, "def", 1}},
       "abcdef\r\n",
       2},
      {"the column starts again at the page", {{false, "abc", 0}, kPage, {false, "def", 1}}, "abcdef\r\n", 1},
      {"the block follows a line left open",
       {{false, "line", 1}, {false, "abc", 0}, kPage, {false, "d", 1}},
       "line\r\nabc" + kBlock + "d\r\n",
       1},
      {"an empty printed line counts", {{false, "", 1}, kPage, kPage, {false, "b", 1}}, "\r\n" + kBlock + "b\r\n", 2},
      {"tags after a page stay behind the block",
       {{false, "a", 1}, kPage, Codes("B"), {false, "b", 0}},
       "a\r\n" + kBlock + "<B>b",
       1},
  };
  for (const PageCase& c : cases) {
    BodyDocument body;
    for (const Step& s : c.steps) {
      RunSteps(body.doc, {s});
      if (s.page) {
        EXPECT_EQ(body.doc.pageLineCount, 0) << c.name;
        EXPECT_EQ(body.doc.outColumn, 0) << c.name;
      }
    }
    EXPECT_EQ(body.Close(), c.written) << c.name;
    EXPECT_EQ(body.doc.pageCount, c.pageCount) << c.name;
  }
}

TEST(EndDocumentTest, WritesTheTailAfterWhateverStandsOnTheLastLine) {
  BodyDocument body;
  Print(body.doc, 1, "x", 1);
  SetPrintAttributes(body.doc, "B");
  EndDocument(body.doc, /*showDocument=*/false, "");
  EXPECT_FALSE(body.doc.output.IsOpen());
  EXPECT_EQ(body.Close(), "x\r\n<B>" + kTail);
}

struct EndCase {
  const char* name;
  std::vector<Step> steps;
  std::string body;  // everything before the tail
  int pageLineCount;
};

TEST(EndDocumentTest, LeavesOutABlockThatNoPrintedTextFollows) {
  const Step a = TextAt(1, "a", 1);
  const std::vector<EndCase> cases = {
      {"the last page line", {a, kPage}, "a\r\n", 0},
      {"tags after the block stay, in order", {a, kPage, Codes("BN")}, "a\r\n<B><SPAN CLASS='pica'>", 0},
      {"tags of several directives",
       {a, kPage, Codes("E"), Codes("B"), Codes("N")},
       "a\r\n</SPAN><SPAN CLASS='elit'><B></SPAN><SPAN CLASS='pica'>",
       0},
      {"spaces to a column are printed", {a, kPage, TextAt(3, "", 0)}, "a\r\n" + kBlock + "  ", 0},
      {"an empty line is printed; the second block is left out",
       {a, kPage, TextAt(1, "", 1), kPage},
       "a\r\n" + kBlock + "\r\n",
       0},
      {"an empty text at the column prints nothing", {a, kPage, TextAt(1, "", 0)}, "a\r\n", 0},
      {"no line ends print nothing", {a, kPage, TextAt(1, "", -2)}, "a\r\n", -2},
      {"a block after a line left open", {a, TextAt(1, "b", 0), kPage, Codes("B")}, "a\r\nb<B>", 0},
      {"a block before printed text stays",
       {a, kPage, Codes("B"), TextAt(1, "c", 1)},
       "a\r\n" + kBlock + "<B>c\r\n",
       1},
      {"blocks between pages stay", {a, kPage, a, kPage, a, kPage}, "a\r\n" + kBlock + "a\r\n" + kBlock + "a\r\n", 0},
      {"no page at all", {a, Codes("B")}, "a\r\n<B>", 1},
  };
  for (const EndCase& c : cases) {
    BodyDocument body;
    RunSteps(body.doc, c.steps);
    EndDocument(body.doc, /*showDocument=*/false, "");
    EXPECT_EQ(body.Close(), c.body + kTail) << c.name;
    EXPECT_EQ(body.doc.pageLineCount, c.pageLineCount) << c.name;
  }
}

TEST(EndDocumentTest, MemoryStaysBoundedWhateverFollowsTheBlock) {
  // Far more tags after the block than the output buffer holds: they reach
  // the file as usual, and the block is still left out, or put back in its
  // place when printed text comes after all. A file that cannot be read
  // back (moved away while open) gets the block after the tags instead.
  for (int shape : {0, 1, 2}) {
    const bool printedAtEnd = shape > 0;
    BodyDocument body;
    RunSteps(body.doc, {TextAt(1, "a", 1), kPage});
    std::string tags;
    for (size_t i = 0; i < kDocumentFlushSize; ++i) {  // 3.5 bytes a tag
      tags += body.doc.boldOn ? "</B>" : "<B>";
      SetPrintAttributes(body.doc, "b");
      ASSERT_LT(body.doc.output.Buffered(), kDocumentFlushSize);
    }
    ASSERT_GT(tags.size(), 3 * kDocumentFlushSize);
    std::string expected = "a\r\n" + tags;
    if (shape == 2) {
      std::error_code error;
      std::filesystem::rename(body.folder.NativePath("body.htm"), body.folder.NativePath("moved.htm"), error);
      if (error) continue;  // an open file stays where it is on some systems
      body.doc.htmlPath = body.folder.Path("moved.htm");
    }
    if (printedAtEnd) {
      RunSteps(body.doc, {TextAt(2, "z", 1)});
      expected = shape == 2 ? "a\r\n" + tags + kBlock + " z\r\n" : "a\r\n" + kBlock + tags + " z\r\n";
      EXPECT_LT(body.doc.output.Buffered(), kDocumentFlushSize);
    }
    EndDocument(body.doc, /*showDocument=*/false, "");
    EXPECT_EQ(body.Close(), expected + kTail) << shape;
  }
}

TEST(EndDocumentTest, AFullDocumentIsHeadBodyAndTail) {
  TempFolder folder("whole");
  DocumentState doc;
  doc.htmlPath = folder.Path("report.htm");
  BeginDocument(doc, "", "", "");
  BeginPage(doc);
  Print(doc, 1, "Hello", 1);
  EndDocument(doc, /*showDocument=*/false, "");
  std::string written = ReadFileBytes(folder.NativePath("report.htm"));
  const std::string headEnd = "</HEAD>\r\n\r\n<BODY><PRE>\r\n";
  size_t body = written.find(headEnd);
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(written.substr(body + headEnd.size()), "Hello\r\n" + kTail);
  EXPECT_EQ(doc.pageCount, 1);
}

TEST(EndDocumentTest, LargeDocumentsAreWrittenInBlocksAndWhole) {
  BodyDocument body;
  const std::string line(99, 'a');
  const size_t lines = 3 * kDocumentFlushSize / 100;  // three blocks and a part
  for (size_t i = 0; i < lines; ++i) Print(body.doc, 1, line, 1);
  // While the document is open the file holds whole blocks, never less
  // than one block behind.
  std::error_code ec;
  uintmax_t onDisk = std::filesystem::file_size(body.folder.NativePath("body.htm"), ec);
  EXPECT_GE(onDisk, 101 * lines - kDocumentFlushSize);
  EXPECT_LT(body.doc.output.Buffered(), kDocumentFlushSize);
  std::string expected;
  for (size_t i = 0; i < lines; ++i) expected += line + "\r\n";
  EXPECT_EQ(body.Close(), expected);
}

TEST(EndDocumentTest, AClosedDocumentNeverWritesThroughAReusedFileNumber) {
  TempFolder folder("reuse");
  DocumentState doc;
  doc.htmlPath = folder.Path("report.htm");
  doc.output.Open(doc.htmlPath);
  EndDocument(doc, /*showDocument=*/false, "");
  platform::FileNumber other = platform::CreateOrEmptyForWriting(folder.Path("other.txt"));
  ASSERT_EQ(other, doc.output.File());  // the number is free again and taken by the next file
  Print(doc, 1, "late text", 1);
  SetPrintAttributes(doc, "B");
  BeginPage(doc);
  EndDocument(doc, /*showDocument=*/false, "");
  platform::CloseFile(other);
  EXPECT_EQ(ReadFileBytes(folder.NativePath("other.txt")), "");
  EXPECT_EQ(ReadFileBytes(folder.NativePath("report.htm")), kTail);
}

}  // namespace
