#include "hostlib/number_format.h"

#include <gtest/gtest.h>

#include <limits>

namespace ped::hostlib {
namespace {

TEST(FormatFloat, PatternsOfTheGridsWithTheBrazilianComma) {
  EXPECT_EQ(FormatFloat("######0.000", 2.5), "2,500");
  EXPECT_EQ(FormatFloat("###0.00", 18.7749), "18,77");
  EXPECT_EQ(FormatFloat("###0.000", 1234.5), "1234,500");
  EXPECT_EQ(FormatFloat("###0.000", 1234567.25), "1234567,250");  // no thousands separator
  EXPECT_EQ(FormatFloat("###0.00", 0), "0,00");
  EXPECT_EQ(FormatFloat("###0.00", 0.5), "0,50");  // at least one integer digit
  EXPECT_EQ(FormatFloat("###0.00", 12.3, '.'), "12.30");
}

TEST(FormatFloat, RoundsHalfAwayFromZeroOnTheDecimalValue) {
  EXPECT_EQ(FormatFloat("###0.00", 1.005), "1,01");  // 1.005 is 1.00499... in binary
  EXPECT_EQ(FormatFloat("###0.00", 2.345), "2,35");
  EXPECT_EQ(FormatFloat("###0.00", -2.345), "-2,35");
  EXPECT_EQ(FormatFloat("###0.00", 999.995), "1000,00");
  EXPECT_EQ(FormatFloat("###0.000", 0.0005), "0,001");
  EXPECT_EQ(FormatFloat("###0.000", 0.0004999), "0,000");
  EXPECT_EQ(FormatFloat("###0.00", -0.004), "0,00");  // no "-0,00"
  EXPECT_EQ(FormatFloat("###0.000", 1e20), "100000000000000000000,000");
  EXPECT_EQ(FormatFloat("###0.00", 123456789.125), "123456789,13");
}

TEST(FormatFloat, OtherPatternsAndValuesThatCannotBeShown) {
  EXPECT_EQ(FormatFloat("000", 7), "007");
  EXPECT_EQ(FormatFloat("0", 7.5), "8");
  EXPECT_EQ(FormatFloat("0.0#", 1.5), "1,5");
  EXPECT_EQ(FormatFloat("0.0#", 1.57), "1,57");
  EXPECT_EQ(FormatFloat("###0.00", std::numeric_limits<double>::quiet_NaN()), "");
  EXPECT_EQ(FormatFloat("###0.00", std::numeric_limits<double>::infinity()), "");
}

}  // namespace
}  // namespace ped::hostlib
