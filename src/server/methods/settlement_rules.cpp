#include "server/methods/settlement_rules.h"

#include <cmath>

namespace ped::server::rules {

std::string orderStatus(const std::vector<std::string>& itemStatuses) {
  bool open = false, settled = false, byHand = false;
  for (const std::string& s : itemStatuses) {
    open = open || isOpenItem(s);
    settled = settled || isSettledItem(s);
    byHand = byHand || s == kSettledByHand;
  }
  if (open && settled) return "6";
  if (!open) return byHand ? "5" : "3";
  return "2";
}

bool sameQuantity(double a, double b) { return std::fabs(a - b) <= kQuantityTolerance; }

double roundQuantity(double q) { return std::round(q * 1e6) / 1e6; }

}  // namespace ped::server::rules
