// SPDX-License-Identifier: MIT
// The POSIX platform's text boundary: UTF-8 names in the code page, and
// command lines taken apart by the Windows rules.
#include "platform/text-posix.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(PosixTextTest, CodePageFromUtf8) {
  const std::pair<const char*, const char*> cases[] = {
      {"plain ASCII", "plain ASCII"},
      {"\xc3\xa9t\xc3\xa9", "\x82t\x82"},  // é
      {"\xe2\x82\xac", "\xd5"},            // euro sign
      {"\xe2\x94\x80", "\xc4"},            // box drawings light horizontal
      {"\xc2\xa0", "\xff"},                // no-break space
      {"\xe4\xb8\xad", "?"},               // a character the code page lacks
      {"\xf0\x9f\x98\x80", "?"},           // four-byte form, outside too
      {"\xc3", "?"},                       // cut short
      {"\xc3(", "?("},                     // continuation missing
      {"\xc0\xaf", "??"},                  // overlong slash
      {"\x80\xbf", "??"},                  // stray continuations
      {"\xcb\xa9", "?"},                   // U+02E9, whose low bits are those of U+00E9
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

}  // namespace
