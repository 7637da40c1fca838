#pragma once
// The screen's posted allocation rows summed per order item, for checking
// the items of many orders at once: an item passes when none of its rows
// has an expired lot and they add up to its quantity, which is what
// Vd_EvolEstq accepts without a word. Built once, read per item.

#include <string>
#include <string_view>
#include <unordered_map>

namespace ped::core {

class TfrmLiquidaItem;

class AllocationTotals {
 public:
  explicit AllocationTotals(const TfrmLiquidaItem& screen);

  // Whether Vd_EvolEstq(branch, order, item, quantity) would pass.
  bool passes(std::string_view branch, std::string_view order, std::string_view item, double quantity) const;

 private:
  struct Total {
    double quantity = 0;
    bool expired = false;
  };
  static std::string key(std::string_view branch, std::string_view order, std::string_view item);
  bool checks_ = false;
  std::unordered_map<std::string, Total> totals_;
};

}  // namespace ped::core
