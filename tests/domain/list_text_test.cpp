// List texts: the picked keys joined with '_'.

#include "domain/list_text.h"

#include <gtest/gtest.h>

namespace ped::domain {
namespace {

using Keys = std::vector<std::string>;

TEST(ListText, SplitsAndJoinsWithoutEmptyKeys) {
  EXPECT_EQ(splitListText("0001_0003"), (Keys{"0001", "0003"}));
  EXPECT_EQ(splitListText("_12__15_"), (Keys{"12", "15"}));
  EXPECT_EQ(splitListText("7"), (Keys{"7"}));
  EXPECT_TRUE(splitListText("").empty());
  EXPECT_TRUE(splitListText("___").empty());
  EXPECT_EQ(joinListText({"12", "", "15"}), "12_15");
  EXPECT_EQ(joinListText({}), "");
  EXPECT_EQ(joinListText(splitListText("_a__b_")), "a_b");
}

}  // namespace
}  // namespace ped::domain
