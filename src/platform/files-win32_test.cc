// SPDX-License-Identifier: MIT
// The Windows file system: attributes, plain files only, no wildcards.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "platform/platform.h"

namespace {

TEST(Win32FilesTest, ReadOnlyHiddenAndSystemAttributes) {
  std::string folder = ::testing::TempDir();
  const std::pair<const char*, DWORD> cases[] = {
      {"orv_ro.tmp", FILE_ATTRIBUTE_READONLY},
      {"orv_hidden.tmp", FILE_ATTRIBUTE_HIDDEN},
      {"orv_system.tmp", FILE_ATTRIBUTE_SYSTEM},
  };
  for (auto& c : cases) {
    std::string path = folder + c.first;
    std::ofstream(path) << "x";
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), c.second | FILE_ATTRIBUTE_ARCHIVE));
    unsigned a = 0;
    EXPECT_TRUE(platform::FindEntryAttributes(path, &a)) << path;
    EXPECT_TRUE(a & c.second) << path;
    // The name is taken for a new file, and the file keeps its bytes and attributes.
    EXPECT_EQ(platform::CreateNewForWriting(path), 0) << path;
    EXPECT_EQ(GetFileAttributesA(path.c_str()), c.second | FILE_ATTRIBUTE_ARCHIVE) << path;
    std::string bytes;
    std::getline(std::ifstream(path), bytes);
    EXPECT_EQ(bytes, "x") << path;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

TEST(Win32FilesTest, OnlyPlainFilesAreOpened) {
  // A pipe, a device or a folder could keep a read waiting, or is no file.
  HANDLE pipe =
      CreateNamedPipeW(L"\\\\.\\pipe\\orvtest_pipe", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4, 64, 64, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  for (const std::string& path : {std::string("\\\\.\\pipe\\orvtest_pipe"), std::string("NUL"),
                                  std::string("C:\\Temp\\CON"), ::testing::TempDir()}) {
    EXPECT_EQ(platform::OpenExistingForReading(path), 0) << path;
    EXPECT_EQ(platform::OpenOrCreateForUpdate(path), 0) << path;
    EXPECT_EQ(platform::CreateOrEmptyForWriting(path), 0) << path;
    EXPECT_EQ(platform::CreateNewForWriting(path), 0) << path;
  }
  CloseHandle(pipe);
}

TEST(Win32FilesTest, QuestionMarksAndStarsAreNoWildcards) {
  // A character the code page cannot write arrives as "?", and the search
  // would take it for any character: such a path names no entry.
  std::string folder = ::testing::TempDir() + "orv_wild";
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "\\ab.txt") << "x";
  unsigned a = 0;
  EXPECT_TRUE(platform::FindEntryAttributes(folder + "\\ab.txt", &a));
  for (const char* name : {"\\a?.txt", "\\??.txt", "\\*.txt", "\\*", "\\a*"})
    EXPECT_FALSE(platform::FindEntryAttributes(folder + name, &a)) << name;
  EXPECT_FALSE(platform::FindEntryAttributes(::testing::TempDir() + "orv_wil?\\ab.txt", &a));
  DeleteFileA((folder + "\\ab.txt").c_str());
  RemoveDirectoryA(folder.c_str());
}

}  // namespace
