// SPDX-License-Identifier: MIT
// The POSIX file system: paths resolved in any letter case, names the code
// page cannot write, plain files only, attributes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/path_resolver-posix.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

using testing_support::TempFolder;

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class PosixFolderTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::CloseAllFiles(); }
  TempFolder temp_;
  const std::string folder_ = temp_.path();
};

TEST_F(PosixFolderTest, PathsMapBackslashesAndCodePageBytes) {
  std::string program = folder_ + "\\Caf\x82\\Sub";
  EXPECT_TRUE(platform::MakeDirectory(folder_ + "\\Caf\x82"));
  EXPECT_TRUE(platform::MakeDirectory(program));
  struct stat st;
  EXPECT_EQ(stat((folder_ + "/Caf\xc3\xa9/Sub").c_str(), &st), 0);
  // A different letter case finds the existing folders, as on Windows.
  EXPECT_EQ(platform::SystemPath(folder_ + "\\CAF\x90\\sub\\new.htm"), folder_ + "/Caf\xc3\xa9/Sub/new.htm");
  EXPECT_EQ(platform::SystemPath("relative\\path"), "relative/path");
  // The root is the entry "." in itself.
  EXPECT_EQ(platform::ResolvePath("\\").name, ".");
  EXPECT_TRUE(platform::ResolvePath("/").exists);
  // A path the system would refuse is converted as written, final separator and all.
  const std::string tooLong(PATH_MAX, 'x');
  EXPECT_EQ(platform::SystemPath(tooLong + "\\"), tooLong + "/");
  EXPECT_EQ(platform::ResolvePath(tooLong).folder, -1);
}

TEST_F(PosixFolderTest, NamesTheCodePageCannotWriteNeverMatch) {
  // A Chinese and a Greek folder both read as "??" in the code page, as
  // does a name that is not UTF-8 at all: none of them is the folder "??",
  // and the program's "??" finds none of them.
  for (const char* name : {"\xe4\xb8\xad\xe6\x96\x87", "\xce\x95\xce\xbb", "\xff\xfe"}) {
    ASSERT_EQ(mkdir((folder_ + "/" + name).c_str(), 0777), 0);
    std::ofstream(folder_ + "/" + name + "/orvprint.tmp") << "DEVICE";
  }
  setenv("ORVTEST_VALUE", (folder_ + "/\xe4\xb8\xad\xe6\x96\x87/").c_str(), 1);
  const std::string session = platform::GetEnvironment("ORVTEST_VALUE");
  unsetenv("ORVTEST_VALUE");
  EXPECT_EQ(session, folder_ + "/?\?/");
  unsigned a = 0;
  const std::string paths[] = {session + "orvprint.tmp", folder_ + "\\?\?\\orvprint.tmp", folder_ + "\\??",
                               folder_ + "\\?\\orvprint.tmp", folder_ + "\\*\\orvprint.tmp"};
  for (const std::string& path : paths) {
    EXPECT_EQ(platform::OpenExistingForReading(path), 0) << path;
    EXPECT_FALSE(platform::FindEntryAttributes(path, &a)) << path;
  }
  EXPECT_EQ(platform::CreateOrEmptyForWriting(session + "doc.htm"), 0);
  // A folder really named "??" is a name like any other.
  EXPECT_TRUE(platform::MakeDirectory(folder_ + "\\??"));
  platform::FileNumber doc = platform::CreateOrEmptyForWriting(session + "doc.htm");
  EXPECT_NE(doc, 0);
  platform::CloseFile(doc);
  struct stat st;
  EXPECT_EQ(stat((folder_ + "/?\?/doc.htm").c_str(), &st), 0);
  for (const char* name : {"\xe4\xb8\xad\xe6\x96\x87", "\xce\x95\xce\xbb", "\xff\xfe"})
    EXPECT_NE(stat((folder_ + "/" + name + "/doc.htm").c_str(), &st), 0) << name;
}

