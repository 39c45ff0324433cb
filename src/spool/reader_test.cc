// SPDX-License-Identifier: MIT
// The spool reader: line ends, Ctrl-Z and buffer boundaries on real files,
// and the kinds and fields of lines.
#include "spool/reader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

// A spool file in a folder of its own, removed again at the end of the test.
class SpoolFile {
 public:
  explicit SpoolFile(const std::string& bytes) : path_(folder_.Path("orvprint.tmp")) {
    EXPECT_TRUE(WriteWholeFile(path_, bytes)) << path_;
  }
  const std::string& path() const { return path_; }

 private:
  TempFolder folder_{"spool"};
  std::string path_;
};

std::vector<ByteString> ReadAllLines(const std::string& bytes, size_t longestLine = SIZE_MAX) {
  SpoolFile file(bytes);
  SpoolReader reader;
  reader.longestLine = longestLine;
  OpenSpoolFile(reader, file.path());
  std::vector<ByteString> lines;
  // Each line is classified where it lies, as the print run does: in the
  // sanitizer build a read past a line at the end of the buffer is seen.
  ClassifierState classifier;
  SpoolLine fields;
  while (!SpoolAtEnd(reader)) {
    const ByteView line = ReadSpoolLine(reader);
    ClassifySpoolLine(line, classifier, fields);
    lines.push_back(line);
  }
  EXPECT_EQ(ReadSpoolLine(reader), "");
  EXPECT_TRUE(SpoolAtEnd(reader));
  CloseSpoolFile(reader);
  return lines;
}

using Lines = std::vector<ByteString>;

TEST(ReadSpoolLineTest, SplitsAtCrLfAndLoneCrOnly) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r\n", {"a", "b"}},
      {"a\r\r\nb", {"a", "", "b"}},
      {"\r\n\r\n", {"", ""}},
      {"\r", {""}},
      {"a\nb\nc\n", {"a\nb\nc\n"}},  // LF alone is an ordinary byte
      {"\n\r", {"\n"}},
      {"a\r\n\nb", {"a", "\nb"}},
      {std::string("a\0b\r\n\xff", 6), {std::string("a\0b", 3), "\xff"}},
      {"  SEND x\r\n\tTAB \r\n", {"  SEND x", "\tTAB "}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAllLines(c.bytes), c.lines) << "bytes: " << c.bytes;
}

TEST(ReadSpoolLineTest, CtrlZEndsTheData) {
  const struct {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"\x1a", {}},
      {"\x1a"
       "abc\r\n",
       {}},
      {"ab\x1a"
       "cd\r\nef",
       {"ab"}},
      {"a\r\n\x1a"
       "b",
       {"a"}},
      {"a\r\x1a\r\n", {"a"}},
      {"a\r\nb\x1a", {"a", "b"}},
      {"a\r\n\x1a\x1a\x1a", {"a"}},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadAllLines(c.bytes), c.lines) << "bytes: " << c.bytes;
}

