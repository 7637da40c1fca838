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
        const std::vector<std::string> marked = markedTexts(s.cdsPedido, "NRPEDIDO");
        const int orders = static_cast<int>(marked.size());
        // Their rows went with the stock update: the reload brings what is left.
        for (const std::string& order : marked)
          s.allocationChanges.confirmed(s.cdsPedido.field("CDFILIAL").asString(), order);
        // The answer (those orders as they now stand) shows until the
        // closing steps read the whole list again, once.
        run.send(
            "SetLiquidaPed",
            {netclient::Arg::packet(markedRowsPacket(s.cdsPedido)), s.vantora.Operador(), s.edtCdJust.text()},
            s.cdsPedido, orders);
        run.reportRefusals();
      });
  if (s.pgcPadrao.isActive(s.tshJustExcl)) {
    s.tshPadrao.setEnabled(true);
    s.pgcPadrao.setActivePage(s.tshPadrao);
  }
  focusGridField(s, s.dbgPadrao, "NRPEDIDO");
}

}  // namespace ped::core
