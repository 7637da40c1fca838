// Codes brought to their width compare like the numbers they hold.

#include "domain/code_width.h"

#include <gtest/gtest.h>

namespace ped::domain {
namespace {

TEST(CodeWidth, PadsCodesSoTheyCompareLikeNumbers) {
  EXPECT_EQ(adjustCode("12", kOrderNumberWidth), "0000000012");
  EXPECT_EQ(adjustCode("1", kBranchCodeWidth), "0001");
  EXPECT_EQ(adjustCode("  7 ", 4), "0007");
  EXPECT_EQ(adjustCode("\t7", 4), "0007");
  EXPECT_EQ(adjustCode("", 4), "");
  EXPECT_EQ(adjustCode("   ", 4), "");
  EXPECT_EQ(adjustCode("12345", 4), "12345");
  EXPECT_EQ(adjustCode("0001", 4), "0001");
  EXPECT_LT(adjustCode("9", 10), adjustCode("10", 10));
  EXPECT_EQ(adjustCode("ção", 4), "0ção");  // width counts characters
}

}  // namespace
}  // namespace ped::domain
