// SPDX-License-Identifier: MIT
// The document head byte for byte, the number text of the style sheets and
// the date and time of the description tag.
#include "html/head.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

#include "html/pages.h"
#include "platform/memory/files-memory.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::FileExists;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

const char kDescriptionMark[] = "@DESCRIPTION@";
const char kKeywordsMark[] = "@KEYWORDS@";

// The head as it must be written, one entry per line; the author, keywords
// and title are filled in by ExpectedHead.
const std::vector<std::string> kHeadLines = {
    "<HTML>",
    "",
    "<HEAD>",
    "  <META HTTP-EQUIV='content-type' CONTENT='text/html; charset=UTF-8'>",
    "  <META NAME='resource-type' CONTENT='document'>",
    "  <META NAME='author' CONTENT='@AUTHOR@'>",
    "  <META NAME='description' CONTENT='@DESCRIPTION@ GMT'>",
    "@KEYWORDS@",
    "  <STYLE TYPE='text/css'>",
    "    BODY, TABLE {",
    "      font-family:           helvetica;",
    "      font-size:             10pt;",
    "      margin-top:            0in;",
    "      margin-bottom:         0in;",
    "      margin-right:          0in;",
    "      text-indent:           0in;",
    "      text-align:            left;",
    "    }",
    "    PRE {",
    "      font-family:           'lucida console',monospace;",
    "      font-size:             10pt;",
    "      white-space:           pre;",
    "    }",
    "  </STYLE>",
    "  <STYLE TYPE='text/css' MEDIA='screen'>",
    "    BODY, TABLE {",
    "      color:                 #000000;",
    "      background:            #ffffff;",
    "      margin-left:           0in;",
    "    }",
    "    PRE {",
    "      line-height:           normal;",
    "    }",
    "    .pica {",
    "      font-size:             12pt;",
    "    }",
    "    .elit {",
    "      font-size:             10pt;",
    "    }",
    "    .comp {",
    "      font-size:             7.2pt;",
    "    }",
    "    .salt {",
    "      background:            #e0e0e0;",
    "    }",
    "  </STYLE>",
    "  <STYLE TYPE='text/css' MEDIA='print'>",
    "    @page {",
    "      size:                    8.5in 11in;",
    "      margin:                0.2in 0in;",
    "    }",
    "    BODY, TABLE {",
    "      color:                 #000000;",
    "      background:            #ffffff;",
    "      margin-left:           .5in;",
    "    }",
    "    PRE {",
    "      line-height:           11.2pt;",
    "    }",
    "    .pica {",
    "      font-size:              10.6875pt;",
    "    }",
    "    .elit {",
    "      font-size:              8.90625pt;",
    "    }",
    "    .comp {",
    "      font-size:              6.28676470588235pt;",
    "    }",
    "    .salt {",
    "      page-break-after:      always;",
    "      visibility:            hidden;",
    "      height:                0in;",
    "      overflow:              hidden;",
    "    }",
    "  </STYLE>",
    "  <TITLE>@TITLE@</TITLE>",
    "</HEAD>",
    "",
    "<BODY><PRE>",
};

void ReplaceOnce(std::string& text, const std::string& mark, const std::string& value) {
  size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), value);
}

std::string ExpectedHead(const std::string& author, const std::string& keywords, const std::string& title) {
  std::string head;
  for (std::string line : kHeadLines) {
    if (line == kKeywordsMark) {
      if (keywords.empty()) continue;
      line = "  <META NAME='keywords' CONTENT='" + keywords + "'>";
    }
    ReplaceOnce(line, "@AUTHOR@", author);
    ReplaceOnce(line, "@TITLE@", title);
    head += line + "\r\n";
  }
  return head;
}

// The written head with the date and time of the description tag replaced
// by the mark, after checking their form: " dddd/dd/dd dd:dd:dd".
std::string MaskDescription(std::string head) {
  const std::string before = "  <META NAME='description' CONTENT='";
  size_t at = head.find(before);
  if (at == std::string::npos) return head;
  at += before.size();
  const std::string pattern = " 9999/99/99 99:99:99 GMT'>";
  std::string found = head.substr(at, pattern.size());
  bool matches = found.size() == pattern.size();
  for (size_t i = 0; matches && i < pattern.size(); ++i)
    matches = pattern[i] == '9' ? (found[i] >= '0' && found[i] <= '9') : found[i] == pattern[i];
  EXPECT_TRUE(matches) << "description: " << found;
  if (matches) head.replace(at, 20, kDescriptionMark);
  return head;
}

