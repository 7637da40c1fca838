#pragma once
// Which orders' allocation rows the operator changed (posted, deleted,
// proposed) since they were last loaded and has not yet sent with a
// confirmation: what a reload must not drop unasked, and what closing the
// screen would lose.

#include <memory>
#include <set>
#include <string>

#include "engine/data_set.h"

namespace ped::core {

class TfrmLiquidaItem;

class AllocationChanges {
 public:
  // The rows of the current item's order changed.
  void changed(const engine::DataSet& items);
  // The order's rows went to the server with a confirmation: the reload
  // brings what is left of them.
  void confirmed(const std::string& branch, const std::string& order);
  // The rows came fresh from the server: nothing is changed any more.
  void loaded() { orders_.clear(); }
  bool any() const { return !orders_.empty(); }

  // The changed rows, taken before a reload; null when nothing changed.
  struct Held {
    std::set<std::string> orders;
    engine::DataSet rows;
  };
  std::unique_ptr<Held> hold(const engine::DataSet& rows) const;
  // After the rows of every listed order were loaded again into
  // `screen.cdsEvolEst`: the held rows of orders still listed take the place
  // of the server's rows of those orders, and stay changed.
  void keepAfterReload(TfrmLiquidaItem& screen, std::unique_ptr<Held> held);

 private:
  static std::string key(const std::string& branch, const std::string& order);
  std::set<std::string> orders_;
};

}  // namespace ped::core
