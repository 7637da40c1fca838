// Taking the marks off the orders: clear all from the mark title, and the
// unmarking a confirmation or a cancel asks for.

#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"

namespace ped::core {

void TfrmLiquidaItem::LimpezaPedido() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return;
  {
    OrderWalk walk(*this);
    cdsPedido.first();
    stSelNrPedido = cdsPedido.field("NRPEDIDO").asString();
    for (; !cdsPedido.eof(); cdsPedido.next())
      if (cdsPedido.field("IDSITPEDIDO").asString() != domain::order_status::Settled)
        assignOrderMark(*this, domain::mark::Unmarked);
    walk.finish();
    cdsPedido.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
  }
  // Settled orders keep their marks: the count is what is left marked, so
  // that unmarking one of them later cannot take it below zero.
  inContPedidoCh = 0;
  const std::size_t m = cdsPedido.field("IDCHECK").index();
  for (std::size_t row = 0; row < cdsPedido.recordCount(); ++row)
    if (cdsPedido.displayTextAt(row, m) == domain::mark::Marked) ++inContPedidoCh;
  habilita("");
}

void TfrmLiquidaItem::Deschecar() {
  const engine::DetachedHandler noTotals(cdsItemPedido.events.onCalcFields);
  if (tshPadrao.enabled()) {
    if (!cdsPedido.active()) return;
    OrderWalk walk(*this);
    for (cdsPedido.first(); !cdsPedido.eof(); cdsPedido.next())
      if (cdsPedido.field("IDCHECK").asString() == domain::mark::Marked)
        assignOrderMark(*this, domain::mark::Unmarked);
    walk.finish();
  } else if (tshItemPedido.enabled()) {
    if (!cdsItemPedido.active()) return;
    const engine::ControlsDisabled frozen(cdsItemPedido);
    engine::Field& mark = cdsItemPedido.field("IDCHECK");
    for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next()) {
      if (mark.asString() != domain::mark::Marked) continue;
      cdsItemPedido.edit();
      mark.setString(domain::mark::Unmarked);
      cdsItemPedido.post();
    }
  }
}

}  // namespace ped::core
