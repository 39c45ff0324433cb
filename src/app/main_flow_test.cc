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

}  // namespace
