// SPDX-License-Identifier: MIT
// The POSIX services: environment values in the code page, the random
// source, programs started with their words and waited for, with the
// terminal's signals their own.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/platform.h"
#include "support/files.h"
#include "support/temp_folder.h"

using testing_support::ReadFileBytes;
using testing_support::TempFolder;

namespace {

class PosixServicesTest : public ::testing::Test {
 protected:
  TempFolder temp_;
  const std::string folder_ = temp_.path();
};

TEST_F(PosixServicesTest, EnvironmentValuesArriveInTheCodePage) {
  setenv("ORVTEST_VALUE", "Jos\xc3\xa9 \xe2\x82\xac", 1);
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "Jos\x82 \xd5");
  unsetenv("ORVTEST_VALUE");
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "");
}

TEST_F(PosixServicesTest, RunAndWaitPassesTheWordsAndWaits) {
  std::string record = folder_ + "/record.txt";
  setenv("ORVTEST_RECORD", record.c_str(), 1);
  std::string helper = ORVPRINT_TEST_HELPER_PATH;
  ASSERT_TRUE(platform::RunAndWait(helper + " /C USTART \"C:\\My Docs\\R.htm\" Jos\x82").started);
  // The helper has ended and written its record before RunAndWait returned.
  EXPECT_EQ(ReadFileBytes(record), "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n[Jos\xc3\xa9]\n--\n");

  // A program folder written with backslashes names the same program.
  std::string dir = helper.substr(0, helper.rfind('/'));
  std::string name = helper.substr(helper.rfind('/') + 1);
  setenv("ORVTEST_EXIT", "3", 1);
  EXPECT_TRUE(platform::RunAndWait(dir + "\\" + name).started);
  unsetenv("ORVTEST_EXIT");
  // A bare name is looked up on PATH, whatever characters it holds.
  ASSERT_EQ(symlink(helper.c_str(), (folder_ + "/helper0").c_str()), 0);
  const char* searched = getenv("PATH");
  const std::string path = searched ? searched : "";
  setenv("PATH", (folder_ + ":" + path).c_str(), 1);
  EXPECT_TRUE(platform::RunAndWait("helper0").started);
  setenv("PATH", path.c_str(), 1);
  unsetenv("ORVTEST_RECORD");
  EXPECT_EQ(ReadFileBytes(record),
            "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n[Jos\xc3\xa9]\n--\n<orvtest_helper>\n--\n"
            "<helper0>\n--\n");
}

TEST_F(PosixServicesTest, ProgramsStartWithTheSignalsThisRunIgnores) {
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGINT, &ignore, &previous);
  std::string survived = folder_ + "/survived";
  // The child interrupts itself: it must end there, not run on.
  EXPECT_TRUE(platform::RunAndWait("/bin/sh -c \"kill -INT $$; echo on > " + survived + "\"").started);
  EXPECT_EQ(platform::RunAndWait("/bin/sh -c \"exit 7\"").exitCode, 7);
  EXPECT_EQ(platform::RunAndWait("/bin/sh -c \"kill -TERM $$\"").exitCode, 128 + 15);
  sigaction(SIGINT, &previous, nullptr);
  struct stat st;
  EXPECT_NE(stat(survived.c_str(), &st), 0);
}

}  // namespace
