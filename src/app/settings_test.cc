// SPDX-License-Identifier: MIT
// The session settings from a controlled environment and session folders
// written for each test.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::ScopedCurrentDirectory;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

struct Colours {
  int16_t cells[5][2];
};

const Colours kDefaultColours = {{{15, 0}, {7, 0}, {0, 7}, {0, 7}, {0, 7}}};

void ExpectColours(const SessionSettings& settings, const Colours& expected, const std::string& context) {
  for (int slot = 0; slot < 5; ++slot)
    for (int column = 0; column < 2; ++column)
      EXPECT_EQ(settings.screenColours[slot][column], expected.cells[slot][column])
          << context << ": slot " << slot << " column " << column;
}

// Every test starts in an empty current directory with none of the suite's
// variables set.
class SessionSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"ORVEXE", "ORVTMP", "TERM"}) environment_.Unset(name);
    ASSERT_TRUE(here_.ok());
  }

  void MakeTestFolders() {
    platform::MakeDirectory(folder_.Path("session"));
    platform::MakeDirectory(folder_.Path("terminal"));
  }

  TempFolder folder_;
  ScopedEnvironment environment_;
  TempFolder current_;
  ScopedCurrentDirectory here_{current_.path()};
};

struct DirectoryCase {
  const char* orvtmp;
  const char* sessionDir;
};

TEST_F(SessionSettingsTest, SessionFolderFromOrvtmp) {
  const DirectoryCase cases[] = {
      {"C:\\Tmp", "C:\\Tmp\\"},
      {"C:\\Tmp\\", "C:\\Tmp\\"},
      {"D:", "D:"},
      {"T1", "T1\\"},
      {"C:/Tmp/", "C:/Tmp/\\"},
      {" ", " \\"},
      {"\\", "\\"},
      {"C:\\Tmp ", "C:\\Tmp \\"},
  };
  for (const DirectoryCase& c : cases) {
    environment_.Set("ORVTMP", c.orvtmp);
    SessionSettings settings;
    LoadSessionSettings(settings);
    EXPECT_EQ(settings.sessionDir, c.sessionDir) << c.orvtmp;
    EXPECT_EQ(settings.terminalDir, "") << c.orvtmp;
    EXPECT_EQ(settings.menuTitle, "  ") << c.orvtmp;
    EXPECT_EQ(settings.operatorName, "") << c.orvtmp;
    ExpectColours(settings, kDefaultColours, c.orvtmp);
  }
}

TEST_F(SessionSettingsTest, ProgramFolderIsTakenAsItIs) {
  for (const char* value : {"C:\\Orv", "C:\\Orv\\", "", " x "}) {
    environment_.Set("ORVEXE", value);
    SessionSettings settings;
    LoadSessionSettings(settings);
    EXPECT_EQ(settings.programDir, value);
  }
  environment_.Unset("ORVEXE");
  SessionSettings settings;
  settings.programDir = "left over";
  LoadSessionSettings(settings);
  EXPECT_EQ(settings.programDir, "");
}

