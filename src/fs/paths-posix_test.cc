// The plain-file rule on POSIX systems, where "hidden" is a name beginning
// with a full stop and "read-only" is a file without owner write permission.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "fs/paths.h"
#include "testing/scratch.h"

namespace {

using testing_support::ScratchFolder;
using testing_support::WriteTestFile;

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
  ScratchFolder folder;
  const std::string file = folder.In("file.txt");
  ASSERT_TRUE(WriteTestFile(file, "x"));
  for (const ModeCase& c : cases) {
    ASSERT_EQ(chmod(Native(file).c_str(), c.mode), 0);
    EXPECT_EQ(PlainFileExists(file), c.plain) << std::oct << c.mode;
  }
}

TEST(PlainFileExistsPosixTest, DotFilesAreHidden) {
  ScratchFolder folder;
  for (const char* name : {".hidden", ".hidden.htm", "..x"}) {
    ASSERT_TRUE(WriteTestFile(folder.In(name), "x"));
    EXPECT_FALSE(PlainFileExists(folder.In(name))) << name;
  }
  // Only the entry's own name counts, not the folder it is in.
  MakeDirectoryPath(folder.In(".folder"));
  ASSERT_TRUE(WriteTestFile(folder.In(".folder\\seen.txt"), "x"));
  EXPECT_TRUE(PlainFileExists(folder.In(".folder\\seen.txt")));
}

TEST(PlainFileExistsPosixTest, PipesAndSymbolicLinks) {
  ScratchFolder folder;
  ASSERT_EQ(mkfifo(Native(folder.In("pipe")).c_str(), 0644), 0);
  EXPECT_FALSE(PlainFileExists(folder.In("pipe")));
  ASSERT_TRUE(WriteTestFile(folder.In("target.txt"), "x"));
  ASSERT_EQ(symlink("target.txt", Native(folder.In("link.txt")).c_str()), 0);
  EXPECT_TRUE(PlainFileExists(folder.In("link.txt")));
  ASSERT_EQ(symlink("missing.txt", Native(folder.In("dangling.txt")).c_str()), 0);
  EXPECT_FALSE(PlainFileExists(folder.In("dangling.txt")));
}

}  // namespace