TEST(ReadSpoolLineTest, LineEndsAndCtrlZAcrossBufferBoundaries) {
  // The CR, LF or Ctrl-Z falls at the last byte of one read, the first byte
  // of the next, or one off either side.
  const size_t n = kSpoolBufferSize;
  for (size_t before : {n - 2, n - 1, n, n + 1, 2 * n - 1, 3 * n}) {
    SCOPED_TRACE("bytes before the line end: " + std::to_string(before));
    std::string x(before, 'x');
    EXPECT_EQ(ReadAllLines(x + "\r\nB\r"), (Lines{x, "B"}));
    EXPECT_EQ(ReadAllLines(x + "\rB"), (Lines{x, "B"}));
    EXPECT_EQ(ReadAllLines(x + "\r"), (Lines{x}));
    EXPECT_EQ(ReadAllLines(x + "\r\n"), (Lines{x}));
    EXPECT_EQ(ReadAllLines(x + "\r\n\r\n"), (Lines{x, ""}));
    EXPECT_EQ(ReadAllLines(x + "\x1a"
                               "B"),
              (Lines{x}));
    EXPECT_EQ(ReadAllLines(x + "\r\x1a"
                               "B"),
              (Lines{x}));
    EXPECT_EQ(ReadAllLines(x + "\x1a"
                               "B\r\nC"),
              (Lines{x}));
    EXPECT_EQ(ReadAllLines(x + "\n"), (Lines{x + "\n"}));
    // After a short line the long one is moved to the front of the buffer.
    EXPECT_EQ(ReadAllLines("ab\r\n" + x + "\r\nB\r"), (Lines{"ab", x, "B"}));
    EXPECT_EQ(ReadAllLines("ab\r" + x + "\r\n"), (Lines{"ab", x}));
    EXPECT_EQ(ReadAllLines("ab\r\n" + x +
                           "\x1a"
                           "B"),
              (Lines{"ab", x}));
    EXPECT_EQ(ReadAllLines("ab\r\n" + x), (Lines{"ab", x}));
  }
  // A short line of digits, the column and count of a text line, whose last
  // byte is the last of the file and of a full buffer.
  for (size_t size : {n, 2 * n}) {
    SCOPED_TRACE("file size: " + std::to_string(size));
    std::string x(size - 4, 'x');
    EXPECT_EQ(ReadAllLines(x + "\r\n12"), (Lines{x, "12"}));
    EXPECT_EQ(ReadAllLines(x + "\r7"), (Lines{x, "7"}));
    EXPECT_EQ(ReadAllLines(std::string(size - 2, 'x') + "\r\n"), (Lines{std::string(size - 2, 'x')}));
  }
}

TEST(ReadSpoolLineTest, LinesLongerThanAnyBufferComeWhole) {
  std::string longText(5 * 1024 * 1024 + 3, 'a');
  for (size_t i = 0; i < longText.size(); i += 1000) longText[i] = '\n';
  std::string bytes = "3," + longText + ",2\r\nnext\r\n";
  SpoolFile file(bytes);
  SpoolReader reader;
  OpenSpoolFile(reader, file.path());
  ByteString line = ReadSpoolLine(reader);
  ASSERT_EQ(line.size(), longText.size() + 4);
  // Held once, at its own length, and let go with the next line.
  EXPECT_LE(reader.longLine.capacity(), line.size() + 64);
  ClassifierState classifier;
  SpoolLine text = ClassifySpoolLine(line, classifier);
  EXPECT_EQ(text.kind, SpoolLine::Text);
  EXPECT_EQ(text.column, 3);
  EXPECT_EQ(text.lineEnds, 2);
  EXPECT_TRUE(text.text == longText);
  EXPECT_EQ(ReadSpoolLine(reader), "next");
  EXPECT_LT(reader.longLine.capacity(), 64u);
  EXPECT_TRUE(SpoolAtEnd(reader));
  CloseSpoolFile(reader);
}

TEST(ReadSpoolLineTest, ALineTooLongToHoldReadsEmptyAndTheReadingGoesOn) {
  // As when there is no memory for the line: it is passed over to its end,
  // whatever ends it, and the lines after it are all read.
  const size_t n = kSpoolBufferSize;
  const std::string x(3 * n, 'x'), y(n + 5, 'y');
  const struct {
    std::string bytes;
    size_t longestLine;
    Lines lines;
  } cases[] = {
      {"ab\r\nlong\r\ncd", 3, {"ab", "", "cd"}},
      {"ab\r\nlong\rcd\r\n", 3, {"ab", "", "cd"}},
      {"long", 3, {""}},
      {"abc\r\nabcd\r\n\x1a"
       "tail",
       3,
       {"abc", ""}},
      {"abcd\x1a"
       "tail",
       3,
       {""}},
      {"\r\nabcd\r\n\r\n", 0, {"", "", ""}},
      {"a\r\n" + x + "\r\nb", n, {"a", "", "b"}},
      {"a\r\n" + x + "\rb\r\n", n, {"a", "", "b"}},
      {x + "\r", n, {""}},
      {x, n, {""}},
      {"a\r\n" + x +
           "\x1a"
           "b\r\n",
       n,
       {"a", ""}},
      {x.substr(0, n - 1) + "\r\nb", 5, {"", "b"}},
      {x.substr(0, n) + "\r\nb", 5, {"", "b"}},
      {x.substr(0, n - 1) + "\r\n" + y + "\r\n" + y, n - 1, {x.substr(0, n - 1), "", ""}},
      {y + "\r\n" + y + "z\r\nend", n + 5, {y, "", "end"}},
      {y + "\r\n" + x + "\r\n" + y, n + 5, {y, "", y}},
  };
  for (const auto& c : cases)
    EXPECT_TRUE(ReadAllLines(c.bytes, c.longestLine) == c.lines)
        << "bytes: " << c.bytes.substr(0, 40) << "..., longest line " << c.longestLine;
}