TEST_F(PosixFolderTest, OnlyPlainFilesAreOpened) {
  // A pipe with no writer would block an open for reading for ever, one
  // with no reader an open for writing; a device or a folder is no file.
  ASSERT_EQ(mkfifo((folder_ + "/pipe").c_str(), 0666), 0);
  ASSERT_EQ(mkdir((folder_ + "/dir").c_str(), 0777), 0);
  for (const std::string& path : {folder_ + "\\pipe", folder_ + "\\PIPE", folder_ + "\\dir", std::string("/dev/null"),
                                  std::string("/dev/zero")}) {
    EXPECT_EQ(platform::OpenExistingForReading(path), 0) << path;
    EXPECT_EQ(platform::OpenOrCreateForUpdate(path), 0) << path;
    EXPECT_EQ(platform::CreateOrEmptyForWriting(path), 0) << path;
    EXPECT_EQ(platform::CreateNewForWriting(path), 0) << path;
  }
  // A plain file opened so reads and writes as before: it does not stay
  // non-blocking.
  std::ofstream(folder_ + "/plain") << "abc";
  platform::FileNumber file = platform::OpenOrCreateForUpdate(folder_ + "\\plain");
  ASSERT_NE(file, 0);
  EXPECT_TRUE(platform::WriteBytes(file, "xy", 2));
  platform::CloseFile(file);
  EXPECT_EQ(Slurp(folder_ + "/plain"), "xyc");
}

TEST_F(PosixFolderTest, LookUpsSeeChangesMadeByOthers) {
  // The program keeps each folder's names; what another program changes
  // in the folder is seen all the same.
  unsigned a = 0;
  const std::string upper = folder_ + "\\REPORT.TXT";
  EXPECT_FALSE(platform::FindEntryAttributes(upper, &a));
  std::ofstream(folder_ + "/report.txt") << "1";
  EXPECT_TRUE(platform::FindEntryAttributes(upper, &a));
  ASSERT_EQ(rename((folder_ + "/report.txt").c_str(), (folder_ + "/Report.old").c_str()), 0);
  EXPECT_FALSE(platform::FindEntryAttributes(upper, &a));
  EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\REPORT.OLD", &a));
  // A folder last changed long ago: the next change moves its stamps.
  struct timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, folder_.c_str(), old, 0), 0);
  EXPECT_FALSE(platform::FindEntryAttributes(folder_ + "\\LATE.TXT", &a));
  std::ofstream(folder_ + "/late.txt") << "1";
  EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\LATE.TXT", &a));
  EXPECT_EQ(platform::CreateNewForWriting(folder_ + "\\LATE.TXT"), 0);  // nor is it made again
  EXPECT_EQ(Slurp(folder_ + "/late.txt"), "1");
  // What the program makes itself is found at once, in any letter case.
  EXPECT_TRUE(platform::MakeDirectory(folder_ + "\\Made"));
  EXPECT_FALSE(platform::MakeDirectory(folder_ + "\\MADE"));
  EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\made", &a));
  EXPECT_TRUE(platform::RemoveFile(folder_ + "\\late.TXT"));
  EXPECT_FALSE(platform::FindEntryAttributes(folder_ + "\\LATE.TXT", &a));

  // Changes within one tick of the file system's clock leave the folder's
  // stamps as they were: a name another program adds in the tick the
  // program read the folder is found all the same, and a name the program
  // removes is free again. Tried until both happened within one tick.
  auto sameStamps = [](const struct stat& x, const struct stat& y) {
    return x.st_mtim.tv_sec == y.st_mtim.tv_sec && x.st_mtim.tv_nsec == y.st_mtim.tv_nsec &&
           x.st_ctim.tv_sec == y.st_ctim.tv_sec && x.st_ctim.tv_nsec == y.st_ctim.tv_nsec;
  };
  bool addedInTick = false, removedInTick = false;
  for (int i = 0; i < 50 && !(addedInTick && removedInTick); ++i) {
    const std::string n = std::to_string(i);
    struct stat before, after;
    std::ofstream(folder_ + "/early" + n) << "1";
    EXPECT_FALSE(platform::FindEntryAttributes(folder_ + "\\LATER" + n, &a));
    ASSERT_EQ(stat(folder_.c_str(), &before), 0);
    std::ofstream(folder_ + "/later" + n) << "1";
    ASSERT_EQ(stat(folder_.c_str(), &after), 0);
    EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\LATER" + n, &a)) << i;
    EXPECT_EQ(platform::CreateNewForWriting(folder_ + "\\Later" + n), 0) << i;
    addedInTick = addedInTick || sameStamps(before, after);

    std::ofstream(folder_ + "/gone" + n) << "1";
    EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\GONE" + n, &a));
    ASSERT_EQ(stat(folder_.c_str(), &before), 0);
    EXPECT_TRUE(platform::RemoveFile(folder_ + "\\GONE" + n));
    ASSERT_EQ(stat(folder_.c_str(), &after), 0);
    EXPECT_TRUE(platform::MakeDirectory(folder_ + "\\GONE" + n)) << i;
    removedInTick = removedInTick || sameStamps(before, after);
  }
}

