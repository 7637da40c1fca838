// Writing one order's mark, and the reads the marking rules share.

#include "core/orders/order_marks.h"

#include "core/shell/remote_call.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"

namespace ped::core {

void assignOrderMark(TfrmLiquidaItem& s, std::string_view mark, CascadeFailure onFailure) {
  engine::DataSet& orders = s.cdsPedido;
  engine::Field& field = orders.field("IDCHECK");
  orders.edit();
  const bool wasBlocked = field.asString() == domain::mark::Blocked;
  if (onFailure == CascadeFailure::KeepsMark) {
    // A half-done assignment must not be posted by the next move.
    engine::OnFailure keep{[&] { orders.cancel(); }};
    field.setString(mark);
  } else {
    try {
      field.setString(mark);
    } catch (...) {
      // Shown already; the mark is what counts here.
    }
  }
  orders.post();
  inContDesabilitadosPed += (mark == domain::mark::Blocked ? 1 : 0) - (wasBlocked ? 1 : 0);
}

int countBlockedOrders(const engine::DataSet& orders) {
  if (!orders.active()) return 0;
  const std::size_t m = orders.field("IDCHECK").index();
  int blocked = 0;
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (orders.displayTextAt(row, m) == domain::mark::Blocked) ++blocked;
  return blocked;
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
