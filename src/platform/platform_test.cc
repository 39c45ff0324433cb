// SPDX-License-Identifier: MIT
// The platform's file operations, run against the system's file system of
// the build (natively, and under Wine for the Windows build) and against
// the in-memory one, which must behave the same way.
#include "platform/platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "support/temp_folder.h"

using testing_support::TempFolder;

#include "platform/file_system.h"
#include "platform/memory/files-memory.h"
#include "platform/memory/services-memory.h"

namespace {

enum class Files { kSystem, kMemory };

class PlatformFileTest : public ::testing::TestWithParam<Files> {
 protected:
  void SetUp() override {
    if (GetParam() == Files::kMemory) {
      memory_.reset(new platform::MemoryFileSystem);
      ASSERT_TRUE(memory_->AddDirectory(folder_.path()));
      scoped_.reset(new platform::ScopedFileSystem(*memory_));
    }
  }
  void TearDown() override {
    platform::CloseAllFiles();
    scoped_.reset();
  }
  std::string Path(const std::string& name) { return folder_ / name; }
  void WriteFile(const std::string& path, const std::string& bytes) {
    platform::FileNumber f = platform::CreateOrEmptyForWriting(path);
    ASSERT_NE(f, 0) << path;
    ASSERT_TRUE(platform::WriteBytes(f, bytes.data(), bytes.size()));
    platform::CloseFile(f);
  }
  std::string ReadFile(const std::string& path) {
    platform::FileNumber f = platform::OpenExistingForReading(path);
    std::string bytes;
    char buffer[7];  // small on purpose: reads must continue where they stopped
    for (size_t n; (n = platform::ReadBytes(f, buffer, sizeof buffer)) > 0;) bytes.append(buffer, n);
    platform::CloseFile(f);
    return bytes;
  }
  TempFolder folder_;
  std::unique_ptr<platform::MemoryFileSystem> memory_;
  std::unique_ptr<platform::ScopedFileSystem> scoped_;
};

TEST_P(PlatformFileTest, FileNumbersAreTheNextFreeOnes) {
  WriteFile(Path("a"), "a");
  platform::FileNumber first = platform::OpenExistingForReading(Path("a"));
  platform::FileNumber second = platform::OpenExistingForReading(Path("a"));
  platform::FileNumber third = platform::OpenOrCreateForUpdate(Path("b"));
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(third, 3);
  platform::CloseFile(second);
  EXPECT_EQ(platform::OpenExistingForReading(Path("a")), 2);
  platform::CloseAllFiles();
  EXPECT_EQ(platform::OpenExistingForReading(Path("a")), 1);
}

TEST_P(PlatformFileTest, OperationsOnNoFileDoNothing) {
  char buffer[4];
  for (platform::FileNumber f : {0, -1, 5, 1000}) {
    EXPECT_EQ(platform::ReadBytes(f, buffer, sizeof buffer), 0u);
    EXPECT_FALSE(platform::WriteBytes(f, "x", 1));
    EXPECT_FALSE(platform::SeekFile(f, 0));
    EXPECT_EQ(platform::FileSize(f), -1);
    platform::CloseFile(f);
  }
  EXPECT_EQ(platform::OpenExistingForReading(Path("missing")), 0);
  EXPECT_EQ(platform::CreateOrEmptyForWriting(Path("no\\such\\folder")), 0);
  EXPECT_FALSE(platform::RemoveFile(Path("missing")));
}

TEST_P(PlatformFileTest, CreateOrEmptyEmptiesAnExistingFile) {
  WriteFile(Path("doc.htm"), "a long first version");
  WriteFile(Path("doc.htm"), "short");
  EXPECT_EQ(ReadFile(Path("doc.htm")), "short");
}

TEST_P(PlatformFileTest, CreateNewTakesOnlyAFreeName) {
  // The first creation makes the file; every later one under that name, in
  // any letter case, fails and leaves the file as it is, open or closed.
  platform::FileNumber f = platform::CreateNewForWriting(Path("Doc.htm"));
  ASSERT_NE(f, 0);
  ASSERT_TRUE(platform::WriteBytes(f, "first", 5));
  platform::FileNumber reader = platform::OpenExistingForReading(Path("doc.htm"));  // shared for reading
  EXPECT_NE(reader, 0);
  platform::CloseFile(reader);
  for (const char* name : {"Doc.htm", "DOC.HTM", "doc.htm"}) EXPECT_EQ(platform::CreateNewForWriting(Path(name)), 0);
  platform::CloseFile(f);
  for (const char* name : {"Doc.htm", "DOC.HTM"}) EXPECT_EQ(platform::CreateNewForWriting(Path(name)), 0);
  EXPECT_EQ(ReadFile(Path("Doc.htm")), "first");

  // A folder of the name is taken too; a missing folder refuses.
  ASSERT_TRUE(platform::MakeDirectory(Path("Taken.htm")));
  EXPECT_EQ(platform::CreateNewForWriting(Path("taken.HTM")), 0);
  unsigned attributes = 0;
  ASSERT_TRUE(platform::FindEntryAttributes(Path("Taken.htm"), &attributes));
  EXPECT_TRUE(attributes & platform::kDirectory);
  EXPECT_EQ(platform::CreateNewForWriting(Path("no\\such\\doc.htm")), 0);
  EXPECT_FALSE(platform::FindEntryAttributes(Path("no\\such\\doc.htm"), &attributes));
  // In the folder, a free name is made.
  EXPECT_NE(platform::CreateNewForWriting(Path("Taken.htm\\inner.htm")), 0);
}

TEST_P(PlatformFileTest, UpdateReadsWritesSeeksAndKeepsContents) {
  WriteFile(Path("stack"), "0123456789");
  platform::FileNumber f = platform::OpenOrCreateForUpdate(Path("stack"));
  ASSERT_NE(f, 0);
  EXPECT_EQ(platform::FileSize(f), 10);
  ASSERT_TRUE(platform::SeekFile(f, 4));
  ASSERT_TRUE(platform::WriteBytes(f, "ab", 2));
  char buffer[3] = {};
  EXPECT_EQ(platform::ReadBytes(f, buffer, 3), 3u);
  EXPECT_EQ(std::string(buffer, 3), "678");
  ASSERT_TRUE(platform::SeekFile(f, 12));
  ASSERT_TRUE(platform::WriteBytes(f, "Z", 1));
  EXPECT_EQ(platform::FileSize(f), 13);
  platform::CloseFile(f);
  EXPECT_EQ(ReadFile(Path("stack")), std::string("0123ab6789\0\0Z", 13));

  platform::FileNumber fresh = platform::OpenOrCreateForUpdate(Path("new"));
  EXPECT_NE(fresh, 0);
  EXPECT_EQ(platform::FileSize(fresh), 0);
}

TEST_P(PlatformFileTest, ReadingIsSharedWithAWriter) {
  platform::FileNumber writer = platform::CreateOrEmptyForWriting(Path("shared"));
  ASSERT_NE(writer, 0);
  ASSERT_TRUE(platform::WriteBytes(writer, "abc", 3));
  platform::FileNumber reader = platform::OpenExistingForReading(Path("shared"));
  ASSERT_NE(reader, 0);
  platform::FileNumber updater = platform::OpenOrCreateForUpdate(Path("shared"));
  EXPECT_NE(updater, 0);
}

TEST_P(PlatformFileTest, AllByteValuesSurviveAWriteAndARead) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += "\r\n\x1a\r";
  WriteFile(Path("bytes"), bytes);
  EXPECT_EQ(ReadFile(Path("bytes")), bytes);
}