TEST_F(PosixFolderTest, DeepFoldersAndTheFolderKeptOpen) {
  // Each level is found from the one before; the longest path the system
  // takes is the limit.
  std::string deep = folder_;
  for (int i = 0; i < 1500; ++i) deep += "\\a";
  for (size_t cut = folder_.size() + 2; cut <= deep.size(); cut += 2)
    ASSERT_TRUE(platform::MakeDirectory(deep.substr(0, cut))) << cut;
  platform::FileNumber file = platform::CreateOrEmptyForWriting(deep + "\\doc.htm");
  EXPECT_NE(file, 0);
  platform::CloseFile(file);
  std::string tooDeep = deep;
  while (tooDeep.size() < 4200) tooDeep += "\\a";
  EXPECT_FALSE(platform::MakeDirectory(tooDeep));
  unsigned a = 0;
  EXPECT_TRUE(platform::FindEntryAttributes(deep + "\\DOC.HTM", &a));

  // A folder removed and made again under the same name is the new one.
  EXPECT_EQ(system(("rm -rf '" + folder_ + "/a' && mkdir -p '" + folder_ + "/a/a' && touch '" + folder_ + "/a/a/fresh'")
                       .c_str()),
            0);
  EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\a\\a\\FRESH", &a));
  // So is the folder kept open since the last look-up.
  EXPECT_EQ(
      system(
          ("rm -rf '" + folder_ + "/a/a' && mkdir '" + folder_ + "/a/a' && touch '" + folder_ + "/a/a/newer'").c_str()),
      0);
  EXPECT_TRUE(platform::FindEntryAttributes(folder_ + "\\a\\a\\NEWER", &a));
  EXPECT_FALSE(platform::FindEntryAttributes(deep + "\\doc.htm", &a));

  // A relative path follows the current directory.
  TempFolder other;
  ASSERT_EQ(chdir(folder_.c_str()), 0);
  EXPECT_TRUE(platform::MakeDirectory("rel"));
  EXPECT_TRUE(platform::MakeDirectory("rel\\sub"));
  ASSERT_EQ(chdir(other.path().c_str()), 0);
  EXPECT_FALSE(platform::MakeDirectory("rel\\sub2"));
  EXPECT_TRUE(platform::MakeDirectory("rel"));
  EXPECT_TRUE(platform::MakeDirectory("rel\\sub"));
  ASSERT_EQ(chdir("/"), 0);
  struct stat st;
  EXPECT_EQ(stat((folder_ + "/rel/sub").c_str(), &st), 0);
  EXPECT_NE(stat((folder_ + "/rel/sub2").c_str(), &st), 0);
  EXPECT_EQ(stat((other.path() + "/rel/sub").c_str(), &st), 0);
}

// One step of a session with the folders the resolver keeps open: the
// program's own operation on a path under the test folder, or another
// program's work there (a shell command run in the folder), and what it gives.
struct FolderStep {
  enum Kind { kMakeFolder, kCreateNew, kFind, kOther, kTick } kind;
  const char* what;  // a path with backslashes, or a shell command
  bool expected;
};

