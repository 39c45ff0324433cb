// SPDX-License-Identifier: MIT
// Directory levels, the plain-file rule and document names, checked on the
// pure parts exactly and against the real file system.
#include "fs/paths.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>
#include "platform/memory/files-memory.h"
#include "support/environment.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::DirectoryExists;
using testing_support::ScopedCurrentDirectory;
using testing_support::TempFolder;
using testing_support::WriteWholeFile;

namespace {

struct LevelsCase {
  std::string path;
  std::vector<std::string> levels;
};

TEST(DirectoryLevelsTest, ListsTheLevelsOutermostFirst) {
  const LevelsCase cases[] = {
      {"C:\\A\\B", {"C:\\A", "C:\\A\\B"}},
      {"C:\\A\\B\\", {"C:\\A", "C:\\A\\B"}},
      {"C:", {}},
      {"C:\\", {"C:\\"}},
      {"C:A", {"C:A"}},
      {"A\\B", {"A", "A\\B"}},
      {"A\\B\\", {"A", "A\\B"}},
      {"A", {"A"}},
      {"\\A\\B", {"\\A", "\\A\\B"}},
      {"C:/A/B", {"C:/A/B"}},
      {"C:\\A/B\\C", {"C:\\A/B", "C:\\A/B\\C"}},
      {"", {}},
      {"\\", {"\\"}},
      {"C:\\A\\B  ", {"C:\\A", "C:\\A\\B  "}},
      {"C:\\A\\ ", {"C:\\A"}},
      {"C:\\\\A", {"C:\\", "C:\\\\A"}},
      {"A:B:\\C", {"A:B:", "A:B:\\C"}},
      {"\\\\srv\\share\\dir", {"\\", "\\\\srv", "\\\\srv\\share", "\\\\srv\\share\\dir"}},
      {"D:\\Docs\\Out", {"D:\\Docs", "D:\\Docs\\Out"}},
  };
  for (const LevelsCase& c : cases) EXPECT_EQ(DirectoryLevels(c.path), c.levels) << "path: " << c.path;
}

TEST(DirectoryLevelsTest, EndsForAnyInput) {
  // Separators, colons and blanks in every arrangement of up to six bytes.
  const char alphabet[] = {'\\', ':', ' ', 'a', '/'};
  std::vector<std::string> paths = {""};
  for (int length = 1; length <= 6; ++length) {
    std::vector<std::string> longer;
    for (const std::string& p : paths)
      if (p.size() == static_cast<size_t>(length - 1))
        for (char c : alphabet) longer.push_back(p + c);
    paths.insert(paths.end(), longer.begin(), longer.end());
  }
  for (const std::string& path : paths) {
    std::vector<ByteString> levels = DirectoryLevels(path);
    ASSERT_LE(levels.size(), path.size() + 1) << path;
    for (size_t i = 1; i < levels.size(); ++i) EXPECT_GT(levels[i].size(), levels[i - 1].size()) << path;
  }
}

TEST(DirectoryLevelsTest, LevelsLongerThanAnySystemPathAreLeftOut) {
  // No system takes a path of more than 32767 characters, and each level is
  // longer than the one before it, so the walk stops at the first such level.
  const std::string longest(32767, 'a');
  const LevelsCase cases[] = {
      {longest, {longest}},
      {longest + "a", {}},
      {longest + "\\b", {longest}},
      {"C:\\" + longest.substr(3) + "\\b", {"C:\\" + longest.substr(3)}},
      {"C:\\x\\" + longest, {"C:\\x"}},
      // A first level too long, then a run of separators: without the stop
      // every one of them would add a level as long as the whole path.
      {std::string(40000, 'a') + std::string(20000, '\\'), {}},
  };
  for (const LevelsCase& c : cases) {
    std::vector<ByteString> levels = DirectoryLevels(c.path);
    ASSERT_EQ(levels.size(), c.levels.size()) << "path of " << c.path.size() << " bytes";
    EXPECT_TRUE(levels == c.levels) << "path of " << c.path.size() << " bytes";
  }
}

TEST(MakeDirectoryPathTest, CreatesEveryMissingLevel) {
  TempFolder folder;
  MakeDirectoryPath(folder.Path("a\\b\\c"));
  EXPECT_TRUE(DirectoryExists(folder.Path("a")));
  EXPECT_TRUE(DirectoryExists(folder.Path("a\\b")));
  EXPECT_TRUE(DirectoryExists(folder.Path("a\\b\\c")));
  MakeDirectoryPath(folder.Path("a\\b\\c"));  // existing levels are no failure
  MakeDirectoryPath(folder.Path("a\\x\\y\\"));
  EXPECT_TRUE(DirectoryExists(folder.Path("a\\x\\y")));
}

TEST(MakeDirectoryPathTest, SlashesDoNotSeparateLevels) {
  TempFolder folder;
  MakeDirectoryPath(folder.Path("s/t"));
  EXPECT_FALSE(DirectoryExists(folder.Path("s")));
  MakeDirectoryPath(folder.Path("s"));
  MakeDirectoryPath(folder.Path("s/t"));
  EXPECT_TRUE(DirectoryExists(folder.Path("s\\t")));
}

TEST(MakeDirectoryPathTest, AHugePathEndsPromptlyAndCreatesWhatFits) {
  TempFolder folder;
  MakeDirectoryPath(folder.Path("fits\\") + std::string(40000, 'a') + std::string(1000000, '\\'));
  EXPECT_TRUE(DirectoryExists(folder.Path("fits")));
}

TEST(MakeDirectoryPathTest, RelativePathsStartAtTheCurrentDirectory) {
  TempFolder folder;
  {
    ScopedCurrentDirectory here(folder.path());
    ASSERT_TRUE(here.ok());
    MakeDirectoryPath("A\\B");
  }
  EXPECT_TRUE(DirectoryExists(folder.Path("A\\B")));
}

TEST(MakeDirectoryPathTest, AFileInTheWayIsSkippedSilently) {
  TempFolder folder;
  ASSERT_TRUE(WriteWholeFile(folder.Path("f"), "data"));
  MakeDirectoryPath(folder.Path("f\\g\\h"));
  EXPECT_FALSE(DirectoryExists(folder.Path("f\\g")));
  EXPECT_TRUE(PlainFileExists(folder.Path("f")));
  MakeDirectoryPath("");
}

struct AttributesCase {
  unsigned attributes;
  bool plain;
};

TEST(IsPlainFileAttributesTest, OrdinaryFilesOnly) {
  using namespace platform;
  const AttributesCase cases[] = {
      {0, true},
      {kArchive, true},
      {0x80, true},    // "normal": no bit of either group
      {0x2000, true},  // other bits do not count
      {kArchive | 0x100, true},
      {kDirectory, false},
      {kDirectory | kArchive, true},
      {kVolumeLabel, false},
      {kVolumeLabel | kArchive, true},
      {kReadOnly, false},
      {kHidden, false},
      {kSystem, false},
      {kArchive | kReadOnly, false},
      {kArchive | kHidden, false},
      {kArchive | kSystem, false},
      {kDirectory | kHidden, false},
      {0xFFFFFFFFu, false},
  };
  for (const AttributesCase& c : cases) EXPECT_EQ(IsPlainFileAttributes(c.attributes), c.plain) << c.attributes;
}

TEST(PlainFileExistsTest, FindsOrdinaryFilesOnly) {
  TempFolder folder;
  ASSERT_TRUE(WriteWholeFile(folder.Path("file.txt"), "x"));
  ASSERT_TRUE(WriteWholeFile(folder.Path("empty.txt"), ""));
  MakeDirectoryPath(folder.Path("dir"));
  EXPECT_TRUE(PlainFileExists(folder.Path("file.txt")));
  EXPECT_TRUE(PlainFileExists(folder.Path("empty.txt")));
  EXPECT_TRUE(PlainFileExists(folder.Path("FILE.TXT")));  // names differ only in letter case
  EXPECT_FALSE(PlainFileExists(folder.Path("missing.txt")));
  EXPECT_FALSE(PlainFileExists(folder.Path("nowhere\\file.txt")));
  EXPECT_FALSE(PlainFileExists(folder.Path("dir")));
  EXPECT_FALSE(PlainFileExists(""));
}

struct SeedCase {
  platform::LocalTime time;
  uint32_t processId;
  uint64_t random;
  uint32_t attempt;
  uint64_t seed;
};

TEST(UniqueNameSeedTest, HundredthsOfTheDayTheProcessTheRandomBitsAndTheAttempt) {
  const SeedCase cases[] = {
      {{2026, 1, 1, 0, 0, 0, 0}, 0, 0, 0, 0},
      {{2026, 1, 1, 0, 0, 0, 9}, 0, 0, 0, 0},
      {{2026, 1, 1, 0, 0, 0, 10}, 0, 0, 0, 1},
      {{2026, 1, 1, 0, 0, 1, 0}, 0, 0, 0, 100},
      {{2026, 1, 1, 0, 1, 0, 0}, 0, 0, 0, 6000},
      {{2026, 1, 1, 1, 0, 0, 0}, 0, 0, 0, 360000},
      {{1999, 12, 31, 23, 59, 59, 999}, 0, 0, 0, 8639999},
      {{2026, 6, 1, 0, 0, 0, 0}, 1, 0, 0, 1ull << 32},
      {{2026, 6, 1, 0, 0, 1, 0}, 0xFFFFFFFFu, 0, 0, 0xFFFFFFFF00000064ull},
      // Each later attempt of the same hundredth seeds anew.
      {{2026, 1, 1, 0, 0, 0, 0}, 0, 0, 1, 0xD1B54A32D192ED03ull},
      {{2026, 1, 1, 0, 0, 0, 0}, 0, 0, 2, 0xA36A9465A325DA06ull},
      {{2026, 6, 1, 0, 0, 1, 0}, 1, 0, 1, 0xD1B54A33D192ED67ull},
      {{1999, 12, 31, 23, 59, 59, 999}, 0xFFFFFFFFu, 0, 0xFFFFFFFFu, 0x00225D2F2EEEC702ull},
      // The random bits tell apart runs of the same process id in the same
      // hundredth, as on two machines sharing a folder; every bit counts.
      {{2026, 1, 1, 0, 0, 0, 0}, 0, 1, 0, 1},
      {{2026, 1, 1, 0, 0, 1, 0}, 1, 0x8000000000000000ull, 0, 0x8000000100000064ull},
      {{2026, 1, 1, 0, 0, 1, 0}, 1, 0xFFFFFFFFFFFFFFFFull, 0, 0xFFFFFFFEFFFFFF9Bull},
  };
  for (const SeedCase& c : cases) EXPECT_EQ(UniqueNameSeed(c.time, c.processId, c.random, c.attempt), c.seed);
  // The date does not take part.
  EXPECT_EQ(UniqueNameSeed({2026, 1, 1, 12, 0, 0, 0}, 5, 7, 0), UniqueNameSeed({2030, 7, 9, 12, 0, 0, 0}, 5, 7, 0));
}

bool IsNameCharacter(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); }

