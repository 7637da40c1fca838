// Taking the marks off the orders: clear all from the mark title, and the
// unmarking a confirmation or a cancel asks for.

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {

void TfrmLiquidaItem::LimpezaPedido() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return;
  // The controls follow the marks taken off, also when the pass fails.
  const engine::ScopeExit enable{[this] { habilita(""); }};
  OrderWalk walk(*this);
  cdsPedido.first();
  stSelNrPedido = cdsPedido.field("NRPEDIDO").asString();
  // Inert orders carry no mark to clear.
  for (; !cdsPedido.eof(); cdsPedido.next())
    if (domain::isMarkableOrder(cdsPedido.field("IDSITPEDIDO").asString()))
      assignOrderMark(*this, domain::mark::Unmarked);
  walk.finish();
  cdsPedido.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
}

void TfrmLiquidaItem::Deschecar() {
  if (tshPadrao.enabled()) {
    if (!cdsPedido.active()) return;
    OrderWalk walk(*this);
    for (cdsPedido.first(); !cdsPedido.eof(); cdsPedido.next())
      if (cdsPedido.field("IDCHECK").asString() == domain::mark::Marked)
        assignOrderMark(*this, domain::mark::Unmarked);
    walk.finish();
  } else if (tshItemPedido.enabled()) {
    if (!cdsItemPedido.active()) return;
    // Only while the marks are written: item lists the orders' cascades
    // load get their totals.
    const engine::DetachedHandler noTotals(cdsItemPedido.events.onCalcFields);
    const engine::ControlsDisabled frozen(cdsItemPedido);
    for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
      if (itemMark(*this) == domain::mark::Marked) setItemMark(*this, domain::mark::Unmarked);
  }
}

}  // namespace ped::core
