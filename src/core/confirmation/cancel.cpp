// The screen's cancel button: on the allocation grid it drops the row being
// edited and keeps the marks; elsewhere it drops the marks.

#include "core/items/item_marks.h"
#include "core/orders/order_marks.h"
#include "core/orders/order_walk.h"
#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"

namespace ped::core {

void TfrmLiquidaItem::sbtCancelarClick() {
  if (!sbtCancelar.enabled()) return;
  if (!msgLiquidaItem.ShowMsg("CANCELAR", dialogs)) return;

  if (window()) window()->repaint();
  edtCdJust.setText("");
  stSelNrPedido = cdsPedido.active() && !cdsPedido.isEmpty() ? cdsPedido.field("NRPEDIDO").displayText() : "";
  stNrItemPed = cdsItemPedido.active() && !cdsItemPedido.isEmpty()
                    ? cdsItemPedido.field("NRITEMPED").displayText()
                    : "";
  mnuItemPedido.setEnabled(true);
  mnuPedido.setEnabled(true);

  if (allocationGridInUse(*this)) {
    // The row's changes go; the marks stay.
    if (allocationRowPending(cdsEvolEst)) {
      const std::string field = dbgLiqEst.selectedField();
      cdsEvolEst.cancel();
      dbgLiqEst.notifyChanged();
      focusLiqEstField("QTEXP");
      focusLiqEstField(field);
    }
  } else {
    dropMarks();
  }
  restoreAfterCancel();
}

void TfrmLiquidaItem::dropMarks() {
  Deschecar();
  // What the marks kept out of reach comes back with them: orders blocked
  // for being of the other kind, items emptied by the one-kind rule.
  // Otherwise they would stay unmarkable until the list is loaded again.
  if (tshPadrao.enabled()) {
    if (cdsPedido.active() && !cdsPedido.isEmpty()) {
      OrderWalk walk(*this);
      for (cdsPedido.first(); !cdsPedido.eof(); cdsPedido.next())
        if (cdsPedido.field("IDCHECK").asString() == domain::mark::Blocked)
          assignOrderMark(*this, domain::mark::Unmarked);
      walk.finish();
    }
  } else if (tshItemPedido.enabled() && cdsItemPedido.active()) {
    const engine::ControlsDisabled frozen(cdsItemPedido);
    for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
      if (itemMark(*this) == domain::mark::Unmarkable && domain::isMarkableItem(itemStatus(*this)))
        setItemMark(*this, domain::mark::Unmarked);
  }
  habilita("");
}

void TfrmLiquidaItem::restoreAfterCancel() {
  if (pgcPadrao.isActive(tshJustExcl)) {
    tshPadrao.setEnabled(true);
    pgcPadrao.setActivePage(tshPadrao);
  }
  {
    engine::DetachedHandler quiet(cdsPedido.events.afterScroll);
    if (cdsPedido.active())
      cdsPedido.locate("NRPEDIDO", {engine::Value(stSelNrPedido)}, {.caseInsensitive = true});
    if (cdsItemPedido.active())
      cdsItemPedido.locate("NRITEMPED", {engine::Value(stNrItemPed)}, {.caseInsensitive = true});
  }
  // The walks that dropped the marks moved through every order.
  showCurrentClient();
  if (tshPadrao.enabled()) {
    habilita("");
  } else if (tshItemPedido.enabled()) {
    DesabilitacaoDefaultItemPed();
    habilita("");
  }
  tshPadrao.setEnabled(true);
  tshItemPedido.setEnabled(true);
  tshJustExcl.setEnabled(false);
  pgcPadrao.onChange = [this] { pgcPadraoChange(); };
  dbgLiqEst.setEditing(false);
}

}  // namespace ped::core