TEST(ReadSpoolLineTest, ManyLinesOverManyBuffersLoseNothing) {
  std::string bytes;
  Lines expected;
  for (int i = 0; i < 40000; ++i) {
    ByteString line = std::to_string(i) + "," + std::string(static_cast<size_t>(i % 37), 'q') + ",1";
    expected.push_back(line);
    bytes += line + (i % 3 == 0 ? "\r" : "\r\n");
  }
  EXPECT_TRUE(ReadAllLines(bytes) == expected);
}

TEST(OpenSpoolFileTest, MissingOrUnreadableFilesReadAsEmpty) {
  TempFolder folder("missing");
  const std::string missing = folder.Path("missing");
  const std::string paths[] = {missing, missing + "\\orvprint.tmp", folder.path(), ""};
  for (const std::string& path : paths) {
    SpoolReader reader;
    OpenSpoolFile(reader, path);
    EXPECT_TRUE(SpoolAtEnd(reader)) << path;
    EXPECT_EQ(ReadSpoolLine(reader), "") << path;
    EXPECT_TRUE(SpoolAtEnd(reader)) << path;
    CloseSpoolFile(reader);
    CloseSpoolFile(reader);
  }
  SpoolReader neverOpened;
  EXPECT_TRUE(SpoolAtEnd(neverOpened));
  EXPECT_EQ(ReadSpoolLine(neverOpened), "");
  platform::CloseAllFiles();
}

TEST(OpenSpoolFileTest, ReopeningStartsAFreshReadingAndClosesTheFirstFile) {
  SpoolFile first("7,a,0\r\nrest\r\n");
  SpoolFile second("second\r\n");
  SpoolReader reader;
  OpenSpoolFile(reader, first.path());
  platform::FileNumber firstFile = reader.file;
  EXPECT_EQ(ReadSpoolLine(reader), "7,a,0");
  OpenSpoolFile(reader, second.path());
  EXPECT_EQ(ReadSpoolLine(reader), "second");
  EXPECT_TRUE(SpoolAtEnd(reader));
  EXPECT_EQ(reader.file, firstFile);  // freed by the first reading, so taken again
  CloseSpoolFile(reader);
  EXPECT_TRUE(SpoolAtEnd(reader));
  // Its number is free again: the next file opened takes it.
  platform::FileNumber probe = platform::OpenExistingForReading(second.path());
  EXPECT_EQ(probe, firstFile);
  platform::CloseFile(probe);
}

// A line taken apart, written out with the fields of its kind only.
std::string Describe(const SpoolLine& l) {
  switch (l.kind) {
    case SpoolLine::Send:
      return "Send [" + l.recipient + "] [" + l.directory + "]";
    case SpoolLine::Device:
      return "Device";
    case SpoolLine::Page:
      return "Page";
    case SpoolLine::Attribute:
      return "Attribute [" + l.codes + "]";
    case SpoolLine::Alignment:
      return "Alignment " + (l.mode ? std::string(1, l.mode) : "none") + " " + std::to_string(l.fillColumn) + " [" +
             l.leaderText + "]";
    case SpoolLine::Text:
      return "Text " + std::to_string(l.column) + " [" + l.text + "] " + std::to_string(l.lineEnds);
    case SpoolLine::Blank:
      return "Blank";
  }
  return "?";
}

struct ClassifyCase {
  const char* line;
  const char* expected;
};