TEST_P(PlatformFileTest, DirectoriesAndAttributes) {
  EXPECT_TRUE(platform::MakeDirectory(Path("sub")));
  EXPECT_FALSE(platform::MakeDirectory(Path("sub")));
  EXPECT_TRUE(platform::MakeDirectory(Path("sub\\inner")));
  unsigned attributes = 0;
  ASSERT_TRUE(platform::FindEntryAttributes(Path("sub"), &attributes));
  EXPECT_TRUE(attributes & platform::kDirectory);

  WriteFile(Path("plain.htm"), "x");
  ASSERT_TRUE(platform::FindEntryAttributes(Path("plain.htm"), &attributes));
  EXPECT_FALSE(attributes & platform::kDirectory);
  EXPECT_FALSE(attributes & (platform::kReadOnly | platform::kHidden | platform::kSystem));

  // A final separator names a folder, which the search does not find.
  EXPECT_FALSE(platform::FindEntryAttributes(Path("sub\\"), &attributes));
  EXPECT_FALSE(platform::FindEntryAttributes(Path("plain.htm\\"), &attributes));
  EXPECT_EQ(platform::OpenExistingForReading(Path("plain.htm\\")), 0);
  EXPECT_FALSE(platform::FindEntryAttributes(Path("absent.htm"), &attributes));
  EXPECT_TRUE(platform::RemoveFile(Path("plain.htm")));
  EXPECT_FALSE(platform::FindEntryAttributes(Path("plain.htm"), &attributes));

  // A path holding a NUL byte names nothing: not the shorter path before it.
  WriteFile(Path("cut"), "kept");
  for (const std::string& path : {Path("made") + std::string(1, '\0') + "here", Path("cut") + std::string(1, '\0'),
                                  Path("sub") + std::string("\0\\x", 3)}) {
    EXPECT_FALSE(platform::MakeDirectory(path));
    EXPECT_EQ(platform::OpenOrCreateForUpdate(path), 0);
    EXPECT_EQ(platform::CreateOrEmptyForWriting(path), 0);
    EXPECT_EQ(platform::OpenExistingForReading(path), 0);
    EXPECT_FALSE(platform::FindEntryAttributes(path, &attributes));
    EXPECT_FALSE(platform::RemoveFile(path));
  }
  EXPECT_FALSE(platform::FindEntryAttributes(Path("made"), &attributes));
  EXPECT_EQ(ReadFile(Path("cut")), "kept");
}