size_t CountLines(const std::string& text) {
  size_t n = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2)) ++n;
  return n;
}

struct HeadCase {
  const char* name;
  std::string operatorName;  // as stored: code page bytes
  std::string metaKeywords;
  std::string menuTitle;
  std::string author;  // as written: UTF-8
  std::string keywords;
  std::string title;
  size_t lines;
};

TEST(BeginDocumentTest, WritesTheWholeHeadByteForByte) {
  const std::vector<HeadCase> cases = {
      {"no keywords", "Anna", "", " Sales ", "Anna", "", " Sales ", 78},
      {"keywords", "Anna", "stock,2026", " Sales ", "Anna", "stock,2026", " Sales ", 79},
      {"keywords of blanks only are written", "", "   ", "  ", "", "   ", "  ", 79},
      {"empty author", "", "", "", "", "", "", 78},
      {"non-ASCII values become UTF-8", "Jos\x82 Mu\xA4oz", "caf\x82,\xD5", " R\x82sum\x82 \xCD ",
       "Jos\xC3\xA9 Mu\xC3\xB1oz", "caf\xC3\xA9,\xE2\x82\xAC", " R\xC3\xA9sum\xC3\xA9 \xE2\x95\x90 ", 79},
      {"nothing is escaped", "O'Brien <&>", "a<b & 'c'", " x&y <z> ", "O'Brien <&>", "a<b & 'c'", " x&y <z> ", 79},
      {"control bytes show as blanks", std::string("a\tb\r\nc\0d", 8), "k\x01\x7f\xFF", " t\x1b[2J\n ", "a b  c d",
       "k  \xC2\xA0", " t [2J  ", 79},
  };
  for (const HeadCase& c : cases) {
    TempFolder folder("head");
    DocumentState doc;
    doc.htmlPath = folder.Path("report.htm");
    EXPECT_EQ(BeginDocument(doc, c.operatorName, c.menuTitle, c.metaKeywords), DocumentCreation::kCreated) << c.name;
    doc.output.Close();
    std::string head = ReadFileBytes(folder.NativePath("report.htm"));
    EXPECT_EQ(CountLines(head), c.lines) << c.name;
    EXPECT_EQ(MaskDescription(head), ExpectedHead(c.author, c.keywords, c.title)) << c.name;
  }
}

TEST(BeginDocumentTest, DescriptionCarriesTheLocalClock) {
  TempFolder folder("clock");
  DocumentState doc;
  for (int attempt = 0; attempt < 3; ++attempt) {
    const std::string name = "report" + std::to_string(attempt) + ".htm";  // a document never reuses a name
    doc.htmlPath = folder.Path(name);
    ByteString before = DateTimeText(platform::GetLocalTime());
    BeginDocument(doc, "", "", "");
    ByteString after = DateTimeText(platform::GetLocalTime());
    doc.output.Close();
    if (before != after) continue;  // the second changed meanwhile
    std::string head = ReadFileBytes(folder.NativePath(name));
    EXPECT_NE(head.find("  <META NAME='description' CONTENT='" + before + " GMT'>\r\n"), std::string::npos);
    return;
  }
}