struct NameCase {
  const char* directory;
  const char* prefix;
  const char* extension;
  const char* start;  // directory and prefix part
  size_t random;      // number of random characters
  const char* end;    // extension part
};

TEST(BuildUniqueFileNameTest, NameShapes) {
  const NameCase cases[] = {
      {"C:\\Out", "", "htm", "C:\\Out\\", 8, ".htm"},
      {"C:\\Out\\", "", "htm", "C:\\Out\\", 8, ".htm"},
      {"C:\\Out", "", ".htm", "C:\\Out\\", 8, ".htm"},
      {"C:\\Out", "", "", "C:\\Out\\", 8, ""},
      {"C:\\Out", "", "  ", "C:\\Out\\", 8, ""},
      {"C:\\Out", "", ".", "C:\\Out\\", 8, ""},
      {"C:\\Out", "", "..", "C:\\Out\\", 8, ".."},
      {"C:\\Out", "", "html", "C:\\Out\\", 8, ".htm"},
      {"C:\\Out", "", " .HTML ", "C:\\Out\\", 8, ".HTM"},
      {"C:\\Out", "INV", "htm", "C:\\Out\\INV", 5, ".htm"},
      {"C:\\Out", "  INVOICE ", "htm", "C:\\Out\\INV", 5, ".htm"},
      {"C:\\Out", "AB", "htm", "C:\\Out\\AB", 6, ".htm"},
      {"C:\\Out", " I N", "htm", "C:\\Out\\I N", 5, ".htm"},
      {"", "", "htm", "", 8, ".htm"},
      {"   ", "", "htm", "", 8, ".htm"},
      {"  C:\\Out  ", "", "htm", "C:\\Out\\", 8, ".htm"},
      {"D:", "", "htm", "D:", 8, ".htm"},
      {"C:/docs/", "", "htm", "C:/docs/", 8, ".htm"},
      {"C:/docs", "", "htm", "C:/docs\\", 8, ".htm"},
      {"Out", "", "htm", "Out\\", 8, ".htm"},
  };
  for (const NameCase& c : cases) {
    for (uint64_t seed : {0ull, 1ull, 123456789ull, 0xFFFFFFFFFFFFFFFFull}) {
      const std::string name = BuildUniqueFileName(c.directory, c.prefix, c.extension, seed);
      const std::string start = c.start, end = c.end;
      ASSERT_EQ(name.size(), start.size() + c.random + end.size()) << name;
      EXPECT_EQ(name.substr(0, start.size()), start) << name;
      EXPECT_EQ(name.substr(name.size() - end.size()), end) << name;
      for (size_t i = start.size(); i < start.size() + c.random; ++i) EXPECT_TRUE(IsNameCharacter(name[i])) << name;
    }
  }
}

