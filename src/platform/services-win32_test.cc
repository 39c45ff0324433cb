// SPDX-License-Identifier: MIT
// The Windows services: environment values in the OEM code page, the random
// source, programs started with their command line and waited for.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "support/files.h"

using testing_support::ReadFileBytes;

namespace {

// The build passes a Unix path; Wine shows the Unix root as drive Z:.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

TEST(Win32ServicesTest, EnvironmentValuesArriveInTheOemCodePage) {
  SetEnvironmentVariableW(L"ORVTEST_VALUE", L"Jos\u00e9");
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "Jos\x82");
  std::wstring longValue(1000, L'x');
  SetEnvironmentVariableW(L"ORVTEST_VALUE", longValue.c_str());
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), std::string(1000, 'x'));
  SetEnvironmentVariableW(L"ORVTEST_VALUE", nullptr);
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "");
}

TEST(Win32ServicesTest, RunAndWaitPassesTheCommandLineAndWaits) {
  std::string record = ::testing::TempDir() + "orv_record.txt";
  DeleteFileA(record.c_str());
  SetEnvironmentVariableA("ORVTEST_RECORD", record.c_str());
  std::string helper = WindowsPath(ORVPRINT_TEST_HELPER_PATH);
  ASSERT_TRUE(platform::RunAndWait(helper + " /C USTART \"C:\\My Docs\\R.htm\"").started);
  EXPECT_EQ(ReadFileBytes(record), "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n--\n");
  SetEnvironmentVariableA("ORVTEST_RECORD", nullptr);
  DeleteFileA(record.c_str());
}

}  // namespace
