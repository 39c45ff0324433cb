// SPDX-License-Identifier: MIT
// The body-line writer: columns, fills, rules, conversion, links, counters
// and the caller's text, checked on the bytes of the document.
#include "text/body_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "html/attributes.h"
#include "support/body_document.h"

using testing_support::BodyDocument;

namespace {

const std::string kLight = "\xE2\x94\x80";   // the light horizontal line in UTF-8
const std::string kDouble = "\xE2\x95\x90";  // the double horizontal line in UTF-8

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

struct Call {
  int column;
  std::string text;
  int newlines;
  std::string fillText = "";  // a fill set just before this call
  int fillColumn = 0;
};

struct BodyCase {
  const char* name;
  std::vector<Call> calls;
  std::string written;
  int outColumn;
  int pageLineCount;
};

// Each text handed over as the caller's own string, or as a view of bytes
// that must stay as they are, as the print run hands them. The view's bytes
// are a heap block of exactly their size, so that the sanitizer build sees
// a read of the byte after a text (a string would have its terminator there).
void RunCalls(DocumentState& doc, const std::vector<Call>& calls, bool asView) {
  for (const Call& c : calls) {
    if (!c.fillText.empty()) SetLeaderFill(doc, static_cast<int16_t>(c.fillColumn), c.fillText);
    if (asView) {
      const std::unique_ptr<char[]> bytes(new char[c.text.size()]);
      std::copy(c.text.begin(), c.text.end(), bytes.get());
      WriteBodyText(doc, c.column, ByteView(bytes.get(), c.text.size()), c.newlines);
      EXPECT_EQ(std::string(bytes.get(), c.text.size()), c.text);
    } else {
      std::string text = c.text;
      WriteBodyText(doc, c.column, text, c.newlines);
    }
  }
}

void ExpectCases(const std::vector<BodyCase>& cases) {
  for (const BodyCase& c : cases) {
    for (bool asView : {false, true}) {
      SCOPED_TRACE(asView ? "text as a view" : "text as a string");
      BodyDocument body;
      RunCalls(body.doc, c.calls, asView);
      EXPECT_EQ(body.Close(), c.written) << c.name;
      EXPECT_EQ(body.doc.outColumn, c.outColumn) << c.name;
      EXPECT_EQ(body.doc.pageLineCount, c.pageLineCount) << c.name;
      EXPECT_TRUE(body.doc.fillText.empty()) << c.name;
      EXPECT_EQ(body.doc.fillColumn, 0) << c.name;
    }
  }
}

TEST(WriteBodyTextTest, PlacesTextAtItsColumnAndNeverMovesBack) {
  ExpectCases({
      {"column 1 with a line end", {{1, "Hello", 1}}, "Hello\r\n", 0, 1},
      {"column 5 pads with four spaces", {{5, "Hello", 0}}, "    Hello", 9, 0},
      {"empty text with two line ends", {{1, "", 2}}, "\r\n\r\n", 0, 2},
      {"empty text with no line end", {{1, "", 0}}, "", 0, 0},
      {"empty text at a column still pads", {{4, "", 0}}, "   ", 3, 0},
      {"column 0 and negative columns pad nothing", {{0, "a", 0}, {-5, "b", 1}}, "ab\r\n", 0, 1},
      {"second call counts from the first", {{1, "abc", 0}, {10, "X", 1}}, "abc      X\r\n", 0, 1},
      {"a column at or before the position follows directly",
       {{1, "abcdefghij", 0}, {5, "X", 0}, {13, "Y", 0}, {14, "Z", 1}},
       "abcdefghijX YZ\r\n",
       0,
       1},
      {"line ends start a new output line", {{5, "a", 1}, {3, "b", 3}}, "    a\r\n  b\r\n\r\n\r\n", 0, 4},
      {"256 spaces before a text and 257",
       {{1, "a", 0}, {258, "b", 1}, {258, "c", 0}},
       "a" + std::string(256, ' ') + "b\r\n" + std::string(257, ' ') + "c",
       258,
       1},
      {"eight line ends and nine",
       {{1, "a", 8}, {2, "b", 9}, {1, "", 8}},
       "a" + Repeat("\r\n", 8) + " b" + Repeat("\r\n", 17),
       0,
       25},
      {"a column far beyond the 16-bit range stops at 32767", {{100000, "", 0}}, std::string(32766, ' '), 32766, 0},
  });
}

TEST(WriteBodyTextTest, ExpandsTheLeaderFillOnce) {
  ExpectCases({
      {"one dot up to column 20", {{1, "Total", 1, ".", 20}}, "Total" + std::string(15, '.') + "\r\n", 0, 1},
      {"two characters with 15 free cells", {{1, "Total", 0, ". ", 20}}, "Total " + Repeat(". ", 7), 20, 0},
      {"no free cells", {{1, "Total", 0, ".", 5}}, "Total", 5, 0},
      {"negative total of -3 with two characters leaves one space", {{1, "Totalxyz", 0, "ab", 5}}, "Totalxyz ", 9, 0},
      {"negative total with one character adds nothing", {{1, "Totalxyz", 0, ".", 5}}, "Totalxyz", 8, 0},
      {"negative total of -4 with two characters adds nothing", {{1, "Totalxyz", 0, "ab", 4}}, "Totalxyz", 8, 0},
      {"negative fill column: total -13, two spaces", {{1, "ab", 0, "xyz", -11}}, "ab  ", 4, 0},
      {"three characters, 10 free cells: one space and three copies", {{1, "A", 0, "abc", 11}}, "A abcabcabc", 11, 0},
      {"fill counts the cells already on the line",
       {{1, "Name", 0, ".", 10}, {15, "X", 1}},
       "Name......    X\r\n",
       0,
       1},
      {"fill after padding to a column", {{4, "ab", 0, ".", 10}}, "   ab.....", 10, 0},
      {"the fill applies to the next text only", {{1, "a", 0, ".", 5}, {1, "b", 1}}, "a....b\r\n", 0, 1},
      {"cells are code page bytes, not UTF-8 bytes", {{1, "\x82t\x82", 0, ".", 10}}, "\xC3\xA9t\xC3\xA9.......", 10, 0},
      {"a fill of dashes alone becomes a rule", {{1, "", 1, "-", 6}}, Repeat(kLight, 6) + "\r\n", 0, 1},
      {"a fill of dashes after a label stays dashes", {{1, "Sum", 1, "-", 6}}, "Sum---\r\n", 0, 1},
      {"a leader of a dash and a dot after a label", {{1, "Sum", 1, "-.", 8}}, "Sum -.-.\r\n", 0, 1},
      {"a leader of 16 euro signs, each three bytes",
       {{1, "ab", 0, std::string(16, '\xD5'), 34}},
       "ab" + Repeat("\xE2\x82\xAC", 32),
       34,
       0},
      {"control bytes of the leader show as spaces, one each",
       {{1, "ab", 1, std::string(".\0\n", 3), 8}},
       "ab.  .  \r\n",
       0,
       1},
      {"a leader of tabs and byte 255 writes spaces", {{1, "x", 0, "\t\xFF", 5}}, "x    ", 5, 0},
      {"one accented leader byte, its form repeated", {{1, "ab", 0, "\x85", 6}}, "ab" + Repeat("\xC3\xA0", 4), 6, 0},
      {"one control byte as the leader writes spaces", {{1, "ab", 1, "\x01", 5}}, "ab   \r\n", 0, 1},
      {"257 copies of one leader byte, then 256",
       {{1, "a", 1, ".", 258}, {1, "b", 1, ".", 257}},
       "a" + std::string(257, '.') + "\r\nb" + std::string(256, '.') + "\r\n",
       0,
       2},
      {"a leader of accented letters", {{1, "ab", 0, "\x82\x85", 7}}, "ab " + Repeat("\xC3\xA9\xC3\xA0", 2), 7, 0},
      {"a long text and a long fill",
       {{1, std::string(40, 'x'), 1, "<>", 2000}},
       std::string(40, 'x') + Repeat("<>", 980) + "\r\n",
       0,
       1},
  });
}

TEST(WriteBodyTextTest, TurnsDashAndEqualsLinesIntoRules) {
  ExpectCases({
      {"dashes and blanks", {{1, "  ----  -- ", 0}}, "  " + Repeat(kLight, 4) + "  " + Repeat(kLight, 2) + " ", 11, 0},
      {"two dashes", {{1, "--", 1}}, Repeat(kLight, 2) + "\r\n", 0, 1},
      {"a lone dash is kept", {{1, "-", 1}}, "-\r\n", 0, 1},
      {"dashes never adjacent are kept", {{1, "- - -", 1}}, "- - -\r\n", 0, 1},
      {"a label before the dashes keeps them", {{1, "Total ----", 1}}, "Total ----\r\n", 0, 1},
      {"a tab among dashes is a blank by then",
       {{1, "--\t--", 1}},
       Repeat(kLight, 2) + " " + Repeat(kLight, 2) + "\r\n",
       0,
       1},
      {"every equals sign of a text holding two",
       {{1, "a == b = c", 1}},
       "a " + Repeat(kDouble, 2) + " b " + kDouble + " c\r\n",
       0,
       1},
      {"lone equals signs are kept", {{1, "a=b=c", 1}}, "a=b=c\r\n", 0, 1},
      {"an equals pair across two words of eight",
       {{1, "abcdefg==hijklmn", 1}},
       "abcdefg" + Repeat(kDouble, 2) + "hijklmn\r\n",
       0,
       1},
      {"an equals pair in the word after an accent",
       {{1,
         "\x82"
         "bcdefghab==cdef",
         1}},
       "\xC3\xA9"
       "bcdefghab" +
           Repeat(kDouble, 2) + "cdef\r\n",
       0,
       1},
      {"dashes beside a double rule stay dashes", {{1, "--==", 1}}, "--" + Repeat(kDouble, 2) + "\r\n", 0, 1},
      {"rules count one cell per sign", {{1, "==", 0}, {5, "x", 0}}, Repeat(kDouble, 2) + "  x", 5, 0},
      {"a long rule", {{1, std::string(100, '-'), 1}}, Repeat(kLight, 100) + "\r\n", 0, 1},
      {"a long text with an equals pair",
       {{1, "total = " + std::string(20, 'x') + " == y", 1}},
       "total " + kDouble + " " + std::string(20, 'x') + " " + Repeat(kDouble, 2) + " y\r\n",
       0,
       1},
      // The fill belongs to the text the rules look at.
      {"a dash and a dash fill join into a rule", {{1, "-", 1, "-", 2}}, Repeat(kLight, 2) + "\r\n", 0, 1},
      {"a dash fill after a blank keeps lone dashes", {{1, "- ", 1, "-", 3}}, "- -\r\n", 0, 1},
      {"equals in the fill double those of the text", {{1, "a=", 1, "=", 3}}, "a" + Repeat(kDouble, 2) + "\r\n", 0, 1},
      {"copies of the fill joined end to start",
       {{1, "", 1, "=-=", 6}},
       kDouble + "-" + Repeat(kDouble, 2) + "-" + kDouble + "\r\n",
       0,
       1},
      {"copies that never pair", {{1, "", 1, "-=", 4}}, "-=-=\r\n", 0, 1},
      // The sign looked for in pairs is the text's last byte.
      {"a double rule ending in a lone dash", {{1, "a == b -", 1}}, "a " + Repeat(kDouble, 2) + " b -\r\n", 0, 1},
      {"dashes ending in a lone equals sign", {{1, "-- =", 1}}, "-- =\r\n", 0, 1},
      {"a long text ending in a lone dash",
       {{1, std::string(70, 'x') + " == -", 1}},
       std::string(70, 'x') + " " + Repeat(kDouble, 2) + " -\r\n",
       0,
       1},
  });
}

TEST(WriteBodyTextTest, LinksTheFirstAddressOnly) {
  auto link = [](const std::string& a) { return "<A HREF=" + a + ">" + a + "</A>"; };
  ExpectCases({
      {"address ends at a blank", {{1, "see http://a.b/c ok", 1}}, "see " + link("http://a.b/c") + " ok\r\n", 0, 1},
      {"a comma right after belongs to it", {{1, "http://a.b/c, ok", 1}}, link("http://a.b/c,") + " ok\r\n", 0, 1},
      {"only the first of two", {{1, "http://a http://b", 1}}, link("http://a") + " http://b\r\n", 0, 1},
      {"capitals keep their case", {{1, "HTTP://X.Y end", 1}}, link("HTTP://X.Y") + " end\r\n", 0, 1},
      {"mixed case", {{1, "hTtP://x", 1}}, link("hTtP://x") + "\r\n", 0, 1},
      {"a non-ASCII letter ends it", {{1, "http://caf\x82 x", 1}}, link("http://caf") + "\xC3\xA9 x\r\n", 0, 1},
      {"angle brackets end it", {{1, "<http://x.y>", 1}}, "<" + link("http://x.y") + ">\r\n", 0, 1},
      {"a double quote ends it", {{1, "\"http://x\"", 1}}, "\"" + link("http://x") + "\"\r\n", 0, 1},
      {"reserved marks and percent are part of it",
       {{1, "http://h/p?a=1&b=%20#f[1]@!$'()*+;~_-.", 1}},
       link("http://h/p?a=1&b=%20#f[1]@!$'()*+;~_-.") + "\r\n",
       0,
       1},
      {"braces, bar, backslash, caret and grave end it",
       {{1, "http://a{ http://b", 1}},
       link("http://a") + "{ http://b\r\n",
       0,
       1},
      {"the scheme alone", {{1, "http://", 1}}, link("http://") + "\r\n", 0, 1},
      {"a colon in the second word",
       {{1, "sixteen letters: http://x", 1}},
       "sixteen letters: " + link("http://x") + "\r\n",
       0,
       1},
      {"inside a word", {{1, "xhttp://a", 1}}, "x" + link("http://a") + "\r\n", 0, 1},
      {"an incomplete scheme", {{1, "http:/a https://b", 1}}, "http:/a https://b\r\n", 0, 1},
      {"the scheme at the very end, cut short", {{1, "see http:", 1}}, "see http:\r\n", 0, 1},
      {"a double rule after the address is not part of it",
       {{1, "http://x/==", 1}},
       link("http://x/") + Repeat(kDouble, 2) + "\r\n",
       0,
       1},
      {"the markup takes no cells", {{1, "http://a", 0}, {12, "x", 0}}, link("http://a") + "   x", 12, 0},
      {"a long address after a long text",
       {{1, std::string(30, 'w') + " http://" + std::string(40, 'h') + ".example/x?y=1 " + std::string(30, 'z'), 1}},
       std::string(30, 'w') + " " + link("http://" + std::string(40, 'h') + ".example/x?y=1") + " " +
           std::string(30, 'z') + "\r\n",
       0,
       1},
      {"a tab ends the address", {{1, "http://a\tb", 1}}, link("http://a") + " b\r\n", 0, 1},
      // The fill belongs to the text the link is looked for in.
      {"an address runs on into the fill",
       {{1, "see http://x", 1, "/", 14}},
       "see " + link("http://x//") + "\r\n",
       0,
       1},
      {"the fill completes the scheme", {{1, "go http:", 1, "/", 10}}, "go " + link("http://") + "\r\n", 0, 1},
      {"in capitals too", {{1, "HTTP:", 1, "/", 7}}, link("HTTP://") + "\r\n", 0, 1},
      {"the colons of labels and times, a fill after them",
       {{1, ":a", 0}, {4, "Hora: 12:30 http", 1, ":", 24}},
       ":a Hora: 12:30 http" + Repeat(":", 5) + "\r\n",
       0,
       1},
      {"a scheme in the leader", {{1, "a", 1, "http://", 9}}, "a " + link("http://") + "\r\n", 0, 1},
      {"a double rule of the fill ends the address",
       {{1, "http://x", 1, "==", 12}},
       link("http://x") + Repeat(kDouble, 4) + "\r\n",
       0,
       1},
  });
}

TEST(WriteBodyTextTest, WritesMarkupCharactersUnchanged) {
  ExpectCases({
      {"less-than and ampersand", {{1, "a < b & c > \"d\" 'e'", 1}}, "a < b & c > \"d\" 'e'\r\n", 0, 1},
      {"an entity-looking text", {{1, "&amp;<B>", 1}}, "&amp;<B>\r\n", 0, 1},
  });
}

struct CleanCase {
  const char* name;
  std::string text;
  std::string cleaned;
  std::string written;
};

TEST(WriteBodyTextTest, TurnsControlBytesIntoOneSpaceEachAndGivesTheCleanTextBack) {
  const std::vector<CleanCase> cases = {
      {"tab", "a\tb", "a b", "a b"},
      {"form feed",
       "a\x0C"
       "b",
       "a b", "a b"},
      {"byte 255",
       "a\xFF"
       "b",
       "a b", "a b"},
      {"delete",
       "a\x7F"
       "b",
       "a b", "a b"},
      {"nul, CR, LF and escape", std::string("\0\r\n\x1B", 4), "    ", "    "},
      {"byte 254 is printable", "\xFE", "\xFE", "\xE2\x96\xA0"},
      {"Ctrl-Z", "\x1A", " ", " "},
      {"control bytes amid runs of eight", "abcdefgh\tijklmnop\x7Fqrstuvw\xFFxyz\x01", "abcdefgh ijklmnop qrstuvw xyz ",
       "abcdefgh ijklmnop qrstuvw xyz "},
      {"accents amid runs of eight", "abcdefgh\x82ijklmno\x85", "abcdefgh\x82ijklmno\x85",
       "abcdefgh\xC3\xA9ijklmno\xC3\xA0"},
  };
  for (const CleanCase& c : cases) {
    BodyDocument body;
    std::string text = c.text;
    WriteBodyText(body.doc, 1, text, 0);
    EXPECT_EQ(text, c.cleaned) << c.name;
    EXPECT_EQ(body.Close(), c.written) << c.name;
    EXPECT_EQ(body.doc.outColumn, static_cast<int>(c.cleaned.size())) << c.name;
  }
}

TEST(WriteBodyTextTest, GivesBackTheCleanTextWithoutFillRulesOrLinks) {
  BodyDocument body;
  SetLeaderFill(body.doc, 30, "-");
  std::string text = "--\t--";
  WriteBodyText(body.doc, 3, text, 1);
  EXPECT_EQ(text, "-- --");

  std::string linked = "go http://x==y";
  WriteBodyText(body.doc, 1, linked, 1);
  EXPECT_EQ(linked, "go http://x==y");
}

TEST(WriteBodyTextTest, WritesLongTextsWhole) {
  BodyDocument body;
  std::string ascii(40000, 'a');
  ascii += " http://end";
  WriteBodyText(body.doc, 1, ascii, 1);
  std::string accented(20000, '\x82');  // beyond what a 16-bit position could convert
  WriteBodyText(body.doc, 1, accented, 0);
  EXPECT_EQ(body.doc.outColumn, 20000);
  std::string more(20000, 'b');
  WriteBodyText(body.doc, 1, more, 0);
  EXPECT_EQ(body.doc.outColumn, 32767);  // stops instead of wrapping negative

  std::string expected = std::string(40000, 'a') + " <A HREF=http://end>http://end</A>\r\n" +
                         Repeat("\xC3\xA9", 20000) + std::string(20000, 'b');
  EXPECT_EQ(body.Close(), expected);
  EXPECT_EQ(ascii, std::string(40000, 'a') + " http://end");
  EXPECT_EQ(accented.size(), 20000u);
}

TEST(WriteBodyTextTest, LineCountStopsAt32767) {
  BodyDocument body;
  body.doc.pageLineCount = 32760;
  std::string text = "x";
  WriteBodyText(body.doc, 1, text, 10);
  EXPECT_EQ(body.doc.pageLineCount, 32767);
  WriteBodyText(body.doc, 1, text, 1);
  EXPECT_EQ(body.doc.pageLineCount, 32767);
  EXPECT_EQ(body.Close(), "x" + Repeat("\r\n", 10) + "x\r\n");
}

TEST(WriteBodyTextTest, HostileBytesNeverBreakTheWriter) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  BodyDocument body;
  body.doc.fillText = std::string(1000, '\xFF');
  body.doc.fillColumn = 32767;
  std::string text = all + all;
  WriteBodyText(body.doc, 32767, text, 32767);
  EXPECT_EQ(text.size(), 512u);
  for (char c : text) {
    unsigned char b = static_cast<unsigned char>(c);
    EXPECT_TRUE(b >= 32 && b != 127 && b != 255);
  }
  EXPECT_EQ(body.doc.pageLineCount, 32767);
  EXPECT_EQ(body.doc.outColumn, 0);
  std::string written = body.Close();
  EXPECT_EQ(written.substr(0, 32766), std::string(32766, ' '));
  EXPECT_EQ(written.substr(written.size() - 2 * 32767), Repeat("\r\n", 32767));
}

