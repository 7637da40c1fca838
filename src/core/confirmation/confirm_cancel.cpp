// The screen's confirm and cancel buttons. On the allocation grid they post
// or drop the row being edited, and send nothing.

#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"

namespace ped::core {

void TfrmLiquidaItem::sbtConfirmarClick() {
  if (sbtConfirmar.enabled()) {
    // Sending the marks to the server is not built yet: away from the
    // allocation grid the button does nothing.
    if (!allocationGridInUse(*this)) return;
    postLiqEst();  // its checks may refuse it, ending here
  }
  confirmClosingSteps({});
}

void TfrmLiquidaItem::confirmClosingSteps(const std::string& returnOrder) {
  if (pgcPadrao.isActive(tshPadrao))
    AtualizaPedido(true);
  else if (pgcPadrao.isActive(tshItemPedido))
    reloadItemsOfCurrentOrder();
  habilita("");
  edtCdJust.setText("");
  edtDsJust.setText("");
  if (!returnOrder.empty())
    cdsPedido.locate("NRPEDIDO", {engine::Value(returnOrder)}, {.caseInsensitive = true});
  if (cdsPedido.active() && !cdsPedido.isEmpty()) reloadItemsOfCurrentOrder();
  DesabilitacaoDefaultItemPed();
}

void TfrmLiquidaItem::sbtCancelarClick() {
  if (!sbtCancelar.enabled()) return;
  // Dropping the marks is not built yet: away from the allocation grid the
  // button does nothing.
  if (!allocationGridInUse(*this)) return;
  if (!msgLiquidaItem.ShowMsg("CANCELAR", dialogs)) return;

  if (window()) window()->repaint();
  edtCdJust.setText("");
  stSelNrPedido = cdsPedido.active() && !cdsPedido.isEmpty() ? cdsPedido.field("NRPEDIDO").displayText() : "";
  stNrItemPed = cdsItemPedido.active() && !cdsItemPedido.isEmpty()
                    ? cdsItemPedido.field("NRITEMPED").displayText()
                    : "";
  mnuItemPedido.setEnabled(true);
  mnuPedido.setEnabled(true);

  // The row's changes go; the marks stay.
  if (allocationRowPending(cdsEvolEst)) {
    const std::string field = dbgLiqEst.selectedField();
    cdsEvolEst.cancel();
    dbgLiqEst.notifyChanged();
    focusLiqEstField("QTEXP");
    focusLiqEstField(field);
  }
  restoreAfterCancel();
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
