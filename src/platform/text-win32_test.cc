// SPDX-License-Identifier: MIT
// The Windows platform's code page boundary.
#include "platform/text-win32.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(Win32TextTest, TheOemCodePageIsTheSuites) {
  EXPECT_EQ(GetOEMCP(), 850u);
  EXPECT_EQ(platform::WideFromOem("Jos\x82 \xc4\xcd"), L"Jos\u00e9 \u2500\u2550");
  EXPECT_EQ(platform::OemFromWide(L"Jos\u00e9 \u2500\u2550"), "Jos\x82 \xc4\xcd");
  EXPECT_EQ(platform::WideFromOem(""), L"");
}

}  // namespace
