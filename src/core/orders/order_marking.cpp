// The click on one order of the order grid: the toggle of its mark, the
// blocking and release that keep the marked orders of one kind, and the
// pass that marks again the items of the marked orders.

#include <optional>

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

using OrderGroup = bool (*)(std::string_view);

// The orders a marked order of `status` keeps out: the other kind's. Status
// "3" (and any unknown one) keeps none out.
OrderGroup otherKind(const std::string& status) {
  if (domain::isReversibleOrder(status)) return &domain::isLiquidableOrder;
  if (domain::isLiquidableOrder(status)) return &domain::isReversibleOrder;
  return nullptr;
}

// Gives every order of `group` the mark `mark`; the cursor ends past the
// last order.
void markGroup(TfrmLiquidaItem& s, OrderGroup group, std::string_view mark) {
  OrderWalk walk(s);
  engine::DataSet& orders = s.cdsPedido;
  for (orders.first(); !orders.eof(); orders.next())
    if (group(orders.field("IDSITPEDIDO").asString())) assignOrderMark(s, mark);
  walk.finish();
}

// Toggles the current order's mark: "N" after its stock check, "S". Returns
// the new mark; nothing for any other mark, or for an order no operation
// takes (settled orders never carry a mark of their own).
std::optional<std::string_view> toggleCurrentOrder(TfrmLiquidaItem& s) {
  const std::string mark = s.cdsPedido.field("IDCHECK").asString();
  if (!domain::isMarkableOrder(s.cdsPedido.field("IDSITPEDIDO").asString())) return std::nullopt;
  std::string_view outcome;
  if (mark == domain::mark::Unmarked) {
    checkOrderStock(s);
    assignOrderMark(s, domain::mark::Marked);
    outcome = domain::mark::Marked;
  } else if (mark == domain::mark::Marked) {
    assignOrderMark(s, domain::mark::Unmarked);
    outcome = domain::mark::Unmarked;
  } else {
    return std::nullopt;
  }
  s.habilita("");
  return outcome;
}

// From the current order to the last: the items of every marked order
// fetched again and marked. Each fetch replaces the one before: batched,
// only the last marked order's items are fetched.
void remarkItemsFromCurrent(TfrmLiquidaItem& s) {
  engine::DataSet& orders = s.cdsPedido;
  engine::DataSet& items = s.cdsItemPedido;
  std::size_t last = 0;  // 1-based; 0: none
  if (s.batchItemReads && !orders.eof()) {
    for (std::size_t row = orders.recNo() - 1; row < orders.recordCount(); ++row)
      if (textAt(orders, row, "IDCHECK") == domain::mark::Marked) last = row + 1;
    if (last == 0) return;
    orders.setRecNo(last);
  }
  for (; !orders.eof(); orders.next()) {
    if (orders.field("IDCHECK").asString() != domain::mark::Marked) continue;
    // The list is replaced, not closed first: a failed fetch leaves it shown.
    s.fetchItemsOf(orders.field("CDFILIAL").asString(), orders.field("NRPEDIDO").asString());
    const engine::ControlsDisabled frozen(items);
    for (items.first(); !items.eof(); items.next())
      if (itemMark(s) == domain::mark::Unmarked) setItemMark(s, domain::mark::Marked);
  }
}

}  // namespace

void TfrmLiquidaItem::dbgPadraoCellClick(std::size_t column) {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return;
  const std::string clicked = cdsPedido.field("NRPEDIDO").asString();
  const std::string status = cdsPedido.field("IDSITPEDIDO").asString();

  std::optional<std::string_view> outcome;
  if (isMarkColumn(dbgPadrao, column) || boTeclado) outcome = toggleCurrentOrder(*this);
  {
    // One repaint for the walks and the pass, back on the clicked order.
    const WindowUpdateLock window(*this);
    const engine::ControlsDisabled list(cdsPedido);
    // Back on the clicked order on every way out, a failed fetch included.
    // A failure of the move itself has shown its message already.
    const engine::ScopeExit back{[&] {
      try {
        cdsPedido.locate("NRPEDIDO", {engine::Value(clicked)}, {.caseInsensitive = true});
      } catch (...) {
      }
    }};
    const OrderGroup other = otherKind(status);
    if (outcome == domain::mark::Marked) {
      if (other) markGroup(*this, other, domain::mark::Blocked);
      edtCdJust.setText("");
      edtDsJust.setText("");
    } else if (outcome == domain::mark::Unmarked && marking.markedOrders() == 0 && other) {
      markGroup(*this, other, domain::mark::Unmarked);
    }
    // After a walk the cursor stands past the last order: the pass is empty.
    remarkItemsFromCurrent(*this);
  }
  habilita("");
}

}  // namespace ped::core
