// SPDX-License-Identifier: MIT
// The plain-file rule on POSIX systems, where "hidden" is a name beginning
// with a full stop and "read-only" is a file without owner write permission.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/paths.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

std::string Native(std::string path) {
  for (char& c : path)
    if (c == '\\') c = '/';
  return path;
}

struct ModeCase {
  mode_t mode;
  bool plain;
};

TEST(PlainFileExistsPosixTest, FilesWithoutOwnerWritePermissionAreAbsent) {
  const ModeCase cases[] = {
      {0644, true}, {0600, true}, {0200, true}, {0444, false}, {0044, false}, {0077, false}, {0000, false},
  };
  TempFolder folder;
  const std::string file = folder.Path("file.txt");
  ASSERT_TRUE(WriteWholeFile(file, "x"));
  for (const ModeCase& c : cases) {
    ASSERT_EQ(chmod(Native(file).c_str(), c.mode), 0);
    EXPECT_EQ(PlainFileExists(file), c.plain) << std::oct << c.mode;
  }
}

TEST(PlainFileExistsPosixTest, DotFilesAreHidden) {
  TempFolder folder;
  for (const char* name : {".hidden", ".hidden.htm", "..x"}) {
    ASSERT_TRUE(WriteWholeFile(folder.Path(name), "x"));
    EXPECT_FALSE(PlainFileExists(folder.Path(name))) << name;
  }
  // Only the entry's own name counts, not the folder it is in.
  MakeDirectoryPath(folder.Path(".folder"));
  ASSERT_TRUE(WriteWholeFile(folder.Path(".folder\\seen.txt"), "x"));
  EXPECT_TRUE(PlainFileExists(folder.Path(".folder\\seen.txt")));
}

TEST(PlainFileExistsPosixTest, PipesAndSymbolicLinks) {
  TempFolder folder;
  ASSERT_EQ(mkfifo(Native(folder.Path("pipe")).c_str(), 0644), 0);
  EXPECT_FALSE(PlainFileExists(folder.Path("pipe")));
  ASSERT_TRUE(WriteWholeFile(folder.Path("target.txt"), "x"));
  ASSERT_EQ(symlink("target.txt", Native(folder.Path("link.txt")).c_str()), 0);
  EXPECT_TRUE(PlainFileExists(folder.Path("link.txt")));
  ASSERT_EQ(symlink("missing.txt", Native(folder.Path("dangling.txt")).c_str()), 0);
  EXPECT_FALSE(PlainFileExists(folder.Path("dangling.txt")));
}

}  // namespace