// Each line classified on its own, after a text line at column 9.
template <size_t N>
void ExpectClassified(const ClassifyCase (&cases)[N]) {
  for (const ClassifyCase& c : cases) {
    ClassifierState classifier;
    classifier.lastTextColumn = 9;
    // In a heap block of exactly its size, as no line in the reader's
    // buffer is: the sanitizer build sees a read of the byte after it.
    const size_t size = std::strlen(c.line);
    const std::unique_ptr<char[]> bytes(new char[size]);
    std::memcpy(bytes.get(), c.line, size);
    EXPECT_EQ(Describe(ClassifySpoolLine(ByteView(bytes.get(), size), classifier)), c.expected) << "line: " << c.line;
    EXPECT_EQ(IsSendLine(c.line), StartsWith(c.expected, "Send")) << "line: " << c.line;
  }
}

TEST(ClassifySpoolLineTest, SendLinesInAnyCaseAfterBlanks) {
  const ClassifyCase cases[] = {
      {"SEND ann,C:\\Out,x", "Send [ann] [C:\\Out]"},
      {"send ann,C:\\Out,x", "Send [ann] [C:\\Out]"},
      {"SEND", "Send [] []"},
      {"sEnD  ann  ", "Send [ann] []"},
      {"SEND ann , C:\\My Out\\ ,x,y", "Send [ann] [C:\\My Out\\]"},
      {"SEND ,C:\\Out,", "Send [] [C:\\Out]"},
      {"SEND,,", "Send [] []"},
      {"SENDER x,y,z", "Send [ER x] [y]"},
      // Blanks before the keyword do not move the fields.
      {"  Send ann,C:\\Out,x", "Send [ann] [C:\\Out]"},
      {"   SENDann,D:,", "Send [ann] [D:]"},
      // Without its second comma the directory runs to the end of the line.
      {"SEND ann,C:\\Out\\", "Send [ann] [C:\\Out\\]"},
      {"SEND ann,C:\\Out", "Send [ann] [C:\\Out]"},
      {"SEND ann,", "Send [ann] []"},
      // Not Send lines: a tab is not a blank.
      {"\tSEND", "Text 9 [\tSEND] 0"},
      {"S END", "Text 9 [S END] 0"},
      {"SEN", "Text 9 [SEN] 0"},
  };
  ExpectClassified(cases);
}
TEST(ClassifySpoolLineTest, DirectivesOnlyInUpperCaseInTheFirstColumn) {
  const ClassifyCase cases[] = {
      {"DEVICE", "Device"},
      {"DEVICE LPT1", "Device"},
      {"PAGE", "Page"},
      {"PAGE 3", "Page"},
      {"*", "Attribute []"},
      {"* b  i ", "Attribute [B  I]"},
      {"*\x87\x81x\t", "Attribute [\x80\x9aX\t]"},
      {"JUS N 40 \\.\\", "Alignment N 40 [.]"},
      {"JUS   N 12 \\ - \\ tail\\", "Alignment N 12 [ - ]"},
      {"JUSN 7 \\=\\", "Alignment N 7 [=]"},
      {"JUS N 40 \\.", "Alignment N 40 []"},
      {"JUS N", "Alignment N 0 []"},
      {"JUS N 99999 \\.\\", "Alignment N 32767 [.]"},
      {"JUS R", "Alignment R 0 []"},
      {"JUS n 40 \\.\\", "Alignment n 0 []"},
      {"JUS   ", "Alignment none 0 []"},
      // Anything else is text, however much it looks like a directive.
      {"device LPT1", "Text 9 [device LPT1] 0"},
      {" DEVICE", "Text 9 [ DEVICE] 0"},
      {"page 3", "Text 9 [page 3] 0"},
      {" *B", "Text 9 [ *B] 0"},
      {"jus N 40 \\.\\", "Text 9 [jus N 40 \\.\\] 0"},
  };
  ExpectClassified(cases);
}

