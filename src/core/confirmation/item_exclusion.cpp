// Exclusion of the liquidation of the marked items of one order.

#include "core/confirmation/confirmation_run.h"

namespace ped::core {

void excludeItemSettlements(ConfirmationRun& run, bool confirmed) {
  TfrmLiquidaItem& s = run.screen;
  if (confirmed) {
    if (s.window()) s.window()->repaint();
    run.send("SetDesfazLiq",
             {netclient::Arg::packet(s.cdsItemPedido.toPacket()), s.vantora.Operador(), s.edtCdJust.text()},
             s.cdsItemPedido, 1);
    run.reportRefusals();
    s.Deschecar();
    s.AtualizaPedido(false);
  }
  s.edtCdJust.setText("");
  s.pgcPadrao.setActivePage(s.tshItemPedido);  // by the program: no page change
  run.thaw();
  focusGridField(s, s.dbgItemPedido, "NRITEMPED");
}

}  // namespace ped::core