TEST(BuildUniqueFileNameTest, TheSeedAloneDecides) {
  EXPECT_EQ(BuildUniqueFileName("C:\\Out", "", "htm", 42), BuildUniqueFileName("C:\\Out", "", "htm", 42));
  // The random part does not depend on the directory or the extension.
  EXPECT_EQ(BuildUniqueFileName("C:\\Out", "", "htm", 42).substr(7, 8), BuildUniqueFileName("", "", "", 42));
  // Two runs in the same hundredth of a second differ by their process.
  platform::LocalTime noon{2026, 3, 4, 12, 0, 0, 0};
  EXPECT_NE(BuildUniqueFileName("", "", "htm", UniqueNameSeed(noon, 100, 0, 0)),
            BuildUniqueFileName("", "", "htm", UniqueNameSeed(noon, 101, 0, 0)));
  // And runs of one process id by their random bits.
  EXPECT_NE(BuildUniqueFileName("", "", "htm", UniqueNameSeed(noon, 1, 0x5EED, 0)),
            BuildUniqueFileName("", "", "htm", UniqueNameSeed(noon, 1, 0x5EEE, 0)));
}

TEST(BuildUniqueFileNameTest, NeighbouringSeedsGiveDistinctEvenlySpreadNames) {
  std::set<std::string> names;
  std::map<char, int> counts;
  int drawn = 0;
  for (uint32_t process = 1000; process < 1010; ++process) {
    for (int hundredth = 0; hundredth < 1000; ++hundredth) {
      platform::LocalTime time{2026, 3, 4, 9, 30, hundredth / 100, (hundredth % 100) * 10};
      std::string name = BuildUniqueFileName("", "", "", UniqueNameSeed(time, process, 0, 0));
      names.insert(name);
      for (char c : name) ++counts[c], ++drawn;
    }
  }
  EXPECT_EQ(names.size(), 10000u);
  ASSERT_EQ(counts.size(), 36u);
  for (const auto& count : counts) {
    EXPECT_TRUE(IsNameCharacter(count.first));
    EXPECT_GT(count.second, drawn / 36 * 8 / 10) << count.first;
    EXPECT_LT(count.second, drawn / 36 * 12 / 10) << count.first;
  }
}