TEST_P(PlatformFileTest, FileNamesInAnyLetterCaseNameOneFile) {
  WriteFile(Path("OrvPrint.ini"), "[Opcions]");
  EXPECT_EQ(ReadFile(Path("ORVPRINT.INI")), "[Opcions]");
  EXPECT_EQ(ReadFile(Path("orvprint.ini")), "[Opcions]");
  unsigned attributes = 0;
  EXPECT_TRUE(platform::FindEntryAttributes(Path("ORVPRINT.ini"), &attributes));
}

// The trace's file: two runs append to it at once, each write whole at the
// end; it is told apart from other files whatever name it goes by.
TEST_P(PlatformFileTest, AppendingAndTellingFilesApart) {
  WriteFile(Path("trace.log"), "one\r\n");
  WriteFile(Path("other.log"), "");
  platform::FileHandle a = 0, b = 0;
  platform::FileSystem* first = platform::OpenUnnumbered(Path("trace.log"), platform::OpenMode::kAppendForWriting, a);
  platform::FileSystem* second = platform::OpenUnnumbered(Path("TRACE.LOG"), platform::OpenMode::kAppendForWriting, b);
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(first->Write(a, "two\r\n", 5));
  EXPECT_TRUE(second->Write(b, "three\r\n", 7));
  EXPECT_TRUE(first->Write(a, "four\r\n", 6));
  const std::pair<std::string, bool> names[] = {
      {Path("trace.log"), true}, {Path("Trace.Log"), true}, {Path("other.log"), false},
      {Path("missing"), false},  {folder_.path(), false},
  };
  for (const auto& name : names) EXPECT_EQ(first->SameFile(a, name.first), name.second) << name.first;
  first->Close(a);
  second->Close(b);
  EXPECT_EQ(ReadFile(Path("trace.log")), "one\r\ntwo\r\nthree\r\nfour\r\n");
  EXPECT_NE(platform::FoundEntryPath(Path("TRACE.LOG")), "");
  EXPECT_EQ(platform::FoundEntryPath(Path("missing")), "");
  platform::FileHandle h = 0;
  EXPECT_EQ(platform::OpenUnnumbered(folder_.path(), platform::OpenMode::kAppendForWriting, h), nullptr);
  platform::FileSystem* created = platform::OpenUnnumbered(Path("new.log"), platform::OpenMode::kAppendForWriting, h);
  ASSERT_TRUE(created);
  EXPECT_EQ(created->Size(h), 0);
  created->Close(h);
}

