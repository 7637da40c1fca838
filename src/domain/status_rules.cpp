#include "domain/status_rules.h"

#include <algorithm>

namespace ped::domain {

bool isLiquidableOrder(std::string_view s) {
  return s == order_status::InProgress || s == order_status::PartlyServed;
}

bool isReversibleOrder(std::string_view s) { return s == order_status::SettledByHand; }

bool isMarkableOrder(std::string_view s) {
  return std::find(kMarkableOrderStatuses.begin(), kMarkableOrderStatuses.end(), s) !=
         kMarkableOrderStatuses.end();
}

bool isSettledOrder(std::string_view s) {
  return s == order_status::Settled || s == order_status::SettledByHand;
}

bool isOpenItem(std::string_view s) {
  return std::find(kOpenItemStatuses.begin(), kOpenItemStatuses.end(), s) != kOpenItemStatuses.end();
}

bool isSettledItem(std::string_view s) {
  return s == item_status::Settled || s == item_status::SettledByHand;
}

bool isReversibleItem(std::string_view s) { return s == item_status::SettledByHand; }

bool isMarkableItem(std::string_view s) { return isOpenItem(s) || isReversibleItem(s); }

bool takesAllocationRows(std::string_view s) { return isOpenItem(s); }

std::string orderStatusFromItems(const std::vector<std::string>& itemStatuses) {
  bool open = false, settled = false, byHand = false;
  for (const std::string& s : itemStatuses) {
    open = open || isOpenItem(s);
    settled = settled || isSettledItem(s);
    byHand = byHand || isReversibleItem(s);
  }
  if (open) return std::string(settled ? order_status::PartlyServed : order_status::InProgress);
  return std::string(byHand ? order_status::SettledByHand : order_status::Settled);
}

}  // namespace ped::domain
