// What each status allows, code by code, and the order status its items give.

#include "domain/status_rules.h"

#include <gtest/gtest.h>

#include "domain/status_codes.h"

namespace ped::domain {
namespace {

TEST(StatusRules, EachItemStatusAllowsWhatItShould) {
  struct Row {
    const char* status;
    bool open, settled, reversible, markable, allocation;
  };
  const Row rows[] = {
      {"1", true, false, false, true, true},    {"2", true, false, false, true, true},
      {"3", true, false, false, true, true},    {"4", false, true, false, false, false},
      {"5", false, false, false, false, false}, {"6", false, true, true, true, false},
      {"7", true, false, false, true, true},    {"", false, false, false, false, false},
      {"0", false, false, false, false, false}, {"12", false, false, false, false, false},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(isOpenItem(r.status), r.open) << r.status;
    EXPECT_EQ(isSettledItem(r.status), r.settled) << r.status;
    EXPECT_EQ(isReversibleItem(r.status), r.reversible) << r.status;
    EXPECT_EQ(isMarkableItem(r.status), r.markable) << r.status;
    EXPECT_EQ(takesAllocationRows(r.status), r.allocation) << r.status;
  }
}

TEST(StatusRules, OnlyASettlementByHandIsOfferedForReversal) {
  struct Row {
    const char* status;
    bool liquidable, reversible, settled;
  };
  // "3" and "5" both read as settled; only "5" may be reversed.
  const Row rows[] = {{"2", true, false, false}, {"3", false, false, true},  {"5", false, true, true},
                      {"6", true, false, false}, {"1", false, false, false}, {"", false, false, false}};
  for (const Row& r : rows) {
    EXPECT_EQ(isLiquidableOrder(r.status), r.liquidable) << r.status;
    EXPECT_EQ(isReversibleOrder(r.status), r.reversible) << r.status;
    EXPECT_EQ(isSettledOrder(r.status), r.settled) << r.status;
  }
}

TEST(StatusRules, AnOrdersStatusFollowsItsMixOfItems) {
  using Items = std::vector<std::string>;
  EXPECT_EQ(orderStatusFromItems(Items{"1", "2", "3", "7"}), order_status::InProgress);
  EXPECT_EQ(orderStatusFromItems(Items{"1", "5"}),
            order_status::InProgress);  // a cancelled item settles nothing
  EXPECT_EQ(orderStatusFromItems(Items{"7", "4"}), order_status::PartlyServed);
  EXPECT_EQ(orderStatusFromItems(Items{"3", "6", "5"}), order_status::PartlyServed);
  EXPECT_EQ(orderStatusFromItems(Items{"4", "5"}), order_status::Settled);
  EXPECT_EQ(orderStatusFromItems(Items{"5"}), order_status::Settled);
  EXPECT_EQ(orderStatusFromItems(Items{"4", "6", "5"}), order_status::SettledByHand);
}

}  // namespace
}  // namespace ped::domain
