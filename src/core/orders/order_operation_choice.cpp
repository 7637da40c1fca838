// The entries of the order pop-up, opened by the mark title on a list that
// mixes both kinds: mark one kind, block the other. No stock check is made.

#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// The blocks are written first: they make no server call, so a failing
// cascade of a mark can only come after the other kind is out of reach,
// and then every mark goes back as it was.
void markOneKind(TfrmLiquidaItem& s, bool (*kind)(std::string_view), bool (*other)(std::string_view)) {
  if (s.window()) s.window()->repaint();
  engine::DataSet& orders = s.cdsPedido;
  if (!orders.active() || orders.isEmpty()) return;
  stSelNrPedido = orders.field("NRPEDIDO").asString();
  const engine::ScopeExit finish{[&] {
    s.habilita("");
    try {
      orders.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
    } catch (...) {
      // Its message was shown; the marks are right either way.
    }
  }};
  OrderWalk walk(s);
  const OrderMarksUndo undo(s);
  for (orders.first(); !orders.eof(); orders.next())
    if (other(orders.field("IDSITPEDIDO").asString())) assignOrderMark(s, domain::mark::Blocked);
  for (orders.first(); !orders.eof(); orders.next())
    if (kind(orders.field("IDSITPEDIDO").asString())) assignOrderMark(s, domain::mark::Marked);
  walk.finish();
}

}  // namespace

void TfrmLiquidaItem::mnuLiqPedidoClick() {
  markOneKind(*this, &domain::isLiquidableOrder, &domain::isReversibleOrder);
}

void TfrmLiquidaItem::mnuExcluClick() {
  markOneKind(*this, &domain::isReversibleOrder, &domain::isLiquidableOrder);
}

}  // namespace ped::core
