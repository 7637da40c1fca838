// Writing one order's mark, and the reads the marking rules share.

#include "core/orders/order_marks.h"

#include <exception>

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/orders/order_walk.h"
#include "core/shell/grid_cell_steps.h"
#include "core/shell/remote_call.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"

namespace ped::core {

void assignOrderMark(TfrmLiquidaItem& s, std::string_view mark, CascadeFailure onFailure) {
  engine::DataSet& orders = s.cdsPedido;
  engine::Field& field = orders.field("IDCHECK");
  orders.edit();
  const std::string was = field.asString();
  // Counted before the cascade runs: the controls it enables read the count.
  marking.orderMarkChanged(was, mark);
  if (onFailure == CascadeFailure::KeepsMark) {
    // A half-done assignment must not be posted by the next move.
    engine::OnFailure keep{[&] {
      orders.cancel();
      marking.orderMarkChanged(mark, was);
    }};
    field.setString(mark);
  } else {
    try {
      field.setString(mark);
    } catch (...) {
      // Shown already; the mark is what counts here.
    }
  }
  orders.post();
}

namespace {

// The items shown lose the marks their order's cascade gave them when that
// order is no longer marked.
void unmarkItemsOfUnmarkedOrder(TfrmLiquidaItem& s) {
  engine::DataSet& items = s.cdsItemPedido;
  if (!items.active() || items.isEmpty() || marking.markedItems() == 0) return;
  const std::string order = items.field("NRPEDIDO").asString();
  const engine::DataSet& orders = s.cdsPedido;
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (textAt(orders, row, "NRPEDIDO") == order && textAt(orders, row, "IDCHECK") == domain::mark::Marked)
      return;
  const std::string current = items.field("NRITEMPED").asString();
  const engine::ControlsDisabled frozen(items);
  for (items.first(); !items.eof(); items.next())
    if (itemMark(s) == domain::mark::Marked) setItemMark(s, domain::mark::Unmarked);
  returnToItem(s, current);
}

}  // namespace

OrderMarksUndo::OrderMarksUndo(TfrmLiquidaItem& screen)
    : screen_(screen), exceptions_(std::uncaught_exceptions()) {
  const engine::DataSet& orders = screen.cdsPedido;
  marks_.reserve(orders.recordCount());
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    marks_.emplace_back(textAt(orders, row, "IDCHECK"));
}

OrderMarksUndo::~OrderMarksUndo() {
  if (std::uncaught_exceptions() > exceptions_) putBack();
}

void OrderMarksUndo::putBack() noexcept {
  engine::DataSet& orders = screen_.cdsPedido;
  try {
    // Nested in the failed operation's walk, whose end drops the fetches.
    OrderWalk walk(screen_);
    const engine::DetachedHandler quiet(orders.events.afterScroll);
    std::size_t row = 0;
    for (orders.first(); !orders.eof() && row < marks_.size(); orders.next(), ++row)
      if (orders.field("IDCHECK").asString() != marks_[row])
        assignOrderMark(screen_, marks_[row], CascadeFailure::MarkGoesAnyway);
    unmarkItemsOfUnmarkedOrder(screen_);
  } catch (...) {
    // The failure on its way has shown its message; nothing more to tell.
  }
}

bool isMarkColumn(const hostlib::Grid& grid, std::size_t column) {
  return column < grid.columns.size() && grid.columns[column].fieldName == "IDCHECK";
}

void checkOrderStock(TfrmLiquidaItem& s) {
  {
    const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Loading);
    callServer(s, "GetItem",
               {s.cdsPedido.field("CDFILIAL").asString(), s.cdsPedido.field("NRPEDIDO").asString()},
               {&s.cdsItemPedido});
  }
  engine::DataSet& items = s.cdsItemPedido;
  for (items.first(); !items.eof(); items.next()) {
    const std::string status = items.field("IDSITITEMPED").asString();
    if (status == domain::item_status::Settled || status == domain::item_status::Cancelled ||
        status == domain::item_status::SettledByHand)
      continue;
    s.Vd_EvolEstq(items.field("CDFILIAL").asString(), items.field("NRPEDIDO").asString(),
                  items.field("NRITEMPED").asString(), items.field("QTITEMPED").asFloat());
  }
}

}  // namespace ped::core
