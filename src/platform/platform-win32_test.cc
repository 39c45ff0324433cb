// SPDX-License-Identifier: MIT
// The Windows platform's code page boundary, attributes and process start.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "platform/text-win32.h"

namespace {

// The build passes a Unix path; Wine shows the Unix root as drive Z:.
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Win32TextTest, TheOemCodePageIsTheSuites) {
  EXPECT_EQ(GetOEMCP(), 850u);
  EXPECT_EQ(platform::WideFromOem("Jos\x82 \xc4\xcd"), L"Jos\u00e9 \u2500\u2550");
  EXPECT_EQ(platform::OemFromWide(L"Jos\u00e9 \u2500\u2550"), "Jos\x82 \xc4\xcd");
  EXPECT_EQ(platform::WideFromOem(""), L"");
}

TEST(Win32PlatformTest, ReadOnlyHiddenAndSystemAttributes) {
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
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
  }
}

TEST(Win32PlatformTest, OnlyPlainFilesAreOpened) {
  // A pipe, a device or a folder could keep a read waiting, or is no file.
  HANDLE pipe = CreateNamedPipeW(L"\\\\.\\pipe\\orvtest_pipe", PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE, 4, 64, 64, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  for (const std::string& path : {std::string("\\\\.\\pipe\\orvtest_pipe"), std::string("NUL"),
                                  std::string("C:\\Temp\\CON"), ::testing::TempDir()}) {
    EXPECT_EQ(platform::OpenExistingForReading(path), 0) << path;
    EXPECT_EQ(platform::OpenOrCreateForUpdate(path), 0) << path;
    EXPECT_EQ(platform::CreateOrEmptyForWriting(path), 0) << path;
  }
  CloseHandle(pipe);
}

TEST(Win32PlatformTest, QuestionMarksAndStarsAreNoWildcards) {
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

TEST(Win32PlatformTest, EnvironmentValuesArriveInTheOemCodePage) {
  SetEnvironmentVariableW(L"ORVTEST_VALUE", L"Jos\u00e9");
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "Jos\x82");
  std::wstring longValue(1000, L'x');
  SetEnvironmentVariableW(L"ORVTEST_VALUE", longValue.c_str());
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), std::string(1000, 'x'));
  SetEnvironmentVariableW(L"ORVTEST_VALUE", nullptr);
  EXPECT_EQ(platform::GetEnvironment("ORVTEST_VALUE"), "");
}

TEST(Win32PlatformTest, RunAndWaitPassesTheCommandLineAndWaits) {
  std::string record = ::testing::TempDir() + "orv_record.txt";
  DeleteFileA(record.c_str());
  SetEnvironmentVariableA("ORVTEST_RECORD", record.c_str());
  std::string helper = WindowsPath(ORVPRINT_TEST_HELPER_PATH);
  ASSERT_TRUE(platform::RunAndWait(helper + " /C USTART \"C:\\My Docs\\R.htm\""));
  EXPECT_EQ(Slurp(record), "<orvtest_helper>\n[/C]\n[USTART]\n[C:\\My Docs\\R.htm]\n--\n");
  SetEnvironmentVariableA("ORVTEST_RECORD", nullptr);
  DeleteFileA(record.c_str());
}

}  // namespace
