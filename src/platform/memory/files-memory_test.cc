// SPDX-License-Identifier: MIT
// The in-memory file system through the platform's file operations: names
// compared as a Windows file system compares them, the failures it can be
// asked for, and its open files next to the system's.
#include "platform/memory/files-memory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/temp_folder.h"

namespace {

using platform::MemoryFileSystem;
using platform::ScopedFileSystem;
using testing_support::TempFolder;

std::string ReadAll(const std::string& path) {
  platform::FileNumber file = platform::OpenExistingForReading(path);
  std::string bytes;
  char buffer[5];
  for (size_t n; (n = platform::ReadBytes(file, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
  platform::CloseFile(file);
  return bytes;
}

struct NameCase {
  std::string path;
  bool found;
};

TEST(MemoryFileSystemTest, NamesCompareAsOnWindows) {
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  ASSERT_TRUE(files.AddFile("C:\\Dir\\Caf\x82.txt", "cafe"));  // e acute
  ASSERT_TRUE(files.AddFile("C:\\Dir\\\x85la", "a grave"));
  ASSERT_TRUE(files.AddFile("Rel\\x", "relative"));
  const NameCase cases[] = {
      {"C:\\Dir\\Caf\x82.txt", true},
      {"c:\\DIR\\CAF\x90.TXT", true},   // E acute
      {"C:\\Dir\\\xB7LA", true},        // A grave: a pair the suite's own folding leaves alone
      {"C:\\Dir\\Caf\x82.txt.", true},  // trailing full stops and blanks are dropped
      {"C:\\Dir\\Caf\x82.txt  ", true},
      {"C:\\Dir. \\Caf\x82.txt", true},
      {"C:/Dir/Caf\x82.txt", true},
      {"C:\\\\Dir\\\\Caf\x82.txt", true},
      {"C:\\Dir\\.\\Caf\x82.txt", true},
      {"C:\\Dir\\Sub\\..\\Caf\x82.txt", true},
      {"C:\\..\\Dir\\Caf\x82.txt", true},
      {"Rel\\x", true},
      {"\\Rel\\x", true},            // the root stands for the current directory
      {"C:\\Dir\\Caf?.txt", false},  // a question mark is no wildcard
      {"C:\\Dir\\Caf\x82.*", false},
      {"C:\\Dir\\*", false},
      {"C:\\Dir\\Cafe.txt", false},
      {"C:\\Dir\\Caf\x82", false},
      {"D:\\Dir\\Caf\x82.txt", false},
      {"Dir\\Caf\x82.txt", false},
      {"C:\\Rel\\x", false},
      {"", false},
  };
  for (const NameCase& c : cases) {
    unsigned attributes = 0;
    EXPECT_EQ(platform::FindEntryAttributes(c.path, &attributes), c.found) << c.path;
    platform::FileNumber file = platform::OpenExistingForReading(c.path);
    EXPECT_EQ(file != 0, c.found) << c.path;
    platform::CloseFile(file);
  }
  EXPECT_EQ(ReadAll("C:\\DIR\\CAF\x90.TXT"), "cafe");
  // One entry, under the name it was made with.
  EXPECT_EQ(files.List("c:\\dir"), (std::vector<std::string>{"Caf\x82.txt", "\x85la"}));
}

TEST(MemoryFileSystemTest, NamesNoWindowsFolderCanHoldAreRefused) {
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  ASSERT_TRUE(files.AddDirectory("C:\\D"));
  const NameCase cases[] = {
      {"C:\\D\\a<b", false},
      {"C:\\D\\a>b", false},
      {"C:\\D\\a:b", false},
      {"C:\\D\\a\"b", false},
      {"C:\\D\\a|b", false},
      {"C:\\D\\a?b", false},
      {"C:\\D\\a*b", false},
      {"C:\\D\\a\x01"
       "b",
       false},
      {"C:\\D\\...", false},
      {"C:\\D\\  ", false},
      {"C:\\D\\" + std::string(256, 'n'), false},
      {"C:\\D\\" + std::string(255, 'n'), true},
      {"C:\\D\\a b", true},
      {"C:\\D\\\xff", true},
  };
  for (const NameCase& c : cases) {
    EXPECT_EQ(platform::MakeDirectory(c.path), c.found) << c.path.substr(0, 20);
    platform::FileNumber file = platform::CreateOrEmptyForWriting(c.path + "\\f");
    EXPECT_EQ(file != 0, c.found) << c.path.substr(0, 20);
    platform::CloseFile(file);
  }
  // No path is longer than 32767 characters.
  std::string path = "C:";
  while (path.size() + 201 <= 32767) path += "\\" + std::string(200, 'n');
  EXPECT_TRUE(files.AddDirectory(path));
  EXPECT_FALSE(files.AddDirectory(path + "\\" + std::string(200, 'n')));
}

TEST(MemoryFileSystemTest, FoldersAndFilesStayApart) {
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  ASSERT_TRUE(files.AddFile("C:\\D\\file", "x"));
  // A folder is never opened, a file never holds entries, and every level
  // above a new entry must exist.
  for (const char* path : {"C:\\D", "C:\\", "C:", "\\", "C:\\D\\file\\"}) {
    EXPECT_EQ(platform::OpenExistingForReading(path), 0) << path;
    EXPECT_EQ(platform::OpenOrCreateForUpdate(path), 0) << path;
    EXPECT_EQ(platform::CreateOrEmptyForWriting(path), 0) << path;
    EXPECT_EQ(platform::CreateNewForWriting(path), 0) << path;
  }
  EXPECT_EQ(platform::CreateOrEmptyForWriting("C:\\D\\file\\inner"), 0);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\D\\file\\inner"), 0);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\Missing\\new"), 0);
  EXPECT_EQ(platform::CreateOrEmptyForWriting("C:\\Missing\\new"), 0);
  EXPECT_FALSE(platform::MakeDirectory("C:\\Missing\\Sub"));
  EXPECT_FALSE(platform::MakeDirectory("C:\\D\\file"));
  EXPECT_FALSE(platform::MakeDirectory("C:\\d"));
  EXPECT_FALSE(platform::MakeDirectory("C:\\"));
  EXPECT_FALSE(platform::RemoveFile("C:\\D"));
  EXPECT_TRUE(files.FileExists("C:\\D\\FILE"));
  EXPECT_TRUE(files.DirectoryExists("C:\\D"));
  EXPECT_EQ(files.FileBytes("C:\\D\\file"), "x");
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST(MemoryFileSystemTest, ANewFileTakesOnlyAFreeName) {
  // Any entry of the name, file or folder of any attributes, in any letter
  // case, makes the creation fail and stays as it was.
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  const struct {
    const char* path;
    unsigned attributes;
    bool folder;
  } entries[] = {
      {"C:\\D\\plain.htm", platform::kArchive, false},
      {"C:\\D\\ronly.htm", platform::kArchive | platform::kReadOnly, false},
      {"C:\\D\\hidden.htm", platform::kArchive | platform::kHidden, false},
      {"C:\\D\\system.htm", platform::kSystem | platform::kHidden | platform::kReadOnly, false},
      {"C:\\D\\bare.htm", 0, false},
      {"C:\\D\\folder.htm", platform::kDirectory, true},
      {"C:\\D\\hidden folder.htm", platform::kDirectory | platform::kHidden | platform::kReadOnly, true},
  };
  for (const auto& e : entries) {
    ASSERT_TRUE(e.folder ? files.AddDirectory(e.path) : files.AddFile(e.path, e.path)) << e.path;
    ASSERT_TRUE(files.SetAttributes(e.path, e.attributes)) << e.path;
  }
  for (const auto& e : entries) {
    std::string upper = e.path;
    for (char& c : upper) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c);
    for (const std::string& path : {std::string(e.path), upper, std::string(e.path) + " ."})
      EXPECT_EQ(platform::CreateNewForWriting(path), 0) << path;
    unsigned attributes = 0;
    ASSERT_TRUE(platform::FindEntryAttributes(e.path, &attributes)) << e.path;
    EXPECT_EQ(attributes, e.attributes) << e.path;
    EXPECT_EQ(files.FileBytes(e.path), e.folder ? "" : e.path) << e.path;
  }
  // A free name is made, as an ordinary empty file, and is taken from then on.
  platform::FileNumber file = platform::CreateNewForWriting("C:\\D\\New.htm");
  ASSERT_NE(file, 0);
  EXPECT_TRUE(platform::WriteBytes(file, "new", 3));
  EXPECT_EQ(platform::CreateNewForWriting("C:\\D\\NEW.HTM"), 0);
  platform::CloseFile(file);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\D\\new.htm"), 0);
  EXPECT_EQ(files.FileBytes("C:\\D\\new.htm"), "new");
  unsigned attributes = 0;
  ASSERT_TRUE(platform::FindEntryAttributes("C:\\D\\new.htm", &attributes));
  EXPECT_EQ(attributes, platform::kArchive);
  EXPECT_EQ(files.List("C:\\D").size(), 8u);
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST(MemoryFileSystemTest, LateFilesAppearWhenFirstLookedFor) {
  // Another program's files: asked for by key on the first look at a name
  // no entry has, in a folder that is there; reading asks nothing.
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  ASSERT_TRUE(files.AddDirectory("C:\\D"));
  files.SetCapacity(files.UsedBytes());
  std::vector<std::string> asked;
  files.SetLateFiles([&](const std::string& key, MemoryFileSystem::LateFile& late) {
    asked.push_back(key);
    if (key.find("\\LATE") == std::string::npos) return false;
    late = {"Late" + key.substr(key.rfind('\\') + 5), "theirs", platform::kArchive | platform::kHidden};
    return true;
  });
  EXPECT_EQ(files.FileAt("C:\\D\\late1.htm"), nullptr);
  EXPECT_TRUE(asked.empty());
  const struct {
    const char* path;
    bool appears, created;
  } looks[] = {
      {"C:\\D\\late1.htm", true, false},
      {"C:\\D\\LATE2.HTM", true, false},
      {"C:\\D\\other.htm", false, true},      // a name the other program did not take
      {"C:\\None\\late3.htm", false, false},  // no folder, no file
  };
  for (const auto& look : looks) {
    unsigned attributes = 0;
    EXPECT_EQ(platform::FindEntryAttributes(look.path, &attributes), look.appears) << look.path;
    const platform::FileNumber file = platform::CreateNewForWriting(look.path);
    EXPECT_EQ(file != 0, look.created) << look.path;
    if (file) platform::CloseFile(file);
    EXPECT_EQ(files.FileBytes(look.path), look.appears ? "theirs" : "") << look.path;
  }
  unsigned attributes = 0;
  ASSERT_TRUE(platform::FindEntryAttributes("C:\\D\\late2.htm", &attributes));
  EXPECT_EQ(attributes, platform::kArchive | platform::kHidden);
  EXPECT_EQ(files.List("C:\\D"), (std::vector<std::string>{"Late1.HTM", "Late2.HTM", "other.htm"}));
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "C:\\D\\LATE1.HTM"), 1);
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST(MemoryFileSystemTest, FailuresOnDemand) {
  MemoryFileSystem files;
  ScopedFileSystem use(files);
  ASSERT_TRUE(files.AddFile("C:\\D\\locked", "kept", platform::kArchive | platform::kReadOnly));
  ASSERT_TRUE(files.AddFile("C:\\Shut\\old", "old"));
  ASSERT_TRUE(files.AddFile("C:\\D\\open", "o"));

  // A read-only file is read, never written, emptied or removed.
  platform::FileNumber file = platform::OpenExistingForReading("C:\\D\\locked");
  EXPECT_NE(file, 0);
  EXPECT_FALSE(platform::WriteBytes(file, "x", 1));
  platform::CloseFile(file);
  EXPECT_EQ(platform::OpenOrCreateForUpdate("C:\\D\\locked"), 0);
  EXPECT_EQ(platform::CreateOrEmptyForWriting("C:\\D\\locked"), 0);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\D\\LOCKED"), 0);
  EXPECT_FALSE(platform::RemoveFile("C:\\D\\locked"));
  EXPECT_EQ(files.FileBytes("C:\\D\\locked"), "kept");
  unsigned attributes = 0;
  ASSERT_TRUE(platform::FindEntryAttributes("C:\\D\\locked", &attributes));
  EXPECT_EQ(attributes, platform::kArchive | platform::kReadOnly);

  // A folder where nothing may be created still gives its files.
  files.RefuseCreatingIn("C:\\Shut");
  EXPECT_EQ(platform::CreateOrEmptyForWriting("C:\\Shut\\new"), 0);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\Shut\\new"), 0);
  EXPECT_EQ(platform::CreateNewForWriting("C:\\Shut\\Old"), 0);  // taken, and nothing may be made there
  EXPECT_EQ(platform::OpenOrCreateForUpdate("C:\\Shut\\new"), 0);
  EXPECT_FALSE(platform::MakeDirectory("C:\\Shut\\Sub"));
  EXPECT_EQ(ReadAll("C:\\Shut\\OLD"), "old");
  file = platform::CreateOrEmptyForWriting("C:\\Shut\\old");
  EXPECT_NE(file, 0);
  platform::CloseFile(file);
  EXPECT_EQ(files.FileBytes("C:\\Shut\\old"), "");
  EXPECT_EQ(files.List("C:\\Shut"), (std::vector<std::string>{"old"}));

  // An open file is not removed.
  file = platform::OpenOrCreateForUpdate("C:\\D\\open");
  EXPECT_FALSE(platform::RemoveFile("C:\\D\\open"));
  platform::CloseFile(file);
  EXPECT_TRUE(platform::RemoveFile("C:\\D\\open"));
  EXPECT_FALSE(platform::RemoveFile("C:\\D\\open"));

  // A full disk takes what fits and refuses a write that does not.
  files.SetCapacity(files.UsedBytes() + 10);
  file = platform::CreateOrEmptyForWriting("C:\\D\\doc");
  ASSERT_NE(file, 0);
  EXPECT_TRUE(platform::WriteBytes(file, "0123456789", 10));
  EXPECT_FALSE(platform::WriteBytes(file, "a", 1));
  EXPECT_TRUE(platform::SeekFile(file, 2));
  EXPECT_TRUE(platform::WriteBytes(file, "ab", 2));  // no growth, no new space
  EXPECT_TRUE(platform::SeekFile(file, 100));
  EXPECT_FALSE(platform::WriteBytes(file, "z", 1));
  EXPECT_EQ(platform::FileSize(file), 10);
  platform::CloseFile(file);
  EXPECT_EQ(files.FileBytes("C:\\D\\doc"), "01ab456789");
  // Emptying a file gives its space back.
  file = platform::CreateOrEmptyForWriting("C:\\D\\doc");
  EXPECT_TRUE(platform::WriteBytes(file, "0123456789", 10));
  platform::CloseFile(file);
  EXPECT_EQ(files.OpenFileCount(), 0);
}

TEST(MemoryFileSystemTest, FilesOfBothFileSystemsShareOneTable) {
  TempFolder folder;
  const std::string onDisk = folder.Path("disk.txt");
  platform::FileNumber disk = platform::CreateOrEmptyForWriting(onDisk);
  ASSERT_EQ(disk, 1);
  ASSERT_TRUE(platform::WriteBytes(disk, "disk", 4));
  {
    MemoryFileSystem files;
    ScopedFileSystem use(files);
    ASSERT_TRUE(files.AddFile("C:\\m.txt", "memory"));
    platform::FileNumber memory = platform::OpenExistingForReading("C:\\m.txt");
    EXPECT_EQ(memory, 2);
    EXPECT_EQ(platform::OpenExistingForReading(onDisk), 0);  // not in memory
    // The disk file stays with the disk.
    EXPECT_TRUE(platform::WriteBytes(disk, "!", 1));
    char buffer[8];
    EXPECT_EQ(platform::ReadBytes(memory, buffer, sizeof buffer), 6u);
    EXPECT_EQ(files.OpenFileCount(), 1);
  }
  // The memory's file went with it; its number is free again.
  EXPECT_EQ(platform::ReadBytes(2, nullptr, 1), 0u);
  platform::CloseFile(disk);
  EXPECT_EQ(ReadAll(onDisk), "disk!");
}

}  // namespace