std::string FilesName(const ::testing::TestParamInfo<Files>& files) {
  return files.param == Files::kSystem ? "System" : "Memory";
}

INSTANTIATE_TEST_SUITE_P(FileSystems, PlatformFileTest, ::testing::Values(Files::kSystem, Files::kMemory), FilesName);

TEST(PlatformTest, ClockAndEnvironment) {
  platform::LocalTime now = platform::GetLocalTime();
  EXPECT_GE(now.year, 2000);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12);
  EXPECT_TRUE(now.day >= 1 && now.day <= 31);
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23);
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59);
  EXPECT_TRUE(now.second >= 0 && now.second <= 60);
  EXPECT_TRUE(now.millisecond >= 0 && now.millisecond <= 999);
  EXPECT_EQ(platform::GetEnvironment("ORVPRINT_SURELY_UNSET_VARIABLE"), "");
  EXPECT_NE(platform::ProcessId(), 0u);
}

TEST(PlatformTest, TheSystemsRandomSourceGivesNewBitsEachReading) {
  // Eight readings of 64 bits: a repeat, a 0 or a half never set would
  // each come by chance far less than once in 2^40 runs.
  std::set<uint64_t> seen;
  uint64_t any = 0;
  for (int i = 0; i < 8; ++i) {
    const uint64_t bits = platform::RandomSeed();
    EXPECT_NE(bits, 0u);
    seen.insert(bits);
    any |= bits;
  }
  EXPECT_EQ(seen.size(), 8u);
  EXPECT_NE(any & 0xFFFFFFFFu, 0u);
  EXPECT_NE(any >> 32, 0u);
}

TEST(PlatformTest, ServicesInMemoryStandInForTheSystem) {
  platform::MemoryServices memory;
  memory.SetEnvironment("Orvtmp", "C:\\Tmp");
  {
    platform::ScopedServices inUse(memory);
    EXPECT_EQ(platform::GetEnvironment("ORVTMP"), "C:\\Tmp");
    EXPECT_EQ(platform::RandomSeed(), 0u);  // names as without a random source
    memory.SetRandomBits(0x5EED);
    EXPECT_EQ(platform::RandomSeed(), 0x5EEDu);
    EXPECT_EQ(memory.RandomReads(), 2);
    EXPECT_EQ(platform::GetEnvironment("PATH"), "");
    EXPECT_EQ(platform::GetLocalTime().year, 2026);
    EXPECT_EQ(platform::ProcessId(), 4242u);
    EXPECT_TRUE(platform::RunAndWait("C:\\no\\such\\ORVEML").started);
    memory.SetExitCode(3);
    EXPECT_EQ(platform::RunAndWait("C:\\no\\such\\ORVEML").exitCode, 3);
    EXPECT_EQ(platform::Milliseconds(), 0);
    memory.RefuseStarting(true);
    EXPECT_NE(platform::RunAndWait("x").failure, "");
  }
  EXPECT_EQ(memory.CommandLines(), (std::vector<std::string>{"C:\\no\\such\\ORVEML", "C:\\no\\such\\ORVEML", "x"}));
  EXPECT_EQ(platform::GetEnvironment("ORVTMP_SURELY_UNSET_HERE"), "");
  EXPECT_FALSE(platform::RunAndWait("orvprint-no-such-program-anywhere").started);
}

TEST(PlatformTest, AProgramThatCannotStartIsReported) {
  EXPECT_FALSE(platform::RunAndWait("").started);
  EXPECT_FALSE(platform::RunAndWait("orvprint-no-such-program-anywhere").started);
  const platform::ProgramRun run = platform::RunAndWait("C:\\no\\such\\folder\\ORVEML");
  EXPECT_FALSE(run.started);
  EXPECT_NE(run.failure, "");  // the system's reason
}

}  // namespace
