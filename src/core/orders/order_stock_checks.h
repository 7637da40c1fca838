#pragma once
// The stock checks of the orders a walk is about to mark, made at once: the
// items of them all read in one call (GetItensPedidos) and held against the
// allocation rows summed once (AllocationTotals). An order that does not
// pass is left to checkOrderStock, whose refusal the operator then sees as
// ever; nothing is read when the branch moves no stock.

#include <set>
#include <string>
#include <utility>
#include <vector>

namespace ped::core {

class TfrmLiquidaItem;

class OrderStockChecks {
 public:
  using Order = std::pair<std::string, std::string>;  // branch, number

  // The orders' items are read here, under the busy indicator (callServer:
  // a failure has shown its message and aborts).
  OrderStockChecks(TfrmLiquidaItem& screen, const std::vector<Order>& orders);

  // Whether checkOrderStock would let the order through.
  bool passes(const Order& order) const { return failing_.count(order) == 0; }

 private:
  std::set<Order> failing_;
};

}  // namespace ped::core
