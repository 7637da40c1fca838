// Liquidation of whole orders: every open item of the marked orders settled,
// their stock moved first when the order parameters say so.

#include "core/confirmation/liquidation.h"
#include "core/confirmation/stock_update.h"

namespace ped::core {

void liquidateOrders(ConfirmationRun& run) {
  TfrmLiquidaItem& s = run.screen;
  liquidate(
      run, "PedANLF", [&] { return orderStockFilter(s.cdsPedido); },
      [&] {
        const int orders = static_cast<int>(markedTexts(s.cdsPedido, "NRPEDIDO").size());
        run.send("SetLiquidaPed",
                 {netclient::Arg::packet(s.cdsPedido.toPacket()), s.vantora.Operador(), s.edtCdJust.text()},
                 s.cdsPedido, orders);
        run.reportRefusals();
        s.AtualizaPedido(true);
      });
  if (s.pgcPadrao.isActive(s.tshJustExcl)) {
    s.tshPadrao.setEnabled(true);
    s.pgcPadrao.setActivePage(s.tshPadrao);
  }
  focusGridField(s, s.dbgPadrao, "NRPEDIDO");
}

}  // namespace ped::core
