// SPDX-License-Identifier: MIT
// The print options from "OrvPrint.ini" and "ORVPRINT.INI", and the whole
// start-up (settings, then options) from folders whose files are written in
// other letter cases than the suite names them.
#include "app/options.h"

#include <gtest/gtest.h>

#include <string>

#include "app/settings.h"
#include "platform/platform.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::DirectoryExists;
using testing_support::ScopedCurrentDirectory;
using testing_support::ScopedEnvironment;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

// A session folder and a separate terminal folder in a scratch folder.
class PrintOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(platform::MakeDirectory(folder_.Path("session")));
    ASSERT_TRUE(platform::MakeDirectory(folder_.Path("terminal")));
    settings_.sessionDir = folder_.Path("session\\");
    settings_.terminalDir = folder_.Path("terminal\\");
  }

  void WriteOptions(const std::string& lines) {
    ASSERT_TRUE(WriteWholeFile(folder_.Path("session\\OrvPrint.ini"), "[Opcions]\r\n" + lines));
  }
  void WriteMail(const std::string& lines) {
    ASSERT_TRUE(WriteWholeFile(folder_.Path("terminal\\ORVPRINT.INI"), "[Entrada]\r\n" + lines));
  }
  PrintOptions Read() {
    PrintOptions options;
    options.showDocument = false;  // left over from before: must be replaced
    options.metaKeywords = "old";
    options.sendByMail = options.alsoPrint = 9;
    ReadPrintOptions(settings_, options);
    return options;
  }

  TempFolder folder_;
  SessionSettings settings_;
};

TEST_F(PrintOptionsTest, WithoutFilesEveryOptionHasItsDefault) {
  for (const char* sessionDir : {"", "D:", "C:\\Tmp\\"}) {
    settings_.sessionDir = sessionDir;
    PrintOptions options = Read();
    EXPECT_TRUE(options.showDocument) << sessionDir;
    EXPECT_EQ(options.outputDir, sessionDir);
    EXPECT_EQ(options.metaKeywords, "");
    EXPECT_EQ(options.sendByMail, 0);
    EXPECT_EQ(options.alsoPrint, 0);
  }
}

struct ShowCase {
  const char* line;
  bool showDocument;
};

TEST_F(PrintOptionsTest, OnlyAnUpperOrLowerCaseNHidesTheDocument) {
  const ShowCase cases[] = {
      {"Mostrar=N", false},    {"Mostrar=n", false}, {"mostrar  =n", false}, {"Mostrar=\"N\"", false},
      {"Mostrar=N;no", false}, {"Mostrar=No", true}, {"Mostrar=0", true},    {"Mostrar= N", true},
      {"Mostrar=N ", true},    {"Mostrar=", true},   {"Mostrar=S", true},    {"Mostrar=\xa4", true},
      {"Mostra=N", true},      {"Mostrar=NN", true},
  };
  for (const ShowCase& c : cases) {
    WriteOptions(std::string(c.line) + "\r\n");
    EXPECT_EQ(Read().showDocument, c.showDocument) << c.line;
  }
}

TEST_F(PrintOptionsTest, KeywordsAreTakenAsWritten) {
  WriteOptions("Keywords= factura, client ; tags\r\n");
  EXPECT_EQ(Read().metaKeywords, " factura, client ");
}

TEST_F(PrintOptionsTest, OutputFolderLevelsAreCreatedAndGetASeparator) {
  WriteOptions("Directori=" + folder_.Path("Docs\\Out") + "\r\n");
  EXPECT_EQ(Read().outputDir, folder_.Path("Docs\\Out\\"));
  EXPECT_TRUE(DirectoryExists(folder_.Path("Docs")));
  EXPECT_TRUE(DirectoryExists(folder_.Path("Docs\\Out")));

  WriteOptions("Directori=" + folder_.Path("Final\\") + "\r\n");
  EXPECT_EQ(Read().outputDir, folder_.Path("Final\\"));
  EXPECT_TRUE(DirectoryExists(folder_.Path("Final")));

  // A final slash counts as a separator; the whole value is one level.
  WriteOptions("Directori=" + folder_.Path("slashed/") + "\r\n");
  EXPECT_EQ(Read().outputDir, folder_.Path("slashed/"));
  EXPECT_TRUE(DirectoryExists(folder_.Path("slashed")));

  WriteOptions("Directori=D:\r\n");
  EXPECT_EQ(Read().outputDir, "D:");
  WriteOptions("Directori=\"\"\r\n");
  EXPECT_EQ(Read().outputDir, settings_.sessionDir);
}

TEST_F(PrintOptionsTest, RelativeOutputFolderIsMadeInTheCurrentDirectory) {
  WriteOptions("Directori=Out\\Docs\r\n");
  PrintOptions options;
  {
    ScopedCurrentDirectory here(folder_.path());
    ASSERT_TRUE(here.ok());
    options = Read();
  }
  EXPECT_EQ(options.outputDir, "Out\\Docs\\");
  EXPECT_TRUE(DirectoryExists(folder_.Path("Out\\Docs")));
}

