// SPDX-License-Identifier: MIT
// The mail program's command line, and the whole flow of one run on
// in-memory files, console and services.
#include "app/main_flow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/memory/console-memory.h"
#include "platform/memory/files-memory.h"
#include "platform/memory/services-memory.h"
#include "support/console_screen.h"

namespace {

TEST(MailProgramCommandTest, JoinsTheProgramFolderAndQuotesBlanks) {
  const std::pair<const char*, const char*> cases[] = {
      {"", "ORVEML"},
      {"C:\\ORV\\", "C:\\ORV\\ORVEML"},
      {"C:\\ORV", "C:\\ORV\\ORVEML"},
      {"D:", "D:ORVEML"},
      {"C:/orv/", "C:/orv/\\ORVEML"},
      {"C:\\Program Files\\ORV\\", "\"C:\\Program Files\\ORV\\ORVEML\""},
      {"C:\\Program Files\\ORV", "\"C:\\Program Files\\ORV\\ORVEML\""},
  };
  for (auto& c : cases) EXPECT_EQ(MailProgramCommand(c.first), c.second) << c.first;
}

// One run per row: the documents made, the programs started, the screen
// and the host's files afterwards. The rows share one document buffer, as
// the runs of a fuzz target do: made by the first, written over by the next.
TEST(RunMainFlowTest, RunsSettingsOptionsPrintRunAndEnd) {
  struct Case {
    const char* name;
    const char* perCorreu;  // [Entrada] PerCorreu
    const char* directori;  // [Opcions] Directori, raw bytes
    size_t directoriLength;
    int documents;  // in the output folder
    std::vector<std::string> commands;
  };
  const std::string out = "C:\\S\\";
  const Case cases[] = {
      {"viewer only", "0", "", 0, 1, {"C:\\cmd.exe /C USTART C:\\S\\"}},
      {"viewer then mail", "1", "", 0, 1, {"C:\\cmd.exe /C USTART C:\\S\\", "C:\\ORV\\ORVEML"}},
      // A NUL byte cuts no folder name short: nothing is made, not even C:\S\made.
      {"folder with a NUL", "0", "C:\\S\\made\0here", 14, 0, {}},
      // The interpreter would expand %NAME%: no hand-off.
      {"folder with a percent", "0", "C:\\S\\100%", 9, 0, {}},
  };
  DocumentBuffer documentBuffer;
  for (const Case& c : cases) {
    platform::MemoryFileSystem files;
    platform::MemoryServices services;
    services.SetEnvironment("ORVTMP", "C:\\S");
    services.SetEnvironment("TERM", "C:\\S");
    services.SetEnvironment("ORVEXE", "C:\\ORV");
    services.SetEnvironment("COMSPEC", "C:\\cmd.exe");
    files.AddFile("C:\\S\\orvprint.tmp", "DEVICE\r\nPAGE\r\n1,Hello,1\r\n");
    // Session and terminal folder are one, so OrvPrint.ini and ORVPRINT.INI are one file.
    files.AddFile("C:\\S\\OrvPrint.ini",
                  std::string("[Entrada]\r\nPerCorreu=") + c.perCorreu +
                      "\r\n[Opcions]\r\nDirectori=" + std::string(c.directori, c.directoriLength));
    platform::MemoryConsole console(25, 80);
    testing_support::FillScreen(console);
    console.SetCursor(7, 3);
    const platform::MemoryConsole before = console;
    {
      platform::ScopedFileSystem useFiles(files);
      platform::ScopedServices useServices(services);
      RunMainFlow(console, documentBuffer);
    }
    EXPECT_EQ(files.OpenFileCount(), 0) << c.name;
    EXPECT_TRUE(console.SameCells(before)) << c.name;
    int row, column;
    console.GetCursor(row, column);
    EXPECT_EQ(row * 100 + column, 703) << c.name;
    EXPECT_FALSE(files.FileExists("C:\\S\\WinPush.tmp")) << c.name;
    EXPECT_FALSE(files.DirectoryExists("C:\\S\\made")) << c.name;

    std::vector<std::string> documents;
    for (const std::string& name : files.List(out))
      if (name.size() == 12 && name.compare(8, 4, ".htm") == 0) documents.push_back(name);
    ASSERT_EQ(static_cast<int>(documents.size()), c.documents) << c.name;
    const std::vector<std::string>& commands = services.CommandLines();
    ASSERT_EQ(commands.size(), c.commands.size()) << c.name;
    for (size_t i = 0; i < commands.size(); ++i)
      EXPECT_EQ(commands[i].compare(0, c.commands[i].size(), c.commands[i]), 0) << c.name;
    if (c.documents == 1) {
      EXPECT_EQ(commands[0], "C:\\cmd.exe /C USTART " + out + documents[0]) << c.name;
      const std::string bytes = files.FileBytes(out + documents[0]);
      EXPECT_NE(bytes.find("<BODY><PRE>\r\nHello\r\n</PRE></BODY>\r\n\r\n</HTML>\r\n"), std::string::npos) << c.name;
    }
  }
}

// With ORVPRINT_LOG set, the trace of a run, byte for byte (the clock of the
// services in memory stands still), or none where it must not be written;
// the run's files are the same either way.
TEST(RunMainFlowTest, TracesTheRunWhereAsked) {
  struct Case {
    const char* name;
    std::string log;       // ORVPRINT_LOG
    const char* earlier;   // the trace file's bytes before the run; null: no file
    bool traced;           // the trace is written...
    std::string expected;  // ... and the file holds these bytes, the document named DOCUMENT
  };
  const std::string trace =
      "[4242]      0 ms  orvprint " ORVPRINT_VERSION
      ": a print run begins\r\n"
      "[4242]      0 ms  environment ORVEXE = \"C:\\ORV\"\r\n"
      "[4242]      0 ms  environment ORVTMP = \"C:\\S\"\r\n"
      "[4242]      0 ms  INI file C:\\S\\Sessio.ini: not found\r\n"
      "[4242]      0 ms  INI C:\\S\\Sessio.ini [Menu] Titol: not read: The system cannot find the "
      "file specified.\r\n"
      "[4242]      0 ms  INI C:\\S\\Sessio.ini [Menu] Operador: not read: The system cannot find the "
      "file specified.\r\n"
      "[4242]      0 ms  INI C:\\S\\Sessio.ini [Terminal] Dir: not read: The system cannot find the "
      "file specified.\r\n"
      "[4242]      0 ms  environment TERM is not set\r\n"
      "[4242]      0 ms  terminal folder: \"\"\r\n"
      "[4242]      0 ms  session folder: \"C:\\S\\\"\r\n"
      "[4242]      0 ms  INI file C:\\S\\DornTerm.ini: not found\r\n"
      "[4242]      0 ms  INI C:\\S\\DornTerm.ini [Pantalla] Seleccio: not read: The system cannot "
      "find the file specified.\r\n"
      "[4242]      0 ms  INI C:\\S\\DornTerm.ini [Pantalla] Col0: not read: The system cannot find "
      "the file specified.\r\n"
      "[4242]      0 ms  screen colours: the default 15000700000700070007\r\n"
      "[4242]      0 ms  INI file C:\\S\\OrvPrint.ini: found as C:\\S\\OrvPrint.ini\r\n"
      "[4242]      0 ms  INI C:\\S\\OrvPrint.ini [Opcions] Mostrar: no such key\r\n"
      "[4242]      0 ms  INI C:\\S\\OrvPrint.ini [Opcions] Directori: no such key\r\n"
      "[4242]      0 ms  INI C:\\S\\OrvPrint.ini [Opcions] Keywords = \"Caf\xC3\xA9\"\r\n"
      "[4242]      0 ms  INI file ORVPRINT.INI: not found\r\n"
      "[4242]      0 ms  INI ORVPRINT.INI [Entrada] PerCorreu: not read: The system cannot find "
      "the file specified.\r\n"
      "[4242]      0 ms  INI ORVPRINT.INI [Entrada] PrtTambe: not read: The system cannot find the "
      "file specified.\r\n"
      "[4242]      0 ms  options: documents shown, output folder \"C:\\S\\\", mail off, also print off\r\n"
      "[4242]      0 ms  console: 25 rows, 80 columns\r\n"
      "[4242]      0 ms  document named C:\\S\\DOCUMENT.htm\r\n"
      "[4242]      0 ms  window stack C:\\S\\WinPush.tmp: screen under rows 23-25, columns 34-48 pushed at position "
      "5\r\n"
      "[4242]      0 ms  spool file C:\\S\\orvprint.tmp: 34 bytes\r\n"
      "[4242]      0 ms  document C:\\S\\DOCUMENT.htm: created\r\n"
      "[4242]      0 ms  spool file: 3 lines read\r\n"
      "[4242]      0 ms  spool file: a Ctrl-Z at byte 24 ended it; 9 bytes after it were not read\r\n"
      "[4242]      0 ms  window stack C:\\S\\WinPush.tmp: screen popped from the file\r\n"
      "[4242]      0 ms  document C:\\S\\DOCUMENT.htm: ended with pages 1, lines on its last page 1\r\n"
      "[4242]      0 ms  viewer: starting C:\\cmd.exe /C USTART C:\\S\\DOCUMENT.htm\r\n"
      "[4242]      0 ms  viewer: C:\\cmd.exe /C USTART C:\\S\\DOCUMENT.htm ended with exit code 0 after 0 ms\r\n"
      "[4242]      0 ms  end: 0 ms in all\r\n";
  const Case cases[] = {
      {"a new trace", "C:\\LOG\\trace.txt", nullptr, true, trace},
      {"appended to a file", "C:\\LOG\\trace.txt", "earlier\r\n", true, "earlier\r\n" + trace},
      {"the spool file", "C:\\S\\orvprint.tmp", nullptr, false, ""},
      {"the spool file in other letters", "c:\\s\\ORVPRINT.TMP", nullptr, false, ""},
      {"an INI file", "C:\\S\\OrvPrint.ini", nullptr, false, ""},
      {"the window stack file to be", "C:\\S\\WinPush.tmp", nullptr, false, ""},
      {"a folder", "C:\\LOG", nullptr, false, ""},
      {"a name ending in a separator", "C:\\LOG\\", nullptr, false, ""},
      {"a folder that is not there", "C:\\NONE\\trace.txt", nullptr, false, ""},
      {"a NUL byte", std::string("C:\\LOG\\t\0x", 10), nullptr, false, ""},
  };
  for (const Case& c : cases) {
    platform::MemoryFileSystem files;
    platform::MemoryServices services;
    services.SetEnvironment("ORVTMP", "C:\\S");
    services.SetEnvironment("ORVEXE", "C:\\ORV");
    services.SetEnvironment("COMSPEC", "C:\\cmd.exe");
    services.SetEnvironment("ORVPRINT_LOG", c.log);
    const std::string spool = "DEVICE\r\nPAGE\r\n1,Hol\x85,1\r\n\x1A not read";
    files.AddFile("C:\\S\\orvprint.tmp", spool);
    files.AddFile("C:\\S\\OrvPrint.ini", "[Opcions]\r\nKeywords=Caf\x82\r\n");
    files.AddDirectory("C:\\LOG");
    if (c.earlier) files.AddFile(c.log, c.earlier);
    platform::MemoryConsole console(25, 80);
    {
      platform::ScopedFileSystem useFiles(files);
      platform::ScopedServices useServices(services);
      RunMainFlow(console);
    }
    EXPECT_EQ(files.OpenFileCount(), 0) << c.name;
    EXPECT_EQ(files.FileBytes("C:\\S\\orvprint.tmp"), spool) << c.name;
    EXPECT_EQ(files.FileBytes("C:\\S\\OrvPrint.ini"), "[Opcions]\r\nKeywords=Caf\x82\r\n") << c.name;
    EXPECT_FALSE(files.FileExists("C:\\S\\WinPush.tmp")) << c.name;
    std::vector<std::string> documents;
    for (const std::string& name : files.List("C:\\S"))
      if (name.size() == 12 && name.compare(8, 4, ".htm") == 0) documents.push_back(name);
    ASSERT_EQ(documents.size(), 1u) << c.name;
    std::string written;
    files.ReadFile(c.log, written);
    const std::string name = documents[0].substr(0, 8);
    for (size_t at; (at = written.find(name)) != std::string::npos;) written.replace(at, 8, "DOCUMENT");
    if (c.traced) {
      EXPECT_EQ(written, c.expected) << c.name;
    } else {
      EXPECT_EQ(written.find("[4242]"), std::string::npos) << c.name;
      EXPECT_FALSE(files.FileExists("C:\\S\\WinPush.tmp")) << c.name;
    }
  }
}

}  // namespace
