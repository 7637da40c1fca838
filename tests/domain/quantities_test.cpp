// Quantities are the same at three decimals: less than half a thousandth apart.

#include "domain/quantities.h"

#include <gtest/gtest.h>

namespace ped::domain {
namespace {

TEST(Quantities, AreComparedAtThreeDecimals) {
  for (const double base : {0.0, 1.0, 12.345, 98765.432}) {
    EXPECT_TRUE(sameQuantity(base + 0.0004, base)) << base;
    EXPECT_TRUE(sameQuantity(base - 0.0004, base)) << base;
    EXPECT_FALSE(sameQuantity(base + 0.0006, base)) << base;
    EXPECT_FALSE(sameQuantity(base - 0.0006, base)) << base;
    // Exactly half a thousandth apart is apart, though the double says 0.00049999...
    EXPECT_FALSE(sameQuantity(base + 0.0005, base)) << base;

    EXPECT_TRUE(moreQuantity(base + 0.0006, base)) << base;
    EXPECT_FALSE(moreQuantity(base + 0.0004, base)) << base;
    EXPECT_TRUE(lessQuantity(base - 0.0006, base)) << base;
    EXPECT_FALSE(lessQuantity(base - 0.0004, base)) << base;
    EXPECT_FALSE(lessQuantity(base + 0.0006, base)) << base;
  }
}

TEST(Quantities, ASumOfTypedQuantitiesMeetsTheOrderedOne) {
  double sum = 0;
  for (int i = 0; i < 10; ++i) sum += 0.1;
  EXPECT_NE(sum, 1.0);
  EXPECT_EQ(roundQuantity(sum), 1.0);
  EXPECT_TRUE(sameQuantity(sum, 1.0));
}

// Half a thousandth is kept as the thousandth the comparisons take it for.
TEST(Quantities, AreKeptToThousandths) {
  EXPECT_EQ(thousandths(0.0005), 0.001);
  EXPECT_EQ(thousandths(1.0005), 1.001);
  EXPECT_EQ(thousandths(0.0004), 0.0);
  EXPECT_EQ(thousandths(-2.3456), -2.346);
}

}  // namespace
}  // namespace ped::domain