TEST_F(PrintOptionsTest, AnOutputFolderThatCannotBeMadeIsKept) {
  ASSERT_TRUE(WriteWholeFile(folder_.Path("file"), "x"));
  WriteOptions("Directori=" + folder_.Path("file\\sub") + "\r\n");
  EXPECT_EQ(Read().outputDir, folder_.Path("file\\sub\\"));
  EXPECT_FALSE(DirectoryExists(folder_.Path("file\\sub")));
}

struct NumberCase {
  const char* value;
  int16_t stored;
};

TEST_F(PrintOptionsTest, MailNumbersAreRoundedHalvesToEven) {
  const NumberCase cases[] = {
      {"1", 1},   {"1.5", 2},   {"2.5", 2},   {"3.5", 4},       {"-1", -1},         {"abc", 0},   {"", 0},
      {" 7 ", 7}, {"&H10", 16}, {"1e2", 100}, {"99999", 32767}, {"-99999", -32768}, {"\"3\"", 3}, {"0.4", 0},
  };
  for (const NumberCase& c : cases) {
    WriteMail(std::string("PerCorreu=") + c.value + "\r\nPrtTambe=" + c.value + "\r\n");
    PrintOptions options = Read();
    EXPECT_EQ(options.sendByMail, c.stored) << c.value;
    EXPECT_EQ(options.alsoPrint, c.stored) << c.value;
  }
  WriteMail("PerCorreu=1\r\n");
  PrintOptions options = Read();
  EXPECT_EQ(options.sendByMail, 1);
  EXPECT_EQ(options.alsoPrint, 0);
}

TEST_F(PrintOptionsTest, EachFileServesItsOwnSection) {
  // Options in the terminal folder and mail settings in the session folder
  // are not where they are looked for.
  ASSERT_TRUE(WriteWholeFile(folder_.Path("terminal\\OrvPrint.ini"), "[Opcions]\r\nMostrar=N\r\nKeywords=k\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder_.Path("session\\ORVPRINT.INI"), "[Entrada]\r\nPerCorreu=1\r\n"));
  PrintOptions options = Read();
  EXPECT_TRUE(options.showDocument);
  EXPECT_EQ(options.metaKeywords, "");
  EXPECT_EQ(options.sendByMail, 0);

  // With one folder for both, one file holds both sections.
  settings_.terminalDir = settings_.sessionDir;
  options = Read();
  EXPECT_EQ(options.sendByMail, 1);
}

// Files and folders named in other letter cases than the program asks for,
// as a Windows file system allows: the whole start-up reads them alike.
TEST(StartUpTest, FileNamesInAnyLetterCaseAreReadAlike) {
  TempFolder folder;
  ScopedEnvironment environment;
  ASSERT_TRUE(platform::MakeDirectory(folder.Path("Sess")));
  ASSERT_TRUE(platform::MakeDirectory(folder.Path("term")));
  ASSERT_TRUE(
      WriteWholeFile(folder.Path("Sess\\sessio.INI"),
                     "[MENU]\r\nTITOL=Vendes\r\nOPERADOR=Marta\r\n[terminal]\r\ndir=" + folder.Path("TERM") + "\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder.Path("Sess\\DORNTERM.ini"), "[pantalla]\r\nseleccio=1\r\ncol1=0102\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder.Path("Sess\\orvprint.INI"),
                             "[OPCIONS]\r\nmostrar=n\r\ndirectori=" + folder.Path("sess\\OUT") + "\r\nKEYWORDS=v\r\n"));
  ASSERT_TRUE(WriteWholeFile(folder.Path("term\\OrvPrint.Ini"), "[entrada]\r\nPERCORREU=1\r\nprttambe=2\r\n"));
  environment.Set("ORVTMP", folder.Path("SESS"));
  environment.Unset("TERM");
  environment.Unset("ORVEXE");

  SessionSettings settings;
  LoadSessionSettings(settings);
  EXPECT_EQ(settings.sessionDir, folder.Path("SESS\\"));
  EXPECT_EQ(settings.terminalDir, folder.Path("TERM\\"));
  EXPECT_EQ(settings.menuTitle, " Vendes ");
  EXPECT_EQ(settings.operatorName, "Marta");
  EXPECT_EQ(settings.screenColours[0][0], 1);
  EXPECT_EQ(settings.screenColours[0][1], 2);

  PrintOptions options;
  ReadPrintOptions(settings, options);
  EXPECT_FALSE(options.showDocument);
  EXPECT_EQ(options.outputDir, folder.Path("sess\\OUT\\"));
  EXPECT_TRUE(DirectoryExists(folder.Path("Sess\\OUT")));
  EXPECT_EQ(options.metaKeywords, "v");
  EXPECT_EQ(options.sendByMail, 1);
  EXPECT_EQ(options.alsoPrint, 2);
}

}  // namespace