TEST(BeginDocumentTest, ResetsTheDocumentButKeepsTheToggles) {
  TempFolder folder("reset");
  DocumentState doc;
  doc.htmlPath = folder.Path("old.htm");
  doc.currentPitch = 17;
  doc.pageCount = 3;
  doc.pageLineCount = 40;
  doc.outColumn = 12;
  doc.boldOn = true;
  doc.italicOn = true;
  doc.fillText = ".";
  doc.fillColumn = 30;
  BeginDocument(doc, "", "", "");
  EXPECT_EQ(doc.currentPitch, 10);
  EXPECT_EQ(doc.pageCount, 0);
  EXPECT_EQ(doc.pageLineCount, 0);
  EXPECT_EQ(doc.outColumn, 0);
  EXPECT_TRUE(doc.boldOn);
  EXPECT_FALSE(doc.underlineOn);
  EXPECT_TRUE(doc.italicOn);
  EXPECT_EQ(doc.fillText, ".");  // the print run's, consumed by the next text
  EXPECT_TRUE(doc.documentBegunInRun);
  EXPECT_NE(doc.output.File(), 0);

  // A second document while the first is still open: the first keeps what
  // was written to it, the second starts with its own head.
  std::string first = ReadFileBytes(folder.NativePath("old.htm"));
  doc.htmlPath = folder.Path("new.htm");
  BeginDocument(doc, "", "", "");
  EndDocument(doc, /*showDocument=*/true, platform::GetEnvironment("COMSPEC"));
  std::string old = ReadFileBytes(folder.NativePath("old.htm"));
  EXPECT_EQ(MaskDescription(old), ExpectedHead("", "", ""));
  EXPECT_EQ(MaskDescription(ReadFileBytes(folder.NativePath("new.htm"))),
            ExpectedHead("", "", "") + "</PRE></BODY>\r\n\r\n</HTML>\r\n");
  EXPECT_TRUE(first.empty());  // still in memory until then
}

struct TakenCase {
  const char* name;
  const char* entry;  // what stands at the document's name
  unsigned attributes;
  bool folder;
};

TEST(BeginDocumentTest, AnEntryOfTheNameIsNeverTouched) {
  // Another run's document, or a file of the user's, under the name: the
  // document is not made, the entry keeps its bytes and attributes, and the
  // answer asks for another name.
  const TakenCase cases[] = {
      {"an ordinary file", "C:\\Out\\REPORT.HTM", platform::kArchive, false},
      {"the name in another letter case", "C:\\Out\\report.htm", platform::kArchive, false},
      {"a read-only file", "C:\\Out\\REPORT.HTM", platform::kArchive | platform::kReadOnly, false},
      {"a hidden file", "C:\\Out\\REPORT.HTM", platform::kArchive | platform::kHidden, false},
      {"a hidden system file", "C:\\Out\\REPORT.HTM", platform::kHidden | platform::kSystem, false},
      {"a file of no type bits", "C:\\Out\\REPORT.HTM", 0, false},
      {"a folder", "C:\\Out\\Report.htm", platform::kDirectory, true},
      {"a hidden read-only folder", "C:\\Out\\REPORT.HTM",
       platform::kDirectory | platform::kHidden | platform::kReadOnly, true},
  };
  const std::string bytes(100000, 'x');
  for (const TakenCase& c : cases) {
    platform::MemoryFileSystem files;
    platform::ScopedFileSystem useFiles(files);
    ASSERT_TRUE(c.folder ? files.AddDirectory(c.entry) : files.AddFile(c.entry, bytes)) << c.name;
    ASSERT_TRUE(files.SetAttributes(c.entry, c.attributes)) << c.name;
    DocumentState doc;
    doc.htmlPath = "C:\\Out\\REPORT.HTM";
    EXPECT_EQ(BeginDocument(doc, "", "", ""), DocumentCreation::kNameTaken) << c.name;
    EXPECT_EQ(doc.output.File(), 0) << c.name;
    EXPECT_FALSE(doc.output.IsOpen()) << c.name;
    EXPECT_EQ(doc.output.Buffered(), 0u) << c.name;
    EndDocument(doc, /*showDocument=*/false, "");
    unsigned attributes = 0;
    EXPECT_TRUE(platform::FindEntryAttributes(c.entry, &attributes)) << c.name;
    EXPECT_EQ(attributes, c.folder ? c.attributes | platform::kDirectory : c.attributes) << c.name;
    EXPECT_EQ(files.List("C:\\Out"), std::vector<std::string>{c.entry + 7}) << c.name;
    EXPECT_EQ(files.FileBytes(c.entry), c.folder ? "" : bytes) << c.name;
    EXPECT_EQ(files.OpenFileCount(), 0) << c.name;
  }
}

