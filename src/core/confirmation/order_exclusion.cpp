// Exclusion of the liquidation of whole orders: one call per marked order,
// every item of it sent marked; the server turns back only the items
// liquidated by hand. The order list is then read again, without marks.

#include "core/confirmation/confirmation_run.h"
#include "core/items/item_marks.h"
#include "domain/status_codes.h"

namespace ped::core {
void excludeOrderSettlements(ConfirmationRun& run, bool confirmed) {
  TfrmLiquidaItem& s = run.screen;
  if (confirmed) {
    if (s.window()) s.window()->repaint();
    // Read before the first call: the order list's cursor stays where it
    // is, and its marks stay as they were.
    const std::vector<std::string> branches = markedTexts(s.cdsPedido, "CDFILIAL");
    const std::vector<std::string> orders = markedTexts(s.cdsPedido, "NRPEDIDO");
    for (std::size_t i = 0; i < orders.size(); ++i) {
      s.fetchItemsOf(branches[i], orders[i]);
      {
        const engine::ControlsDisabled quiet(s.cdsItemPedido);
        for (s.cdsItemPedido.first(); !s.cdsItemPedido.eof(); s.cdsItemPedido.next())
          setItemMark(s, domain::mark::Marked);
        s.habilita("");
      }
      run.send("SetDesfazLiq",
               {netclient::Arg::packet(s.cdsItemPedido.toPacket()), s.vantora.Operador(), s.edtCdJust.text()},
               s.cdsItemPedido, 1);
    }
    run.reportRefusals();
    // The orders as the server now has them, none marked: kept marks would
    // stand for settlements that are gone, and would leave the item page
    // shown but unusable.
    s.AtualizaPedido(false);
    s.tshItemPedido.setEnabled(true);
  }
  s.edtCdJust.setText("");
  // Only a usable item page is shown: after a "Não" the orders are still
  // marked, and the operator stays where he was.
  if (s.tshItemPedido.enabled())
    s.pgcPadrao.setActivePage(s.tshItemPedido);  // by the program: no page change
  run.thaw();
  focusGridField(s, s.dbgPadrao, "NRPEDIDO");
}

}  // namespace ped::core
