// SPDX-License-Identifier: MIT
// The INI reader against files written byte for byte: line ends, comments,
// quotes, name matching, the section rules, and files and lines larger than
// the read buffer.
#include "ini/ini.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

std::string Bytes(const char* text, size_t size) { return std::string(text, size); }

struct LookupCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  std::string expected;
};

TEST(ReadIniValueTest, FindsValuesAsTheSuiteWritesThem) {
  const LookupCase cases[] = {
      {"plain", "[Opcions]\r\nMostrar=N\r\n", "Opcions", "Mostrar", "N"},
      {"names fold to capitals", "[opcions]\r\nmostrar=S\r\n", "OPCIONS", "MoStRaR", "S"},
      {"code page letters fold", "[Sessi\x87]\r\nClau\xa4=1\r\n", "SESSI\x80", "CLAU\xa5", "1"},
      {"other bytes do not fold", "[\xe0]\r\nk=1\r\n", "\xb7", "k", ""},
      {"requested names are trimmed", "[Menu]\r\nTitol=T\r\n", "  Menu ", " Titol  ", "T"},
      {"blanks inside the brackets", "[  Menu  ]\r\nTitol=T\r\n", "Menu", "Titol", "T"},
      {"header without a closing bracket", "[Menu  \r\nTitol=T\r\n", "Menu", "Titol", "T"},
      {"text after the bracket is ignored", "[Menu]xyz=1\r\nTitol=T\r\n", "Menu", "Titol", "T"},
      {"indented header", "   [Menu]\r\nTitol=T\r\n", "Menu", "Titol", "T"},
      {"blanks around the key name", "[S]\r\n   k   =v\r\n", "S", "k", "v"},
      {"blanks inside a key name", "[S]\r\nmy key=v\r\n", "S", "my key", "v"},
      {"blanks inside a key name must match", "[S]\r\nmy key=v\r\n", "S", "mykey", ""},
      {"blank after the equals sign is kept", "[S]\r\nk= v\r\n", "S", "k", " v"},
      {"trailing blanks before a comment are kept", "[S]\r\nk=abc   ; note\r\n", "S", "k", "abc   "},
      {"trailing blanks at the line end are kept", "[S]\r\nk=abc  \r\n", "S", "k", "abc  "},
      {"further equals signs belong to the value", "[S]\r\nk=a=b==\r\n", "S", "k", "a=b=="},
      {"tabs are ordinary bytes of the value", "[S]\r\nk=\t1\t\r\n", "S", "k", "\t1\t"},
      {"quotes are removed", "[S]\r\nk=\"abc\"\r\n", "S", "k", "abc"},
      {"two quotes give empty text", "[S]\r\nk=\"\"\r\n", "S", "k", ""},
      {"a single quote stays", "[S]\r\nk=\"\r\n", "S", "k", "\""},
      {"one pair only", "[S]\r\nk=\"\"a\"\"\r\n", "S", "k", "\"a\""},
      {"a blank before the quote keeps both", "[S]\r\nk= \"abc\"\r\n", "S", "k", " \"abc\""},
      {"a blank after the quote keeps both", "[S]\r\nk=\"abc\" \r\n", "S", "k", "\"abc\" "},
      {"a semicolon inside quotes cuts the value", "[S]\r\nk=\"a;b\"\r\n", "S", "k", "\"a"},
      {"empty value", "[S]\r\nk=\r\nk=2\r\n", "S", "k", ""},
      {"missing key", "[S]\r\nj=1\r\n", "S", "k", ""},
      {"missing section", "[T]\r\nk=1\r\n", "S", "k", ""},
      {"empty file", "", "S", "k", ""},
      {"key before the first header", "k=1\r\n[S]\r\nj=2\r\n", "S", "k", ""},
      {"key of another section", "[T]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "k", ""},
      {"second section of the same name is not searched", "[S]\r\nj=1\r\n[S]\r\nk=2\r\n", "S", "k", ""},
      {"any header ends the section", "[S]\r\n[T]\r\nk=1\r\n", "S", "k", ""},
      {"a header with an equals sign ends the section", "[S]\r\n[k=1\r\nk=2\r\n", "S", "k", ""},
      {"the first key wins", "[S]\r\nk=1\r\nK=2\r\n", "S", "k", "1"},
      {"lines without an equals sign are ignored", "[S]\r\nk\r\n k \r\nk=1\r\n", "S", "k", "1"},
      {"comment lines are skipped", "; [S]\r\n[S] ; here\r\n;k=0\r\nk=1\r\n", "S", "k", "1"},
      {"a comment inside a header cuts it", "[S;x]\r\nk=1\r\n", "S", "k", "1"},
      {"a key cut by a comment never matches", "[S]\r\nk;=0\r\nk=1\r\n", "S", "k", "1"},
      {"blank lines are skipped", "[S]\r\n    \r\n\r\nk=1\r\n", "S", "k", "1"},
      {"last line without a line end", "[S]\r\nk=1", "S", "k", "1"},
      {"CR alone ends a line", "[S]\rk=1\r", "S", "k", "1"},
      {"CR CR LF is an empty line and a line end", "[S]\r\r\nk=1\r\n", "S", "k", "1"},
      {"LF alone does not end a line", "[S]\nk=1\n", "S", "k", ""},
      {"LF-only file is one header line", "[S]\nk=1\nj=0\r\nk=2\r\n", "S", "k", "2"},
      {"LF inside a value is kept", "[S]\r\nk=a\nb\r\n", "S", "k", "a\nb"},
      {"LF after CR LF starts the next line", "[S]\r\n\nk=1\r\nk=2\r\n", "S", "k", "2"},
      {"Ctrl-Z ends the value",
       "[S]\r\nk=ab\x1a"
       "cd\r\n",
       "S", "k", "ab"},
      {"nothing after Ctrl-Z is read", "[S]\r\nj=1\r\n\x1a\r\nk=2\r\n", "S", "k", ""},
      {"Ctrl-Z before the section", "\x1a[S]\r\nk=1\r\n", "S", "k", ""},
      {"byte-order mark hides the first header", "\xef\xbb\xbf[S]\r\nk=1\r\n", "S", "k", ""},
      {"byte-order mark, later header of that name", "\xef\xbb\xbf[S]\r\nk=1\r\n[S]\r\nk=2\r\n", "S", "k", "2"},
      {"tab before a header", "\t[S]\r\nk=1\r\n", "S", "k", ""},
      {"tab before a key", "[S]\r\n\tk=1\r\n", "S", "k", ""},
      {"tab-indented key matches its own name", "[S]\r\n\tk=1\r\n", "S", "\tk", "1"},
      {"NUL bytes are ordinary", Bytes("[S]\r\nk=a\0b\r\n", 12), "S", "k", Bytes("a\0b", 3)},
      {"empty section name", "[ ]\r\nk=1\r\n", "", "k", "1"},
  };
  TempFolder folder;
  const std::string file = folder.Path("t.ini");
  for (const LookupCase& c : cases) {
    ASSERT_TRUE(WriteWholeFile(file, c.content)) << c.name;
    EXPECT_EQ(ReadIniValue(file, c.section, c.key), c.expected) << c.name;
  }
}

TEST(ReadIniValueTest, FilesThatCannotBeReadGiveEmptyText) {
  TempFolder folder;
  ASSERT_TRUE(WriteWholeFile(folder.Path("a.ini"), "[S]\r\nk=1\r\n"));
  const std::string paths[] = {folder.Path("missing.ini"), folder.Path("nofolder\\a.ini"), folder.path(), "",
                               "\x01:*?"};
  for (const std::string& path : paths) EXPECT_EQ(ReadIniValue(path, "S", "k"), "") << path;
  EXPECT_EQ(ReadIniValue(folder.Path("a.ini"), "S", "k"), "1");
}

TEST(ReadIniValueTest, ClosesTheFileBeforeReturning) {
  TempFolder folder;
  const std::string file = folder.Path("a.ini");
  ASSERT_TRUE(WriteWholeFile(file, "[S]\r\nk=1\r\n"));
  platform::CloseAllFiles();
  for (const char* key : {"k", "missing"}) ReadIniValue(file, "S", key);
  ReadIniValue(folder.Path("missing.ini"), "S", "k");
  platform::FileNumber next = platform::OpenExistingForReading(file);
  EXPECT_EQ(next, 1);  // every number the look-ups used is free again
  platform::CloseFile(next);
}

TEST(ReadIniValueTest, ReadsAFileThatAnotherHolderHasOpenForWriting) {
  TempFolder folder;
  const std::string file = folder.Path("a.ini");
  platform::FileNumber writer = platform::OpenOrCreateForUpdate(file);
  ASSERT_NE(writer, 0);
  const std::string content = "[S]\r\nk=held\r\n";
  ASSERT_TRUE(platform::WriteBytes(writer, content.data(), content.size()));
  EXPECT_EQ(ReadIniValue(file, "S", "k"), "held");
  platform::CloseFile(writer);
}

TEST(ReadIniValueTest, LinesLongerThanTheBufferAreReadWhole) {
  TempFolder folder;
  const std::string file = folder.Path("long.ini");
  const std::string value = std::string(3 * kIniReadBufferSize + 17, 'v') + "end";
  const std::string longKey(kIniReadBufferSize * 2, 'K');
  ASSERT_TRUE(WriteWholeFile(file, "[S]\r\n" + longKey + "=x\r\nk=" + value + "\r\nj=2\r\n"));
  EXPECT_EQ(ReadIniValue(file, "S", "k"), value);
  EXPECT_EQ(ReadIniValue(file, "S", longKey), "x");
  EXPECT_EQ(ReadIniValue(file, "S", "j"), "2");
}

TEST(ReadIniValueTest, LineEndsAndCtrlZAtTheBufferBoundary) {
  TempFolder folder;
  const std::string file = folder.Path("edge.ini");
  // The padding line puts the CR (or the Ctrl-Z) at every place around the
  // end of the first and of the second buffer.
  for (size_t boundary : {kIniReadBufferSize, 2 * kIniReadBufferSize}) {
    for (size_t at = boundary - 3; at <= boundary + 2; ++at) {
      const std::string head = "[S]\r\n";
      std::string padding = "p=" + std::string(at - head.size() - 2, 'x');
      ASSERT_EQ(head.size() + padding.size(), at);
      ASSERT_TRUE(WriteWholeFile(file, head + padding + "\r\nk=1\r\n"));
      EXPECT_EQ(ReadIniValue(file, "S", "k"), "1") << "CR at " << at;
      EXPECT_EQ(ReadIniValue(file, "S", "p"), padding.substr(2)) << "CR at " << at;
      ASSERT_TRUE(WriteWholeFile(file, head + padding + "\x1a\r\nk=1\r\n"));
      EXPECT_EQ(ReadIniValue(file, "S", "k"), "") << "Ctrl-Z at " << at;
      EXPECT_EQ(ReadIniValue(file, "S", "p"), padding.substr(2)) << "Ctrl-Z at " << at;
    }
  }
}

TEST(ReadIniValueTest, ScansAFileOfSeveralMegabytes) {
  TempFolder folder;
  const std::string file = folder.Path("big.ini");
  std::string content = "[Other]\r\n";
  for (int i = 0; content.size() < 6 * 1024 * 1024; ++i)
    content += "key" + std::to_string(i) + "=value of the key ; with a comment\r\n";
  content += "[Wanted]\r\nfirst=1\r\n";
  for (int i = 0; i < 1000; ++i) content += "filler" + std::to_string(i) + "=x\r\n";
  content += "last=found\r\n";
  ASSERT_TRUE(WriteWholeFile(file, content));
  EXPECT_EQ(ReadIniValue(file, "Wanted", "last"), "found");
  EXPECT_EQ(ReadIniValue(file, "Wanted", "first"), "1");
  EXPECT_EQ(ReadIniValue(file, "Other", "key0"), "value of the key ");
  EXPECT_EQ(ReadIniValue(file, "Wanted", "key0"), "");
}

struct LinesCase {
  const char* name;
  std::string content;
  std::vector<std::string> lines;
};

std::vector<std::string> ReadAllLines(const std::string& file) {
  std::vector<std::string> lines;
  platform::FileNumber number = platform::OpenExistingForReading(file);
  if (number == 0) return lines;
  IniLineReader reader;
  StartIniLines(reader, number);
  std::string line;
  while (ReadIniLine(reader, line)) lines.push_back(line);
  EXPECT_EQ(line, "");
  EXPECT_FALSE(ReadIniLine(reader, line));  // stays ended
  platform::CloseFile(number);
  return lines;
}

TEST(IniLineReaderTest, SplitsLinesAtCrAndCrLfAndStopsAtCtrlZ) {
  const LinesCase cases[] = {
      {"empty", "", {}},
      {"one line without an end", "a", {"a"}},
      {"CR LF", "a\r\nb\r\n", {"a", "b"}},
      {"CR", "a\rb\r", {"a", "b"}},
      {"LF is ordinary", "a\nb\n", {"a\nb\n"}},
      {"LF after CR LF", "a\r\n\nb", {"a", "\nb"}},
      {"LF CR", "a\n\rb", {"a\n", "b"}},
      {"empty lines", "\r\n\r\r\n", {"", "", ""}},
      {"comment dropped", "a;b;c\r\n;d\r\ne", {"a", "", "e"}},
      {"Ctrl-Z ends the data",
       "a\r\nb\x1a"
       "c\r\nd",
       {"a", "b"}},
      {"Ctrl-Z right after a line end",
       "a\r\n\x1a"
       "b",
       {"a"}},
      {"Ctrl-Z after CR, before LF", "a\r\x1a\nb", {"a"}},
      {"Ctrl-Z inside a comment", "a;x\x1ay\r\nb", {"a"}},
      {"Ctrl-Z first",
       "\x1a"
       "a",
       {}},
  };
  TempFolder folder;
  const std::string file = folder.Path("lines.ini");
  for (const LinesCase& c : cases) {
    ASSERT_TRUE(WriteWholeFile(file, c.content)) << c.name;
    EXPECT_EQ(ReadAllLines(file), c.lines) << c.name;
  }
}

TEST(IniLineReaderTest, HoldsOnlyTheLineAtHand) {
  TempFolder folder;
  const std::string file = folder.Path("big.ini");
  // Many short lines, and one line whose megabyte of comment is never kept.
  std::string content;
  while (content.size() < 4 * 1024 * 1024) content += "key=value\r\n";
  content += "k=v;" + std::string(1024 * 1024, 'c') + "\r\nlast=1\r\n";
  ASSERT_TRUE(WriteWholeFile(file, content));

  platform::FileNumber number = platform::OpenExistingForReading(file);
  ASSERT_NE(number, 0);
  IniLineReader reader;
  StartIniLines(reader, number);
  std::string line;
  size_t lines = 0;
  size_t largest = 0;
  while (ReadIniLine(reader, line)) {
    ++lines;
    if (line.capacity() > largest) largest = line.capacity();
  }
  platform::CloseFile(number);
  EXPECT_EQ(lines, (4 * 1024 * 1024 + 10) / 11 + 2);
  EXPECT_LT(largest, 64u);
}

}  // namespace
