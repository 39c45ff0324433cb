// Page-break blocks, the document tail and the hand-off to the viewer
// command, with a stand-in command interpreter that records its arguments.
#include "html/pages.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "html/attributes.h"
#include "html/document_test_util.h"
#include "html/head.h"
#include "testing/environment.h"
#include "text/body_writer.h"

namespace {

const std::string kBlock = "<DIV CLASS='salt'>&nbsp;</DIV>\r\n";
const std::string kTail = "</PRE></BODY>\r\n\r\n</HTML>\r\n";

// One step of a page test: a page directive, or a text with its line ends.
struct Step {
  bool page;
  std::string text;
  int newlines;
};
const Step kPage = {true, "", 0};

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
      {"the column starts again at the page",
       {{false, "abc", 0}, kPage, {false, "def", 1}},
       "abcdef\r\n",
       1},
      {"the block follows a line left open",
       {{false, "line", 1}, {false, "abc", 0}, kPage},
       "line\r\nabc" + kBlock,
       1},
      {"an empty printed line counts", {{false, "", 1}, kPage, kPage}, "\r\n" + kBlock, 2},
  };
  for (const PageCase& c : cases) {
    BodyDocument body;
    for (const Step& s : c.steps) {
      if (s.page) {
        BeginPage(body.doc);
        EXPECT_EQ(body.doc.pageLineCount, 0) << c.name;
        EXPECT_EQ(body.doc.outColumn, 0) << c.name;
      } else {
        std::string text = s.text;
        WriteBodyText(body.doc, 1, text, s.newlines);
      }
    }
    EXPECT_EQ(body.Close(), c.written) << c.name;
    EXPECT_EQ(body.doc.pageCount, c.pageCount) << c.name;
  }
}

TEST(BeginPageTest, PageCountStopsAt32767) {
  DocumentState doc;
  doc.pageCount = 32766;
  BeginPage(doc);
  BeginPage(doc);
  EXPECT_EQ(doc.pageCount, 32767);
}

TEST(EndDocumentTest, WritesTheTailAfterWhateverStandsOnTheLastLine) {
  BodyDocument body;
  std::string text = "x";
  WriteBodyText(body.doc, 1, text, 1);
  SetPrintAttributes(body.doc, "B");
  EndDocument(body.doc, /*showDocument=*/false, "");
  EXPECT_FALSE(body.doc.documentOpen);
  EXPECT_EQ(body.Close(), "x\r\n<B>" + kTail);
}

TEST(EndDocumentTest, AFullDocumentIsHeadBodyAndTail) {
  TempFolder folder("whole");
  DocumentState doc;
  doc.htmlPath = folder.Path("report.htm");
  BeginDocument(doc, "", "", "");
  BeginPage(doc);
  std::string text = "Hello";
  WriteBodyText(doc, 1, text, 1);
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
  for (int i = 0; i < 1000; ++i) {
    std::string text = line;
    WriteBodyText(body.doc, 1, text, 1);
  }
  // While the document is open the file holds whole blocks, never less
  // than one block behind.
  std::error_code ec;
  uintmax_t onDisk = std::filesystem::file_size(body.folder.NativePath("body.htm"), ec);
  EXPECT_GE(onDisk, 101000u - kDocumentFlushSize);
  EXPECT_LT(body.doc.pendingOutput.size(), kDocumentFlushSize);
  std::string expected;
  for (int i = 0; i < 1000; ++i) expected += line + "\r\n";
  EXPECT_EQ(body.Close(), expected);
}

TEST(EndDocumentTest, AClosedDocumentNeverWritesThroughAReusedFileNumber) {
  TempFolder folder("reuse");
  DocumentState doc;
  doc.htmlPath = folder.Path("report.htm");
  OpenDocumentFile(doc);
  EndDocument(doc, /*showDocument=*/false, "");
  platform::FileNumber other = platform::CreateOrEmptyForWriting(folder.Path("other.txt"));
  ASSERT_EQ(other, doc.htmlFile);  // the number is free again and taken by the next file
  std::string text = "late text";
  WriteBodyText(doc, 1, text, 1);
  SetPrintAttributes(doc, "B");
  BeginPage(doc);
  EndDocument(doc, /*showDocument=*/false, "");
  platform::CloseFile(other);
  EXPECT_EQ(ReadFileBytes(folder.NativePath("other.txt")), "");
  EXPECT_EQ(ReadFileBytes(folder.NativePath("report.htm")), kTail);
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
    testing_support::ScopedEnvironment environment;
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
  testing_support::ScopedEnvironment environment;
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
