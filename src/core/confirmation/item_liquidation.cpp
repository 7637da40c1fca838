// Liquidation of the marked items of one order, their stock moved first when
// the order parameters say so.

#include "core/confirmation/liquidation.h"
#include "core/confirmation/stock_update.h"

namespace ped::core {

void liquidateItems(ConfirmationRun& run) {
  TfrmLiquidaItem& s = run.screen;
  liquidate(
      run, "ItemPedXXLF", [&] { return itemStockFilter(s.cdsItemPedido); },
      [&] {
        // The order's rows went with the stock update: the reload brings what is left.
        s.allocationChanges.confirmed(s.cdsPedido.field("CDFILIAL").asString(),
                                      s.cdsPedido.field("NRPEDIDO").asString());
        run.send(
            "SetLiquidaItem",
            {s.vantora.Operador(), netclient::Arg::packet(s.cdsItemPedido.toPacket()), s.edtCdJust.text()},
            s.cdsItemPedido, 1);
        run.reportRefusals();
        s.Deschecar();
        s.AtualizaPedido(false);
      });
  if (s.pgcPadrao.isActive(s.tshJustExcl)) {
    s.tshPadrao.setEnabled(true);
    s.pgcPadrao.setActivePage(s.tshItemPedido);
  }
  focusGridField(s, s.dbgItemPedido, "NRITEMPED");
}

}  // namespace ped::core
