// SPDX-License-Identifier: MIT
// Attribute codes to tags: pitch SPANs decided from the pitch at the start
// of each directive, and emphasis toggles closed in the order of the codes.
#include "html/attributes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/body_document.h"

using testing_support::BodyDocument;

namespace {

const std::string kPica = "<SPAN CLASS='pica'>";
const std::string kElite = "<SPAN CLASS='elit'>";
const std::string kCompressed = "<SPAN CLASS='comp'>";
const std::string kClose = "</SPAN>";

struct Toggles {
  bool bold, underline, italic;
};

struct AttributeCase {
  const char* name;
  int startPitch;
  Toggles start;
  std::vector<std::string> directives;
  std::string written;
  int endPitch;
  Toggles end;
};

TEST(SetPrintAttributesTest, WritesTagsAndMovesTheState) {
  const Toggles off = {false, false, false};
  const std::vector<AttributeCase> cases = {
      {"empty codes", 10, off, {""}, "", 10, off},
      {"E then N", 10, off, {"E", "N"}, kClose + kElite + kClose + kPica, 10, off},
      {"N twice nests", 10, off, {"N", "N"}, kPica + kPica, 10, off},
      {"E and Q in one call", 10, off, {"EQ"}, kClose + kElite + kClose + kCompressed, 17, off},
      {"E and N in one call compare with the start", 10, off, {"EN"}, kClose + kElite + kPica, 10, off},
      {"X then N", 10, off, {"X", "N"}, kClose + kPica, 10, off},
      {"E and X at 12", 12, off, {"EX"}, kElite, 6, off},
      {"Q then X in one call: the last pitch code wins", 10, off, {"QX"}, kClose + kCompressed, 5, off},
      {"X then Q in one call", 10, off, {"XQ"}, kClose + kCompressed, 17, off},
      {"two X in one call halve once", 10, off, {"XX"}, "", 5, off},
      {"X in later directives keeps halving", 10, off, {"X", "X", "X", "X", "X"}, "", 0, off},
      {"X at 17", 17, off, {"X"}, "", 8, off},
      {"@ at 10", 10, off, {"@"}, kPica, 10, off},
      {"@ at 12", 12, off, {"@"}, kClose + kPica, 10, off},
      {"@ with bold on", 10, {true, false, false}, {"@"}, kPica, 10, {true, false, false}},
      {"Q at 17 reopens without closing", 17, off, {"Q"}, kCompressed, 17, off},
      {"lower case", 10, off, {"e", "n"}, kClose + kElite + kClose + kPica, 10, off},
      {"lower-case q and x", 10, off, {"qx"}, kClose + kCompressed, 5, off},
      {"B in two directives", 10, off, {"B", "B"}, "<B></B>", 10, off},
      {"B twice in one directive", 10, off, {"BB"}, "<B></B>", 10, off},
      {"B U I open, then close in the same order", 10, off, {"BUI", "BUI"}, "<B><U><I></B></U></I>", 10, off},
      {"lower-case toggles", 10, off, {"bui"}, "<B><U><I>", 10, {true, true, true}},
      {"toggles left on are closed", 10, {true, true, true}, {"IUB"}, "</I></U></B>", 10, off},
      {"mixed pitch and toggles keep the order of the codes",
       10,
       off,
       {"BEI"},
       "<B>" + kClose + kElite + "<I>",
       12,
       {true, false, true}},
      {"characters that are not codes", 10, off, {"1 Z*a\x82\x90\xFF"}, "", 10, off},
      {"a directive with no pitch code keeps the pitch", 12, off, {"B"}, "<B>", 12, {true, false, false}},
  };
  for (const AttributeCase& c : cases) {
    BodyDocument body;
    body.doc.currentPitch = static_cast<int16_t>(c.startPitch);
    body.doc.boldOn = c.start.bold;
    body.doc.underlineOn = c.start.underline;
    body.doc.italicOn = c.start.italic;
    for (const std::string& codes : c.directives) SetPrintAttributes(body.doc, codes);
    EXPECT_EQ(body.Close(), c.written) << c.name;
    EXPECT_EQ(body.doc.currentPitch, c.endPitch) << c.name;
    EXPECT_EQ(body.doc.boldOn, c.end.bold) << c.name;
    EXPECT_EQ(body.doc.underlineOn, c.end.underline) << c.name;
    EXPECT_EQ(body.doc.italicOn, c.end.italic) << c.name;
    EXPECT_EQ(body.doc.outColumn, 0) << c.name;
  }
}

TEST(SetPrintAttributesTest, WithNoDocumentOpenTheStateStillChanges) {
  DocumentState doc;
  SetPrintAttributes(doc, "QBU");
  EXPECT_EQ(doc.currentPitch, 17);
  EXPECT_TRUE(doc.boldOn);
  EXPECT_TRUE(doc.underlineOn);
  EXPECT_TRUE(doc.output.Buffered() == 0);
}

}  // namespace