TEST(ClassifySpoolLineTest, TextLines) {
  const ClassifyCase cases[] = {
      {"12,Total, net,1", "Text 12 [Total, net] 1"},
      {"1,,1", "Text 1 [] 1"},
      {"5,abc,0", "Text 5 [abc] 0"},
      {"  7 ,  padded  , 2 ", "Text 7 [  padded  ] 2"},
      {",x,1", "Text 0 [x] 1"},
      {"3,a,b,c,", "Text 3 [a,b,c] 0"},
      {"2.5,x,3.5", "Text 2 [x] 4"},
      {"&H10,x,1E1", "Text 16 [x] 10"},
      {"4,\xcd\x1b\x1a,1", "Text 4 [\xcd\x1b\x1a] 1"},
      // Columns of one to four digits are read at once; others as numbers.
      {"1234,x,0", "Text 1234 [x] 0"},
      {"0042,y,12", "Text 42 [y] 12"},
      {"12345,x,0", "Text 12345 [x] 0"},
      {"9:,x,1", "Text 9 [x] 1"},
      {"8/,x,1", "Text 8 [x] 1"},
      // Out-of-range numbers are held at the ends of the 16-bit range.
      {"40000,x,1", "Text 32767 [x] 1"},
      {"-99999,x,1e300", "Text -32768 [x] 32767"},
      {"99999999999999999999999999999999,x,-1", "Text 32767 [x] -1"},
      // Without its last comma the text runs to the end of the line and the
      // count is read from its start; without any comma the previous column
      // is used again.
      {"7,abc", "Text 7 [abc] 0"},
      {"7,3x", "Text 7 [3x] 3"},
      {"7,", "Text 7 [] 0"},
      {"hello", "Text 9 [hello] 0"},
      {"2", "Text 9 [2] 2"},
      {"12", "Text 9 [12] 12"},
      {"1234", "Text 9 [1234] 1234"},
      {"7,1234", "Text 7 [1234] 1234"},
      {"3,a-", "Text 3 [a-] 0"},
      {"\t", "Text 9 [\t] 0"},
      {"", "Blank"},
      {"     ", "Blank"},
  };
  ExpectClassified(cases);
}

TEST(ClassifySpoolLineTest, ColumnCarriesOverFromTheLatestTextLineWithAComma) {
  const struct {
    const char* line;
    int16_t column;
  } steps[] = {
      {"12,a,0", 12}, {"more", 12}, {"DEVICE", 12}, {"SEND x,y,z", 12}, {"*B", 12}, {"JUS N 1 \\.\\", 12},
      {"   ", 12},    {"4,b,1", 4}, {"5", 4},       {",c,1", 0},        {"d", 0},
  };
  ClassifierState classifier;
  EXPECT_EQ(classifier.lastTextColumn, 0);
  for (const auto& s : steps) {
    SpoolLine line = ClassifySpoolLine(s.line, classifier);
    EXPECT_EQ(classifier.lastTextColumn, s.column) << s.line;
    if (line.kind == SpoolLine::Text) {
      EXPECT_EQ(line.column, s.column) << s.line;
    }
  }
}

TEST(ClassifySpoolLineTest, HostileLinesNeverFail) {
  // Every short line over a small alphabet of the bytes that steer the
  // parsing: nothing may crash, and the kinds stay consistent.
  const char alphabet[] = {',', ' ', '\\', '*', 'S', 'E', 'N', 'D', 'J', 'U', '1', '\x1a', '\0'};
  std::vector<ByteString> lines = {""};
  for (int length = 1; length <= 4; ++length) {
    std::vector<ByteString> longer;
    for (const ByteString& l : lines)
      if (l.size() == static_cast<size_t>(length - 1))
        for (char c : alphabet) longer.push_back(l + c);
    lines.insert(lines.end(), longer.begin(), longer.end());
  }
  ClassifierState classifier;
  for (const ByteString& l : lines) {
    SpoolLine got = ClassifySpoolLine(l, classifier);
    EXPECT_EQ(got.kind == SpoolLine::Send, IsSendLine(l));
    EXPECT_EQ(got.kind == SpoolLine::Blank, IsBlankOnly(l));
    if (got.kind == SpoolLine::Text) {
      EXPECT_LE(got.text.size(), l.size());
    }
  }
}

}  // namespace