TEST(BeginDocumentTest, AnExistingFileOnTheDiskKeepsItsBytes) {
  TempFolder folder("existing");
  {
    std::ofstream out(folder.NativePath("report.htm"), std::ios::binary);
    out << std::string(100000, 'x');
  }
  DocumentState doc;
  doc.htmlPath = folder.Path("report.htm");
  EXPECT_EQ(BeginDocument(doc, "", "", ""), DocumentCreation::kNameTaken);
  EndDocument(doc, /*showDocument=*/false, "");
  EXPECT_EQ(ReadFileBytes(folder.NativePath("report.htm")), std::string(100000, 'x'));
}

TEST(BeginDocumentTest, AFileThatCannotBeCreatedTakesNoWrites) {
  TempFolder folder("missing");
  DocumentState doc;
  doc.htmlPath = folder.Path("no such folder\\report.htm");
  EXPECT_EQ(BeginDocument(doc, "", "", ""), DocumentCreation::kRefused);
  EXPECT_EQ(doc.output.File(), 0);
  EXPECT_TRUE(doc.documentBegunInRun);
  EXPECT_EQ(doc.output.Buffered(), 0u);
  EndDocument(doc, /*showDocument=*/false, "");
  EXPECT_FALSE(FileExists(folder.NativePath("no such folder")));
}

struct NumberCase {
  double value;
  const char* text;
};

TEST(NumberTextTest, WritesAtMostFifteenDigitsWithASignPlace) {
  const NumberCase cases[] = {
      {10, " 10"},
      {0.5, " .5"},
      {10.6875, " 10.6875"},
      {8.90625, " 8.90625"},
      {114 * 7.5 / 136, " 6.28676470588235"},
      {0, " 0"},
      {-0.0, " 0"},
      {1, " 1"},
      {100, " 100"},
      {-10, "-10"},
      {-0.5, "-.5"},
      {0.1, " .1"},
      {0.001234, " .001234"},
      {1e-5, " .00001"},
      {1.0 / 3, " .333333333333333"},
      {2.0 / 3, " .666666666666667"},
      {1.000000000000005, " 1"},                  // 16th digit 5, 15th even: stays; later digits not looked at
      {1.000000000000015, " 1.00000000000002"},   // 16th digit 5, 15th odd: raised
      {1.0000000000000149, " 1.00000000000001"},  // 16th digit 4
      {999999999999999.9, " 1000000000000000"},   // the carry runs through every digit
      {123456789012345678.0, " 123456789012346000"},
      {1e20, " 100000000000000000000"},
      {std::numeric_limits<double>::quiet_NaN(), " 0"},
      {std::numeric_limits<double>::infinity(), " 0"},
      {-std::numeric_limits<double>::infinity(), " 0"},
  };
  for (const NumberCase& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

TEST(NumberTextTest, ExtremeMagnitudesStayPositional) {
  std::string tiny = NumberText(std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(tiny.substr(0, 3), " .0");
  EXPECT_EQ(tiny.substr(tiny.size() - 15), "494065645841246");  // 16th digit 5, 15th even
  EXPECT_EQ(tiny.size(), 2u + 323u + 15u);
  std::string huge = NumberText(std::numeric_limits<double>::max());
  EXPECT_EQ(huge.substr(0, 16), " 179769313486232");
  EXPECT_EQ(huge.size(), 1u + 309u);
}

struct DateTimeCase {
  platform::LocalTime time;
  const char* text;
};

TEST(DateTimeTextTest, PadsEveryField) {
  const DateTimeCase cases[] = {
      {{2026, 12, 8, 6, 28, 55, 0}, " 2026/12/08 06:28:55"},
      {{1999, 1, 1, 0, 0, 0, 999}, " 1999/01/01 00:00:00"},
      {{2026, 10, 31, 23, 59, 59, 0}, " 2026/10/31 23:59:59"},
      {{987, 2, 3, 4, 5, 6, 0}, " 0987/02/03 04:05:06"},
  };
  for (const DateTimeCase& c : cases) EXPECT_EQ(DateTimeText(c.time), c.text);
}

}  // namespace
