// SPDX-License-Identifier: MIT
// Number reading and 16-bit storage, as the suite's files use them.
#include "common/number.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

struct ReadCase {
  const char* text;
  double value;
};

TEST(ReadNumberTest, ReadsTheLongestLeadingNumber) {
  const ReadCase cases[] = {
      {"", 0},
      {"abc", 0},
      {"12", 12},
      {"  \t\r\n12", 12},
      {"-7", -7},
      {"+7", 7},
      {"1.5", 1.5},
      {".5", 0.5},
      {"5.", 5},
      {"-.25", -0.25},
      {"12abc", 12},
      {"12,Total", 12},
      {"1e3", 1000},
      {"1E3", 1000},
      {"1d3", 1000},
      {"1D-2", 0.01},
      {"2.5e+1", 25},
      {"1e", 1},
      {"1e+", 1},
      {"1ex", 1},
      {"&H1F", 31},
      {"&hff", 255},
      {"&O17", 15},
      {"&q17", 15},
      {"&B101", 5},
      {"&b2", 0},
      {"&17", 15},
      {"&18", 1},
      {"&", 0},
      {"&Z", 0},
      {"&H", 0},
      {"-", 0},
      {"+", 0},
      {".", 0},
      {"- 5", 0},
      {"\v5", 0},
      {"1 2", 1},
      {"0x10", 0},
      {"inf", 0},
      {"nan", 0},
      {"123456789012345", 123456789012345.0},
      {"12345678901234567890", 12345678901234567890.0},
      {"-32768", -32768},
      {"+12d", 12},
      {"12E", 12},
      {"3.", 3},
      {"1,5", 1},
      {"007", 7},
      {"3.14159", 3.14159},
      {"1e400", HUGE_VAL},
      {"&Q17", 15},
      {"&o17", 15},
      {"&h1F", 31},
  };
  for (const ReadCase& c : cases) EXPECT_EQ(ReadNumber(c.text), c.value) << "text: " << c.text;
}

struct StoreCase {
  double value;
  int16_t stored;
};

TEST(StoreInt16Test, RoundsHalvesToEvenAndClamps) {
  const StoreCase cases[] = {
      {0.5, 0},     {1.5, 2},          {2.5, 2},         {3.5, 4},         {-0.5, 0},        {-1.5, -2},
      {-2.5, -2},   {2.4999, 2},       {2.5001, 3},      {32767, 32767},   {32767.4, 32767}, {32768, 32767},
      {1e9, 32767}, {HUGE_VAL, 32767}, {-32768, -32768}, {-32769, -32768}, {-1e9, -32768},   {-HUGE_VAL, -32768},
      {NAN, 0},
  };
  for (const StoreCase& c : cases) EXPECT_EQ(StoreInt16(c.value), c.stored) << "value: " << c.value;
}

TEST(ReadInt16Test, CombinesReadingAndStorage) {
  EXPECT_EQ(ReadInt16("1.5"), 2);
  EXPECT_EQ(ReadInt16("2.5"), 2);
  EXPECT_EQ(ReadInt16("99999"), 32767);
  EXPECT_EQ(ReadInt16("-99999"), -32768);
  EXPECT_EQ(ReadInt16("&HFFFF"), 32767);
  EXPECT_EQ(ReadInt16("yes"), 0);
}

TEST(AddClampedTest, StopsAtTheEndsOfTheRange) {
  EXPECT_EQ(AddClamped(32766, 1), 32767);
  EXPECT_EQ(AddClamped(32767, 1), 32767);
  EXPECT_EQ(AddClamped(32000, 5000), 32767);
  EXPECT_EQ(AddClamped(-32768, -1), -32768);
  EXPECT_EQ(AddClamped(5, -10), -5);
  // The widest deltas: the sum must not overflow where long has 32 bits.
  EXPECT_EQ(AddClamped(32767, std::numeric_limits<int>::max()), 32767);
  EXPECT_EQ(AddClamped(1, std::numeric_limits<int>::max()), 32767);
  EXPECT_EQ(AddClamped(-32768, std::numeric_limits<int>::min()), -32768);
  EXPECT_EQ(AddClamped(-1, std::numeric_limits<int>::min()), -32768);
}

}  // namespace
