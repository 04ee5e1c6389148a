#include "files/number_text.h"

#include <gtest/gtest.h>

namespace kumodo {
namespace {

TEST(NumberToText, FixedFormDropsTrailingZerosAndPoint) {
  EXPECT_EQ(NumberToText(400), "400");
  EXPECT_EQ(NumberToText(0), "0");
  EXPECT_EQ(NumberToText(-5), "-5");
  EXPECT_EQ(NumberToText(2.5), "2.5");
  EXPECT_EQ(NumberToText(-0.25), "-0.25");
  EXPECT_EQ(NumberToText(0.0001), "0.0001");  // exponent -3: still fixed
  EXPECT_EQ(NumberToText(999999999999999.0), "999999999999999");
}

TEST(NumberToText, ExponentFormOutsideTheFixedRange) {
  EXPECT_EQ(NumberToText(1e20), "1.00000000000000e+020");
  EXPECT_EQ(NumberToText(1e-5), "1.00000000000000e-05");
  EXPECT_EQ(NumberToText(1e15), "1.00000000000000e+015");
  EXPECT_EQ(NumberToText(-1.5e-7), "-1.50000000000000e-07");
  EXPECT_EQ(NumberToText(1.23456789012345e100), "1.23456789012345e+100");
}

TEST(NumberToText, SixteenthDigitRoundsTheFifteenthHalfUp) {
  EXPECT_EQ(NumberToText(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(NumberToText(2.0 / 3.0), "0.666666666666667");
  EXPECT_EQ(NumberToText(0.1 + 0.2), "0.3");
  // 9.9999999999999995 rounds up across every digit and gains one.
  EXPECT_EQ(NumberToText(9.9999999999999995), "10");
  EXPECT_EQ(NumberToText(1234567890123456.0), "1.23456789012346e+015");
}

}  // namespace
}  // namespace kumodo