struct FolderSession {
  const char* name;
  std::vector<FolderStep> steps;
};

// Waits for the file system's coarse clock to step, so that another
// program's change cannot share the stamps of the program's last one on a
// system whose clock does not give each change a finer time.
void WaitForTick() {
  timespec start, now;
  clock_gettime(CLOCK_REALTIME_COARSE, &start);
  do {
    usleep(200);
    clock_gettime(CLOCK_REALTIME_COARSE, &now);
  } while (now.tv_sec == start.tv_sec && now.tv_nsec == start.tv_nsec);
}

TEST_F(PosixFolderTest, KeptFoldersFollowWhatOthersDo) {
  using S = FolderStep;
  const std::string tooLong = "a\\" + std::string(NAME_MAX + 1, 'x');
  const FolderSession sessions[] = {
      {"up and down the kept folders",
       {{S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\b", true},
        {S::kMakeFolder, "a\\b\\c", true},
        {S::kCreateNew, "a\\b\\c\\one.htm", true},
        {S::kMakeFolder, "a\\x", true},
        {S::kMakeFolder, "a\\x\\y", true},
        {S::kCreateNew, "a\\x\\y\\two.htm", true},
        {S::kFind, "a\\B\\C\\ONE.HTM", true},
        {S::kCreateNew, "a\\b\\c\\One.htm", false},
        {S::kMakeFolder, "a\\B", false},
        {S::kFind, "a\\b\\..\\x\\Y\\two.HTM", true},
        {S::kCreateNew, "a\\b\\c\\..\\..\\x\\.\\y\\three.htm", true},
        {S::kFind, "a\\x\\y\\three.htm", true},
        {S::kFind, "a\\b\\c\\three.htm", false},
        {S::kOther, "test -f a/x/y/three.htm && test -f a/b/c/one.htm", true}}},
      {"the kept folder renamed and another made under its name",
       {{S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\b", true},
        {S::kCreateNew, "a\\b\\one.htm", true},
        {S::kOther, "mv a/b a/old && mkdir a/b", true},
        {S::kFind, "a\\b\\one.htm", false},
        {S::kMakeFolder, "a\\b", false},
        {S::kCreateNew, "a\\b\\two.htm", true},
        {S::kOther, "test -f a/b/two.htm && ! test -e a/old/two.htm", true}}},
      {"a folder above the kept one renamed",
       {{S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\b", true},
        {S::kMakeFolder, "a\\b\\c", true},
        {S::kOther, "mv a old", true},
        {S::kFind, "a\\b\\c", false},
        {S::kMakeFolder, "a\\b\\c", false},
        {S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\b", true},
        {S::kMakeFolder, "a\\b\\c", true},
        {S::kCreateNew, "a\\b\\c\\doc.htm", true},
        {S::kOther, "test -f a/b/c/doc.htm && ! test -e old/b/c/doc.htm", true}}},
      {"the kept folder removed, then made again by the program",
       {{S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\b", true},
        {S::kCreateNew, "a\\b\\one.htm", true},
        {S::kOther, "rm -r a/b", true},
        {S::kCreateNew, "a\\b\\two.htm", false},
        {S::kMakeFolder, "a\\b", true},
        {S::kFind, "a\\b\\ONE.HTM", false},
        {S::kCreateNew, "a\\b\\one.htm", true},
        {S::kOther, "test -f a/b/one.htm", true}}},
      {"a folder made by another program between two look-ups",
       {{S::kMakeFolder, "a", true},
        {S::kFind, "a\\NEW\\f.txt", false},
        {S::kOther, "mkdir a/new && touch a/new/f.txt", true},
        {S::kFind, "a\\NEW\\F.TXT", true},
        {S::kMakeFolder, "a\\New", false},
        {S::kCreateNew, "a\\NEW\\g.htm", true},
        {S::kOther, "test -f a/new/g.htm", true}}},
      {"a name made by another program in another letter case in a folder just made",
       {{S::kMakeFolder, "a", true},
        {S::kMakeFolder, "a\\made", true},
        {S::kTick, "", true},
        {S::kOther, "touch a/made/DOC.HTM && mkdir a/made/SUB", true},
        {S::kFind, "a\\made\\doc.htm", true},
        {S::kCreateNew, "a\\made\\doc.htm", false},
        {S::kMakeFolder, "a\\made\\Sub", false},
        {S::kCreateNew, "a\\made\\sub\\x.htm", true},
        {S::kOther, "test -f a/made/SUB/x.htm && ! test -e a/made/doc.htm", true}}},
      {"names taken by another program right after the program's own change",
       {{S::kMakeFolder, "a", true},
        {S::kCreateNew, "a\\one.htm", true},
        {S::kOther, "echo other >a/two.htm && mkdir a/sub", true},
        {S::kCreateNew, "a\\two.htm", false},
        {S::kFind, "a\\TWO.HTM", true},
        {S::kMakeFolder, "a\\sub", false},
        {S::kMakeFolder, "a\\SUB", false},
        {S::kCreateNew, "a\\SUB\\x.htm", true},
        {S::kMakeFolder, tooLong.c_str(), false},
        {S::kOther, "test -f a/sub/x.htm && grep -qx other a/two.htm", true}}},
  };
  for (const FolderSession& session : sessions) {
    temp_.Clear();
    for (size_t i = 0; i < session.steps.size(); ++i) {
      const FolderStep& step = session.steps[i];
      const std::string path = folder_ + "\\" + step.what;
      bool got = false;
      unsigned a = 0;
      switch (step.kind) {
        case FolderStep::kMakeFolder:
          got = platform::MakeDirectory(path);
          break;
        case FolderStep::kCreateNew: {
          platform::FileNumber file = platform::CreateNewForWriting(path);
          got = file != 0;
          platform::CloseFile(file);
          break;
        }
        case FolderStep::kFind:
          got = platform::FindEntryAttributes(path, &a);
          break;
        case FolderStep::kOther:
          got = system(("cd '" + folder_ + "' && " + step.what).c_str()) == 0;
          break;
        case FolderStep::kTick:
          WaitForTick();
          got = true;
          break;
      }
      EXPECT_EQ(got, step.expected) << session.name << ", step " << i + 1 << ": " << step.what;
    }
  }
}

TEST_F(PosixFolderTest, HiddenAndReadOnlyFiles) {
  std::ofstream(folder_ + "/.hidden") << "x";
  std::ofstream(folder_ + "/locked") << "x";
  chmod((folder_ + "/locked").c_str(), 0444);
  mkfifo((folder_ + "/pipe").c_str(), 0666);
  unsigned a = 0;
  ASSERT_TRUE(platform::FindEntryAttributes(folder_ + "\\.hidden", &a));
  EXPECT_EQ(a, platform::kArchive | platform::kHidden);
  ASSERT_TRUE(platform::FindEntryAttributes(folder_ + "\\locked", &a));
  EXPECT_EQ(a, platform::kArchive | platform::kReadOnly);
  ASSERT_TRUE(platform::FindEntryAttributes(folder_ + "\\pipe", &a));
  EXPECT_EQ(a, platform::kSystem);
  // None of them is taken for a new file, in any letter case, and each
  // keeps its bytes and its mode.
  for (const char* name : {".hidden", ".HIDDEN", "locked", "Locked", "pipe", "PIPE"})
    EXPECT_EQ(platform::CreateNewForWriting(folder_ + "\\" + name), 0) << name;
  EXPECT_EQ(Slurp(folder_ + "/.hidden"), "x");
  EXPECT_EQ(Slurp(folder_ + "/locked"), "x");
  struct stat st;
  ASSERT_EQ(stat((folder_ + "/locked").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  // Nor is a name a link takes, even one that leads nowhere.
  ASSERT_EQ(symlink("nowhere", (folder_ + "/link.htm").c_str()), 0);
  EXPECT_EQ(platform::CreateNewForWriting(folder_ + "\\LINK.HTM"), 0);
  EXPECT_NE(stat((folder_ + "/nowhere").c_str(), &st), 0);
}

}  // namespace
