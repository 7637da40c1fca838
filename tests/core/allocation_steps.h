#pragma once
// The allocation grid as the operator reaches it in the tests: the orders of
// a branch listed, the item page showing, an item chosen, the grid entered.

#include <functional>
#include <string>

#include "core/filter_steps.h"
#include "domain/status_rules.h"
#include "hostlib/consiste.h"

namespace ped::core::testing {

// Lists the orders of `branch` with the default filter and shows the item page.
inline void showItemsOf(ScreenHarness& h, const std::string& branch) {
  TfrmFiltroLiquidaItem& d = showFilter(h, branch);
  ASSERT_TRUE(act(h, [&] { d.sbtConfirmaClick(); })) << h.host.shown().back();
  TfrmLiquidaItem& s = h.screen();
  ASSERT_FALSE(s.cdsPedido.isEmpty());
  ASSERT_TRUE(act(h, [&] { s.pgcPadrao.choosePage(s.tshItemPedido); }));
}

// Makes current the first item, order by order, for which `wanted` holds
// (the allocation rows already show that item's). False when none does.
inline bool goToItem(TfrmLiquidaItem& s, const std::function<bool()>& wanted) {
  for (s.cdsPedido.first(); !s.cdsPedido.eof(); s.cdsPedido.next())
    for (s.cdsItemPedido.first(); !s.cdsItemPedido.eof(); s.cdsItemPedido.next())
      if (wanted()) return true;
  return false;
}

// An item that takes allocation rows, with at least `rows` of them.
inline bool goToOpenItemWithRows(TfrmLiquidaItem& s, std::size_t rows) {
  return goToItem(s, [&] {
    return domain::takesAllocationRows(s.cdsItemPedido.field("IDSITITEMPED").asString()) &&
           s.cdsEvolEst.recordCount() >= rows;
  });
}

inline std::size_t columnOf(const TfrmLiquidaItem& s, const char* field) {
  return static_cast<std::size_t>(hostlib::consiste::IndiceCol(s.dbgLiqEst, field));
}

inline void enterAllocationGrid(ScreenHarness& h) {
  TfrmLiquidaItem& s = h.screen();
  ASSERT_TRUE(act(h, [&] { s.enterGrid(s.dbgLiqEst); }));
  ASSERT_EQ(s.focused(), &s.dbgLiqEst);
}

}  // namespace ped::core::testing
