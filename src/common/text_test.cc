// SPDX-License-Identifier: MIT
// Trimming, separators and the suite's upper-case folding.
#include "common/text.h"

#include <gtest/gtest.h>

namespace {

TEST(TrimTest, RemovesSpacesOnlyNeverTabs) {
  EXPECT_EQ(TrimBlanks("  a b  "), "a b");
  EXPECT_EQ(TrimBlanks("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimBlanks(" \t a \t "), "\t a \t");
  EXPECT_EQ(TrimBlanks("    "), "");
  EXPECT_EQ(TrimLeadingBlanks("  a  "), "a  ");
  EXPECT_EQ(TrimTrailingBlanks("  a  "), "  a");
  EXPECT_TRUE(IsBlankOnly(""));
  EXPECT_TRUE(IsBlankOnly("   "));
  EXPECT_FALSE(IsBlankOnly(" \t "));
}

TEST(FoldUpperTest, FoldsAsciiLettersAndSevenCodePageLetters) {
  const std::pair<unsigned char, unsigned char> accented[] = {{132, 142}, {148, 153}, {129, 154}, {130, 144},
                                                              {164, 165}, {134, 143}, {135, 128}};
  for (int b = 0; b < 256; ++b) {
    unsigned char expected = static_cast<unsigned char>(b);
    if (b >= 'a' && b <= 'z') expected = static_cast<unsigned char>(b - 32);
    for (auto& pair : accented)
      if (pair.first == b) expected = pair.second;
    EXPECT_EQ(static_cast<unsigned char>(FoldUpper(static_cast<char>(b))), expected) << "byte " << b;
  }
  EXPECT_EQ(FoldUpper(std::string("Opcions \x87\xa4")), std::string("OPCIONS \x80\xa5"));
}

TEST(FoldAsciiTest, OnlyTheTwentySixLettersChangeCase) {
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    const bool small = b >= 'a' && b <= 'z', capital = b >= 'A' && b <= 'Z';
    EXPECT_EQ(FoldUpperAscii(c), small ? static_cast<char>(b - 32) : c) << "byte " << b;
    EXPECT_EQ(FoldLowerAscii(c), capital ? static_cast<char>(b + 32) : c) << "byte " << b;
  }
}

TEST(SeparatorTest, AppendsABackslashUnlessTheValueEndsInOne) {
  for (bool slashCounts : {false, true}) {
    EXPECT_EQ(WithSeparator("", slashCounts), "");
    EXPECT_EQ(WithSeparator("C:\\Tmp", slashCounts), "C:\\Tmp\\");
    EXPECT_EQ(WithSeparator("C:\\Tmp\\", slashCounts), "C:\\Tmp\\");
    EXPECT_EQ(WithSeparator("D:", slashCounts), "D:");
    EXPECT_EQ(WithSeparator("T1", slashCounts), "T1\\");
  }
  EXPECT_EQ(WithSeparator("C:/docs/", true), "C:/docs/");
  EXPECT_EQ(WithSeparator("C:/docs/", false), "C:/docs/\\");
  EXPECT_TRUE(EndsInDriveOrFolderSeparator("a/", true));
  EXPECT_FALSE(EndsInDriveOrFolderSeparator("a/", false));
}

TEST(IsAllCharTest, IsTrueWhenEveryByteHasTheCode) {
  EXPECT_TRUE(IsAllChar("", 32));
  EXPECT_TRUE(IsAllChar("   ", 32));
  EXPECT_FALSE(IsAllChar(" a ", 32));
  EXPECT_FALSE(IsAllChar(" \t", 32));
  EXPECT_TRUE(IsAllChar("\xC4\xC4", 0xC4));
  EXPECT_FALSE(IsAllChar("\xC4", -60));
  EXPECT_TRUE(IsAllChar(ByteString(3, '\0'), 0));
}

}  // namespace
