// The click on the order grid's mark title: the operation pop-up on a list
// that mixes both kinds, clear all when nothing is left to mark, otherwise
// mark all after each order's stock check.

#include <optional>

#include "core/orders/marking_state.h"
#include "core/orders/order_marks.h"
#include "core/orders/order_stock_checks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// Whether some order of the list has status `value`; the cursor does not move.
bool anyOrderOfStatus(const engine::DataSet& orders, std::string_view value) {
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (textAt(orders, row, "IDSITPEDIDO") == value) return true;
  return false;
}

// The status of some marked order, or nothing when none is marked.
std::optional<std::string> markedKind(const engine::DataSet& orders) {
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (textAt(orders, row, "IDCHECK") == domain::mark::Marked)
      return std::string(textAt(orders, row, "IDSITPEDIDO"));
  return std::nullopt;
}

void backTo(engine::DataSet& orders, const std::string& order) {
  orders.locate("NRPEDIDO", {engine::Value(order)}, {.caseInsensitive = true});
}

// Whether mark all marks the order at `row`: unmarked, markable and of
// `kind` (of any, when none).
bool toMark(const engine::DataSet& orders, std::size_t row, const std::optional<std::string>& kind) {
  const std::string_view status = textAt(orders, row, "IDSITPEDIDO");
  return textAt(orders, row, "IDCHECK") == domain::mark::Unmarked && domain::isMarkableOrder(status) &&
         (!kind || sameOrderKind(status, *kind));
}

// The orders mark all would mark, for their stock checks made at once.
std::optional<OrderStockChecks> stockChecks(TfrmLiquidaItem& s, const std::optional<std::string>& kind) {
  if (!s.batchItemReads) return std::nullopt;
  const engine::DataSet& orders = s.cdsPedido;
  std::vector<OrderStockChecks::Order> marked;
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (toMark(orders, row, kind))
      marked.emplace_back(textAt(orders, row, "CDFILIAL"), textAt(orders, row, "NRPEDIDO"));
  return std::make_optional<OrderStockChecks>(s, marked);
}

// Marks every unmarked order of the marked ones' kind (of any, when none is
// marked: the list is then of one kind) that passes its stock check. The
// first refusal puts every mark back as it was before the click and leaves
// the refused order current.
void markAllOrders(TfrmLiquidaItem& s) {
  engine::DataSet& orders = s.cdsPedido;
  const std::optional<std::string> kind = markedKind(orders);
  const std::optional<OrderStockChecks> checks = stockChecks(s, kind);
  OrderWalk walk(s);
  const std::string start = orders.field("NRPEDIDO").asString();
  stSelNrPedido = start;
  // On a refusal stSelNrPedido names the refused order.
  const engine::ScopeExit finish{[&] {
    s.habilita("");
    try {
      backTo(orders, stSelNrPedido);
    } catch (...) {
      // Its message was shown; the marks are right either way.
    }
  }};
  const OrderMarksUndo undo(s);
  for (orders.first(); !orders.eof(); orders.next()) {
    if (!toMark(orders, orders.recNo() - 1, kind)) continue;
    stSelNrPedido = orders.field("NRPEDIDO").asString();
    // What the batch refuses is checked again as ever, and refused there.
    if (!checks || !checks->passes({orders.field("CDFILIAL").asString(), stSelNrPedido})) checkOrderStock(s);
    assignOrderMark(s, domain::mark::Marked);
  }
  walk.finish();
  stSelNrPedido = start;
}

}  // namespace

void TfrmLiquidaItem::dbgPadraoTitleClick(std::size_t column) {
  if (!isMarkColumn(dbgPadrao, column) && !boTeclado) return;
  // Nothing to mark or clear: an empty list, or every order blocked or inert.
  if (!cdsPedido.active() || cdsPedido.isEmpty() || marking.markedOrders() + marking.unmarkedOrders() == 0)
    return;
  if (marking.markedOrders() == 0 && !TodosMesmaSitPed()) {
    if (window()) window()->popupAtPointer(ppmPedidoCompleto);
    return;
  }
  if (!AlgumDeschPedido()) {
    LimpezaPedido();
    return;
  }
  markAllOrders(*this);
}

bool TfrmLiquidaItem::AlgumDeschPedido() {
  if (cdsPedido.active() && !cdsPedido.isEmpty()) stSelNrPedido = cdsPedido.field("NRPEDIDO").asString();
  return cdsPedido.active() && marking.unmarkedOrders() > 0;
}

bool TfrmLiquidaItem::TodosMesmaSitPed() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return true;
  const bool liquidable = anyOrderOfStatus(cdsPedido, domain::order_status::PartlyServed) ||
                          anyOrderOfStatus(cdsPedido, domain::order_status::InProgress);
  return !liquidable || !anyOrderOfStatus(cdsPedido, domain::order_status::SettledByHand);
}

}  // namespace ped::core
