// The steps that end every confirmation that did not end in an error.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

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

}  // namespace ped::core