TEST_F(SessionSettingsTest, ReadsTheSessionFileOfTheSessionFolder) {
  MakeTestFolders();
  ASSERT_TRUE(WriteWholeFile(folder_.Path("session\\Sessio.ini"),
                             "[Menu]\r\nTitol=Factures\r\nOperador=Anna Puig\r\n"
                             "[Terminal]\r\nDir=" +
                                 folder_.Path("terminal") + "\r\n"));
  // With ORVTMP set the terminal file of the session folder counts, not the
  // terminal folder's own.
  ASSERT_TRUE(WriteWholeFile(folder_.Path("session\\DornTerm.ini"), "[Pantalla]\r\nCol0=0102030405060708091\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder_.Path("terminal\\DornTerm.ini"), "[Pantalla]\r\nCol0=0701\r\n"));
  environment_.Set("ORVTMP", folder_.Path("session"));
  environment_.Set("TERM", "ignored");
  SessionSettings settings;
  LoadSessionSettings(settings);
  EXPECT_EQ(settings.sessionDir, folder_.Path("session\\"));
  EXPECT_EQ(settings.terminalDir, folder_.Path("terminal\\"));
  EXPECT_EQ(settings.menuTitle, " Factures ");
  EXPECT_EQ(settings.operatorName, "Anna Puig");
  ExpectColours(settings, {{{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 1}}}, "session colours");
}

TEST_F(SessionSettingsTest, WithoutOrvtmpTheCurrentDirectoryLeadsToTheTerminalFolder) {
  MakeTestFolders();
  ASSERT_TRUE(WriteWholeFile(current_.Path("Sessio.ini"), "[Terminal]\r\nDir=" + folder_.Path("terminal") + "\r\n"));
  ASSERT_TRUE(WriteWholeFile(current_.Path("DornTerm.ini"), "[Pantalla]\r\nCol0=0000000000\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder_.Path("terminal\\DornTerm.ini"), "[Pantalla]\r\nCol0=0701\r\n"));
  SessionSettings settings;
  LoadSessionSettings(settings);
  EXPECT_EQ(settings.terminalDir, folder_.Path("terminal\\"));
  EXPECT_EQ(settings.sessionDir, settings.terminalDir);
  ExpectColours(settings, {{{7, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, "terminal colours");
}

TEST_F(SessionSettingsTest, WithNothingSetEveryFileComesFromTheCurrentDirectory) {
  ASSERT_TRUE(WriteWholeFile(current_.Path("Sessio.ini"), "[Menu]\r\nOperador=Pere\r\n"));
  ASSERT_TRUE(WriteWholeFile(current_.Path("DornTerm.ini"), "[Pantalla]\r\nCol0=0701\r\n"));
  SessionSettings settings;
  LoadSessionSettings(settings);
  EXPECT_EQ(settings.sessionDir, "");
  EXPECT_EQ(settings.terminalDir, "");
  EXPECT_EQ(settings.operatorName, "Pere");
  ExpectColours(settings, {{{7, 1}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, "current directory colours");
}

struct TerminalCase {
  const char* sessionFile;  // contents of Sessio.ini in the current directory, or null
  const char* term;         // TERM, or null for unset
  const char* terminalDir;
};

TEST_F(SessionSettingsTest, TerminalFolderFromDirOrTerm) {
  const TerminalCase cases[] = {
      {nullptr, nullptr, ""},
      {nullptr, "T2", "T2\\"},
      {nullptr, "C:\\Term\\", "C:\\Term\\"},
      {nullptr, "", ""},
      {"[Terminal]\r\nDir=T1\r\n", nullptr, "T1\\"},
      {"[Terminal]\r\nDir=T1\r\n", "T2", "T1\\"},
      {"[Terminal]\r\nDir=\r\n", "T2", "T2\\"},
      {"[Terminal]\r\nDir=\"\"\r\n", "T2", "T2\\"},
      {"[Terminal]\r\nDir= \r\n", "T2", " \\"},
      {"[Terminal]\r\nDir=C:\r\n", nullptr, "C:"},
      {"[Terminal]\r\nDir=C:/t/\r\n", nullptr, "C:/t/\\"},
      {"[Terminal]\r\nDir=\\\\srv\\t ; shared\r\n", nullptr, "\\\\srv\\t \\"},
      {"[Menu]\r\nDir=T1\r\n", "T2", "T2\\"},
  };
  for (const TerminalCase& c : cases) {
    std::string context =
        std::string(c.sessionFile ? c.sessionFile : "no file") + " TERM " + (c.term ? c.term : "unset");
    if (c.sessionFile)
      ASSERT_TRUE(WriteWholeFile(current_.Path("Sessio.ini"), c.sessionFile));
    else
      platform::RemoveFile(current_.Path("Sessio.ini"));
    if (c.term)
      environment_.Set("TERM", c.term);
    else
      environment_.Unset("TERM");
    SessionSettings settings;
    LoadSessionSettings(settings);
    EXPECT_EQ(settings.terminalDir, c.terminalDir) << context;
    EXPECT_EQ(settings.sessionDir, c.terminalDir) << context;  // ORVTMP is unset
  }
}

struct TitleCase {
  const char* line;
  const char* menuTitle;
};

TEST_F(SessionSettingsTest, TitleGetsOneBlankOnEachSide) {
  const TitleCase cases[] = {
      {"Titol=Factures", " Factures "},
      {"Titol= Factures", "  Factures "},
      {"Titol=Factures  ", " Factures   "},
      {"Titol=", "  "},
      {"Titol=\"\"", "  "},
      {"Titol=\" A \"", "  A  "},
      {"Titol=A;B", " A "},
      {"Other=A", "  "},
      {"Titol=\tA", " \tA "},
  };
  environment_.Set("ORVTMP", current_.path());
  for (const TitleCase& c : cases) {
    ASSERT_TRUE(WriteWholeFile(current_.Path("Sessio.ini"), std::string("[Menu]\r\n") + c.line + "\r\n"));
    SessionSettings settings;
    LoadSessionSettings(settings);
    EXPECT_EQ(settings.menuTitle, c.menuTitle) << c.line;
  }
}

struct ColourCase {
  const char* terminalFile;  // contents of DornTerm.ini, or null for none
  Colours colours;
};

TEST_F(SessionSettingsTest, ColourSelectionAndColourStrings) {
  const ColourCase cases[] = {
      {nullptr, kDefaultColours},
      {"", kDefaultColours},
      {"[Pantalla]\r\n", kDefaultColours},
      {"[Pantalla]\r\nCol0=0701\r\n", {{{7, 1}}}},
      {"[Pantalla]\r\nCol0=\"0701\"\r\n", {{{7, 1}}}},
      {"[Pantalla]\r\nCol0=07011\r\n", {{{7, 1}, {1, 0}}}},
      {"[Pantalla]\r\nCol0=1\r\n", {{{1, 0}}}},
      {"[Pantalla]\r\nCol0= \r\n", {}},
      {"[Pantalla]\r\nCol0=15000700000700070007999\r\n", kDefaultColours},
      {"[Pantalla]\r\nCol0=-1-1 1 1\r\n", {{{-1, -1}, {1, 1}}}},
      {"[Pantalla]\r\nCol0=0A0B&H\r\n", {}},
      {"[Pantalla]\r\nCol0=1e1d9999\r\n", {{{1, 1}, {99, 99}}}},
      {"[Pantalla]\r\nCol0=\t7\r\n", {{{7, 0}}}},
      {"[Pantalla]\r\nSeleccio=2\r\nCol0=0101\r\nCol2=0202\r\n", {{{2, 2}}}},
      {"[Pantalla]\r\nSeleccio=02\r\nCol2=0202\r\nCol02=0303\r\n", {{{2, 2}}}},
      {"[Pantalla]\r\nSeleccio= 2 \r\nCol2=0202\r\n", {{{2, 2}}}},
      {"[Pantalla]\r\nSeleccio=1.5\r\nCol2=0202\r\n", {{{2, 2}}}},
      {"[Pantalla]\r\nSeleccio=2.5\r\nCol2=0202\r\nCol3=0303\r\n", {{{2, 2}}}},
      {"[Pantalla]\r\nSeleccio=-1\r\nCol-1=0909\r\nCol1=0101\r\n", {{{9, 9}}}},
      {"[Pantalla]\r\nSeleccio=&H0A\r\nCol10=1010\r\n", {{{10, 10}}}},
      {"[Pantalla]\r\nSeleccio=99999\r\nCol32767=0404\r\n", {{{4, 4}}}},
      {"[Pantalla]\r\nSeleccio=abc\r\nCol0=0505\r\n", {{{5, 5}}}},
      {"[Pantalla]\r\nSeleccio=\r\nCol0=0505\r\n", {{{5, 5}}}},
      {"[Pantalla]\r\nSeleccio=2\r\nCol0=0505\r\n", kDefaultColours},
      {"[Pantalla]\r\nSeleccio=2\r\nCol2=\r\n", kDefaultColours},
      {"[Pantalla]\r\nCol 0=0505\r\n", kDefaultColours},
      {"[Altres]\r\nCol0=0505\r\n", kDefaultColours},
  };
  environment_.Set("ORVTMP", current_.path());
  for (const ColourCase& c : cases) {
    const std::string context = c.terminalFile ? c.terminalFile : "no file";
    if (c.terminalFile)
      ASSERT_TRUE(WriteWholeFile(current_.Path("DornTerm.ini"), c.terminalFile));
    else
      platform::RemoveFile(current_.Path("DornTerm.ini"));
    SessionSettings settings;
    for (auto& slot : settings.screenColours) slot[0] = slot[1] = 42;  // left over from before
    LoadSessionSettings(settings);
    ExpectColours(settings, c.colours, context);
  }
}

}  // namespace
