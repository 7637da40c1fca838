// The entries of the order pop-up, opened by the mark title on a list that
// mixes both kinds: mark one kind, block the other. No stock check is made.

#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"

namespace ped::core {
namespace {

void markOneKind(TfrmLiquidaItem& s, std::string_view operation, bool (*kind)(std::string_view),
                 bool (*other)(std::string_view)) {
  if (s.window()) s.window()->repaint();
  stSituacaoPedido = operation;
  engine::DataSet& orders = s.cdsPedido;
  if (!orders.active() || orders.isEmpty()) return;
  stSelNrPedido = orders.field("NRPEDIDO").asString();
  OrderWalk walk(s);
  for (orders.first(); !orders.eof(); orders.next()) {
    const std::string status = orders.field("IDSITPEDIDO").asString();
    if (kind(status)) {
      assignOrderMark(s, domain::mark::Marked);
      ++inContPedidoCh;
    } else if (other(status)) {
      assignOrderMark(s, domain::mark::Blocked);
    }
  }
  walk.finish();
  s.habilita("");
  orders.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
}

}  // namespace

void TfrmLiquidaItem::mnuLiqPedidoClick() {
  markOneKind(*this, domain::order_status::PartlyServed, &domain::isLiquidableOrder,
              &domain::isReversibleOrder);
}

void TfrmLiquidaItem::mnuExcluClick() {
  markOneKind(*this, domain::order_status::SettledByHand, &domain::isReversibleOrder,
              &domain::isLiquidableOrder);
}

}  // namespace ped::core
