// SPDX-License-Identifier: MIT
// The plain-file rule on Windows, against the file system's own attributes.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/paths.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

struct AttributeCase {
  DWORD attributes;
  bool plain;
};

TEST(PlainFileExistsWin32Test, ReadOnlyHiddenAndSystemFilesAreAbsent) {
  const AttributeCase cases[] = {
      {FILE_ATTRIBUTE_NORMAL, true},
      {FILE_ATTRIBUTE_ARCHIVE, true},
      {FILE_ATTRIBUTE_READONLY, false},
      {FILE_ATTRIBUTE_HIDDEN, false},
      {FILE_ATTRIBUTE_SYSTEM, false},
      {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY, false},
      {FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN, false},
      {FILE_ATTRIBUTE_ARCHIVE, true},  // clearing the bits makes it plain again
  };
  TempFolder folder;
  const std::string file = folder.Path("file.txt");
  ASSERT_TRUE(WriteWholeFile(file, "x"));
  for (const AttributeCase& c : cases) {
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), c.attributes)) << c.attributes;
    DWORD actual = GetFileAttributesA(file.c_str());
    // Only the bits the file system keeps decide; report what it kept.
    EXPECT_EQ(PlainFileExists(file), c.plain) << "set " << c.attributes << ", kept " << actual;
  }
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(PlainFileExistsWin32Test, ADirectoryIsNoPlainFile) {
  TempFolder folder;
  MakeDirectoryPath(folder.Path("dir"));
  EXPECT_FALSE(PlainFileExists(folder.Path("dir")));
  EXPECT_FALSE(PlainFileExists(folder.Path("dir\\")));
}

}  // namespace