TEST(WriteBodyTextTest, WithNoDocumentOpenCountersAndFillStillMove) {
  DocumentState doc;  // no file was ever opened
  SetLeaderFill(doc, 10, ".");
  std::string text = "ab\tc";
  WriteBodyText(doc, 3, text, 0);
  EXPECT_EQ(doc.outColumn, 10);
  EXPECT_TRUE(doc.fillText.empty());
  EXPECT_EQ(text, "ab c");
  WriteBodyText(doc, 1, text, 2);
  EXPECT_EQ(doc.pageLineCount, 2);
  EXPECT_EQ(doc.outColumn, 0);
  EXPECT_EQ(doc.output.Buffered(), 0u);
}

// Attribute tags among the body text: they stand where the output line is
// and take no cells in the column arithmetic.
TEST(WriteBodyTextTest, AttributeTagsTakeNoCells) {
  BodyDocument body;
  std::string text = "abc";
  WriteBodyText(body.doc, 1, text, 0);
  SetPrintAttributes(body.doc, "B");
  text = "def";
  WriteBodyText(body.doc, 8, text, 1);  // the tag takes no cells: four spaces after "abc"
  SetPrintAttributes(body.doc, "BE");
  text = "ghi";
  WriteBodyText(body.doc, 1, text, 1);
  EXPECT_EQ(body.Close(), "abc<B>    def\r\n</B></SPAN><SPAN CLASS='elit'>ghi\r\n");
}

}  // namespace
