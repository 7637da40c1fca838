// The click on the order grid's mark title: the operation pop-up on a list
// that mixes both kinds, clear all when nothing is left to mark, otherwise
// mark all after each order's stock check.

#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// Whether some order of the list has IDCHECK / IDSITPEDIDO `value`; the
// cursor does not move.
bool anyOrderWith(const engine::DataSet& orders, const char* field, std::string_view value) {
  const std::size_t f = orders.field(field).index();
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    if (orders.displayTextAt(row, f) == value) return true;
  return false;
}

void backTo(engine::DataSet& orders, const std::string& order) {
  orders.locate("NRPEDIDO", {engine::Value(order)}, {.caseInsensitive = true});
}

// Every marked order back to "N", the list on `refused`. Runs while the
// refusal is on its way: no server call may fail out of it, and the item
// list stays the refused order's, as the refusal shows it.
void rollBackMarkAll(TfrmLiquidaItem& s, const std::string& refused) noexcept {
  try {
    stSelNrPedido = refused;
    OrderWalk walk(s);
    const engine::DetachedHandler quiet(s.cdsPedido.events.afterScroll);
    engine::DataSet& orders = s.cdsPedido;
    for (orders.first(); !orders.eof(); orders.next()) {
      if (orders.field("IDCHECK").asString() != domain::mark::Marked) continue;
      assignOrderMark(s, domain::mark::Unmarked, CascadeFailure::MarkGoesAnyway);
      --inContPedidoCh;
    }
    s.habilita("");
    backTo(orders, stSelNrPedido);
  } catch (...) {
    // The refusal's message was shown; nothing more to tell.
  }
}

void markAllOrders(TfrmLiquidaItem& s) {
  engine::DataSet& orders = s.cdsPedido;
  OrderWalk walk(s);
  stSelNrPedido = orders.field("NRPEDIDO").asString();
  std::string checking;
  engine::OnFailure rollBack{[&] { rollBackMarkAll(s, checking); }};
  for (orders.first(); !orders.eof(); orders.next()) {
    if (orders.field("IDCHECK").asString() != domain::mark::Unmarked) continue;
    checking = orders.field("NRPEDIDO").asString();
    const std::string status = orders.field("IDSITPEDIDO").asString();
    checkOrderStock(s);
    assignOrderMark(s, domain::mark::Marked);
    stSituacaoPedido = status;
    ++inContPedidoCh;
  }
  walk.finish();
  rollBack.dismiss();
  s.habilita("");
  backTo(orders, stSelNrPedido);
}

}  // namespace

void TfrmLiquidaItem::dbgPadraoTitleClick(std::size_t column) {
  inContItemPedidoCh = 0;
  sttshUltimate = domain::marking_level::Order;
  if (!isMarkColumn(dbgPadrao, column) && !boTeclado) return;
  if (!cdsPedido.active() || cdsPedido.isEmpty() ||
      cdsPedido.recordCount() == static_cast<std::size_t>(inContDesabilitadosPed))
    return;
  if (inContPedidoCh == 0 && !TodosMesmaSitPed()) {
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
  return cdsPedido.active() && anyOrderWith(cdsPedido, "IDCHECK", domain::mark::Unmarked);
}

bool TfrmLiquidaItem::TodosMesmaSitPed() {
  if (!cdsPedido.active() || cdsPedido.isEmpty()) return true;
  const bool liquidable = anyOrderWith(cdsPedido, "IDSITPEDIDO", domain::order_status::PartlyServed) ||
                          anyOrderWith(cdsPedido, "IDSITPEDIDO", domain::order_status::InProgress);
  return !liquidable || !anyOrderWith(cdsPedido, "IDSITPEDIDO", domain::order_status::SettledByHand);
}

}  // namespace ped::core