TEST(MakeUniqueFileNameTest, NamesAFreeFileWithoutCreatingIt) {
  TempFolder folder;
  NameSource source;
  for (const char* directory : {"", "\\"}) {
    const std::string dir = folder.path() + directory;
    const std::string name = MakeUniqueFileName(dir, "", "htm", source);
    const std::string start = folder.path() + "\\";
    ASSERT_EQ(name.size(), start.size() + 12) << name;
    EXPECT_EQ(name.substr(0, start.size()), start);
    EXPECT_EQ(name.substr(name.size() - 4), ".htm");
    EXPECT_FALSE(PlainFileExists(name));
    EXPECT_EQ(platform::OpenExistingForReading(name), 0);
  }
  EXPECT_EQ(source.attempts, 2u);
  EXPECT_EQ(MakeUniqueFileName("", "", "htm", source).size(), 12u);
  EXPECT_EQ(MakeUniqueFileName("", "ORV", "", source).size(), 8u);
}

TEST(MakeUniqueFileNameTest, PassesOverNamesThatAreTakenWithoutWaiting) {
  // Take the names of the next ten attempts in this hundredth of a second:
  // the eleventh attempt gives the name, in the same hundredth.
  platform::MemoryFileSystem files;
  platform::ScopedFileSystem useFiles(files);
  const std::string dir = "C:\\Out";
  const uint64_t kRandom = 0x0123456789ABCDEFull;
  const platform::LocalTime now = platform::GetLocalTime();
  std::set<std::string> taken;
  for (uint32_t attempt = 5; attempt < 15; ++attempt) {
    std::string name =
        BuildUniqueFileName(dir, "", "htm", UniqueNameSeed(now, platform::ProcessId(), kRandom, attempt));
    ASSERT_TRUE(files.AddFile(name, "taken"));
    taken.insert(name);
  }
  NameSource source{kRandom, 5};
  const std::string name = MakeUniqueFileName(dir, "", "htm", source);
  const platform::LocalTime after = platform::GetLocalTime();
  EXPECT_EQ(taken.count(name), 0u);
  EXPECT_FALSE(PlainFileExists(name));
  if (UniqueNameSeed(after, 0, 0, 0) == UniqueNameSeed(now, 0, 0, 0)) {
    EXPECT_EQ(source.attempts, 16u);
    EXPECT_EQ(name, BuildUniqueFileName(dir, "", "htm", UniqueNameSeed(now, platform::ProcessId(), kRandom, 15)));
  }
}

TEST(MakeUniqueFileNameTest, NamesInOneFolderNeverRepeat) {
  // Documents made one after another in one folder, faster than the clock
  // moves: each name is new.
  platform::MemoryFileSystem files;
  platform::ScopedFileSystem useFiles(files);
  NameSource source;
  std::set<std::string> names;
  for (int i = 0; i < 300; ++i) {
    std::string name = MakeUniqueFileName("C:\\Out\\", "", "htm", source);
    ASSERT_TRUE(files.AddFile(name, ""));
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 300u);
  EXPECT_EQ(source.attempts, 300u);  // (a clash, one in ten billion, would add one)
}

}  // namespace
