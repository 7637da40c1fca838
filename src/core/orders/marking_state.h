#pragma once
// What is marked, of which kind, at which level: the one owner of the
// counts that the enabling, the mark title and the confirmation read.
//
// The counts are never written by hand. They follow the marks themselves:
// a list that opens is counted once, and every later change of one row's
// mark is reported here by the only two writers of marks (assignOrderMark
// and setItemMark). The operation a confirmation carries out is read from
// the marked rows, so no click can change it without changing a mark.
//
// One instance lives while the module is loaded (a new screen starts with
// what the last one left); only the UI thread touches it.

#include <string>
#include <string_view>

#include "engine/data_set.h"

namespace ped::core {

// What the marks stand for.
enum class MarkedOperation { None, OrderLiquidation, OrderExclusion, ItemLiquidation, ItemExclusion };

class MarkingState {
 public:
  // A list was (re)opened, or closed: its counts are what its rows carry.
  void ordersLoaded(const engine::DataSet& orders);
  void itemsLoaded(const engine::DataSet& items);
  // One row's mark went from `was` to `now`.
  void orderMarkChanged(std::string_view was, std::string_view now);
  void itemMarkChanged(std::string_view was, std::string_view now);
  // The module (re)loaded: nothing listed.
  void clear() { *this = MarkingState{}; }

  int markedOrders() const { return orders_.marked; }
  int blockedOrders() const { return orders_.blocked; }
  // Orders a click or the mark title can still mark ("N").
  int unmarkedOrders() const { return orders_.unmarked; }
  int markedItems() const { return items_.marked; }
  int unmarkedItems() const { return items_.unmarked; }
  // Items no operation takes, or of the other kind than those marked.
  int unmarkableItems() const { return items_.other; }

  // The operation the marked rows call for, at the level they are marked:
  // orders when an order is marked (its items go with it), items when only
  // items are. An exclusion when any marked row is a settlement by hand
  // (the one-kind rule keeps them all so).
  MarkedOperation operation(const engine::DataSet& orders, const engine::DataSet& items) const;

  // "pedidos=S/N/B itens=S/N/vazios", for tests and logs.
  std::string summary() const;

 private:
  struct Counts {
    int marked = 0, unmarked = 0, blocked = 0, other = 0;
    void add(std::string_view mark, int by);
  };
  static Counts countRows(const engine::DataSet& rows);
  Counts orders_, items_;
};

// The module's marking; see Cli_ped00800.h for the other module state.
extern MarkingState marking;

// Whether two order / item statuses are of the same kind of operation.
bool sameOrderKind(std::string_view a, std::string_view b);
bool sameItemKind(std::string_view a, std::string_view b);

}  // namespace ped::core
