#pragma once
// The screen's posted allocation rows summed per order item, for checking
// the items of many orders at once: an item passes when none of its rows
// has an expired lot and they add up to its quantity, which is what
// Vd_EvolEstq accepts without a word. Built once, read per item.

#include <cstddef>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "engine/data_set.h"

namespace ped::core {

class TfrmLiquidaItem;

class AllocationTotals {
 public:
  explicit AllocationTotals(const TfrmLiquidaItem& screen);

  // Whether Vd_EvolEstq(branch, order, item, quantity) would pass.
  bool passes(std::string_view branch, std::string_view order, std::string_view item, double quantity) const;

 private:
  // Views of the texts of rows_, which keeps them alive.
  struct Key {
    std::string_view branch, order, item;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& k) const {
      const std::hash<std::string_view> h;
      return h(k.item) ^ (h(k.order) * 31) ^ (h(k.branch) * 1009);
    }
  };
  struct Total {
    double quantity = 0;
    bool expired = false;
  };
  bool checks_ = false;
  engine::DataSet rows_;
  std::unordered_map<Key, Total, KeyHash> totals_;
};

}  // namespace ped::core
