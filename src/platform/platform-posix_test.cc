// The POSIX platform's text boundary, attributes and process start.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/path_resolver-posix.h"
#include "platform/platform.h"
#include "platform/text-posix.h"
#include "testing/temp_folder.h"

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(PosixTextTest, CodePageFromUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain ASCII", "plain ASCII"},
      {"\xc3\xa9t\xc3\xa9", "\x82t\x82"},         // é
      {"\xe2\x82\xac", "\xd5"},                    // euro sign
      {"\xe2\x94\x80", "\xc4"},                    // box drawings light horizontal
      {"\xc2\xa0", "\xff"},                        // no-break space
      {"\xe4\xb8\xad", "?"},                       // a character the code page lacks
      {"\xf0\x9f\x98\x80", "?"},                   // four-byte form, outside too
      {"\xc3", "?"},                               // cut short
      {"\xc3(", "?("},                             // continuation missing
      {"\xc0\xaf", "??"},                          // overlong slash
      {"\x80\xbf", "??"},                          // stray continuations
  };
  for (auto& c : cases) EXPECT_EQ(platform::CodePageFromUtf8(c.first), c.second) << c.first;
}

TEST(PosixTextTest, SplitCommandLineByWindowsRules) {
  using Words = std::vector<std::string>;
  const std::pair<const char*, Words> cases[] = {
      {"", {}},
      {"   ", {}},
      {"prog", {"prog"}},
      {"C:\\WINDOWS\\cmd.exe /C USTART C:\\TMP\\R.htm", {"C:\\WINDOWS\\cmd.exe", "/C", "USTART", "C:\\TMP\\R.htm"}},
      {"a  \t b", {"a", "b"}},
      {"\"C:\\Program Files\\ORVEML\"", {"C:\\Program Files\\ORVEML"}},
      {"x \"two words\" y", {"x", "two words", "y"}},
      {"x \"\" y", {"x", "", "y"}},
      {"ab\"c d\"e", {"abc de"}},
      {"\"unclosed quote", {"unclosed quote"}},
  };
  for (auto& c : cases) EXPECT_EQ(platform::SplitCommandLine(c.first), c.second) << c.first;
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
}

TEST_F(PosixFolderTest, EnvironmentValuesArriveInTheCodePage) {
  setenv("ORVTEST_VALUE", "Jos\xc3\xa9 \xe2\x82\xac", 1);
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "Jos\x82 \xd5");
  unsetenv("ORVTEST_VALUE");
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "");
}

TEST_F(PosixFolderTest, RunAndWaitPassesTheWordsAndWaits) {
  std::string record = folder_ + "/record.txt";
  setenv("ORVTEST_RECORD", record.c_str(), 1);
  std::string helper = ORVPRINT_TEST_HELPER_PATH;
  ASSERT_TRUE(platform::RunAndWait(helper + " /C USTART \"C:\\My Docs\\R.htm\" Jos\x82"));
  // The helper has ended and written its record before RunAndWait returned.
  EXPECT_EQ(Slurp(record), "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n[Jos\xc3\xa9]\n--\n");

  // A program folder written with backslashes names the same program.
  std::string dir = helper.substr(0, helper.rfind('/'));
  std::string name = helper.substr(helper.rfind('/') + 1);
  setenv("ORVTEST_EXIT", "3", 1);
  EXPECT_TRUE(platform::RunAndWait(dir + "\\" + name));
  unsetenv("ORVTEST_EXIT");
  unsetenv("ORVTEST_RECORD");
  EXPECT_EQ(Slurp(record), "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n[Jos\xc3\xa9]\n--\n<orvtest_helper>\n--\n");
}

TEST_F(PosixFolderTest, ProgramsStartWithTheSignalsThisRunIgnores) {
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &previous);
  std::string survived = folder_ + "/survived";
  // The child interrupts itself: it must end there, not run on.
  EXPECT_TRUE(platform::RunAndWait("/bin/sh -c \"kill -INT $$; echo on > " + survived + "\""));
  sigaction(SIGINT, &previous, nullptr);
  struct stat st;
  EXPECT_NE(stat(survived.c_str(), &st), 0);
}

}  // namespace
