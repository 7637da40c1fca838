#include "core/stock/stock_position_lookup.h"

#include "core/shell/Cli_ped00800.h"
#include "core/shell/remote_call.h"

namespace ped::core {

void loadStockPositions(TfrmLiquidaItem& screen, const PositionKeys& keys) {
  const engine::DataSet& item = screen.cdsItemPedido;
  auto ofItem = [&](const char* field) { return item.field(field).asString(); };
  // "N": only positions with something available for this item.
  callServer(screen, "GetPosEstq",
             {ofItem("CDFILIAL"), ofItem("NRPEDIDO"), ofItem("CDPRODUTO"), keys.warehouse, keys.location,
              ofItem("NRITEMPED"), "N", keys.lot, keys.subLot},
             {&screen.cdsPesqEvolEst}, hostlib::BusyKind::Loading);
}

bool allocationPending(const TfrmLiquidaItem& screen) {
  const engine::DataSetState state = screen.cdsEvolEst.state();
  return state == engine::DataSetState::Insert || state == engine::DataSetState::Edit;
}

}  // namespace ped::core
