// SPDX-License-Identifier: MIT
// Code page 858 to UTF-8, checked against the system's iconv where it knows
// the code page.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "common/charset.h"

namespace {

// The system's conversion of one byte, or false when it has none.
bool IconvOfByte(iconv_t cd, unsigned char byte, std::string& utf8) {
  char in[1] = {static_cast<char>(byte)};
  char out[8];
  char* inp = in;
  char* outp = out;
  size_t inLeft = 1, outLeft = sizeof out;
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1)) return false;
  utf8.assign(out, static_cast<size_t>(outp - out));
  return true;
}

TEST(ConvertCharsetPosixTest, AgreesWithIconvForAllBytes) {
  iconv_t cd = iconv_open("UTF-8", "CP858");
  // NOLINTNEXTLINE(performance-no-int-to-ptr): iconv_open reports failure as (iconv_t)-1
  if (cd == reinterpret_cast<iconv_t>(-1)) GTEST_SKIP() << "iconv has no CP858 here";
  for (int b = 0; b < 256; ++b) {
    std::string expected;
    ASSERT_TRUE(IconvOfByte(cd, static_cast<unsigned char>(b), expected)) << "byte " << b;
    EXPECT_EQ(ConvertCharset(std::string(1, static_cast<char>(b))), expected) << "byte " << b;
  }
  iconv_close(cd);
}

}  // namespace
