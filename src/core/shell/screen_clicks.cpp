// How the operator's clicks on the main screen's buttons and menu entries
// reach their handlers, and the page entries of the operations menu.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::click(hostlib::Control& control) {
  if (!control.usable()) return;
  using Handler = void (TfrmLiquidaItem::*)();
  const std::pair<const hostlib::Control*, Handler> handlers[] = {
      {&sbtImprimir, &TfrmLiquidaItem::sbtImprimirClick},
      {&sbtFiltro, &TfrmLiquidaItem::sbtFiltroClick},
      {&mnuFiltrar, &TfrmLiquidaItem::mnuFiltrarClick},
      {&mnuHistorico, &TfrmLiquidaItem::mnuHistoricoClick},
      {&sbtVerificar, &TfrmLiquidaItem::sbtVerificarClick},
      {&sbtProcurar, &TfrmLiquidaItem::sbtProcurarClick},
      {&mnuProcurar, &TfrmLiquidaItem::mnuProcurarClick},
      {&btnFilial, &TfrmLiquidaItem::btnFilialClick},
      {&btnJust, &TfrmLiquidaItem::btnJustClick},
      {&mnuPedido, &TfrmLiquidaItem::mnuPedidoClick},
      {&mnuItemPedido, &TfrmLiquidaItem::mnuItemPedidoClick},
      {&mnuJustExcl, &TfrmLiquidaItem::mnuJustExclClick},
      {&mnuLiqPedido, &TfrmLiquidaItem::mnuLiqPedidoClick},
      {&mnuExclu, &TfrmLiquidaItem::mnuExcluClick},
      {&mnuLiqu, &TfrmLiquidaItem::mnuLiquClick},
      {&mnuExclLiqu, &TfrmLiquidaItem::mnuExclLiquClick},
      {&sbtIncluir, &TfrmLiquidaItem::sbtIncluirClick},
      {&mnuIncluir, &TfrmLiquidaItem::sbtIncluirClick},
      {&sbtAlterar, &TfrmLiquidaItem::sbtAlterarClick},
      {&mnuAlterar, &TfrmLiquidaItem::sbtAlterarClick},
      {&sbtExcluir, &TfrmLiquidaItem::sbtExcluirClick},
      {&mnuExcluir, &TfrmLiquidaItem::sbtExcluirClick},
      {&sbtProporLotes, &TfrmLiquidaItem::sbtProporLotesClick},
      {&mnuProporLotes, &TfrmLiquidaItem::sbtProporLotesClick},
      {&sbtConfirmar, &TfrmLiquidaItem::sbtConfirmarClick},
      {&mnuConfirmar, &TfrmLiquidaItem::sbtConfirmarClick},
      {&sbtCancelar, &TfrmLiquidaItem::sbtCancelarClick},
      {&mnuCancelar, &TfrmLiquidaItem::sbtCancelarClick}};
  for (const auto& [c, handler] : handlers)
    if (c == &control) {
      (this->*handler)();
      return;
    }
}

void TfrmLiquidaItem::mnuPedidoClick() {
  if (!pgcPadrao.isActive(tshPadrao)) {
    pgcPadrao.setActivePage(tshPadrao);
    pgcPadraoChange();
  }
  setFocus(dbgPadrao);
}

void TfrmLiquidaItem::mnuItemPedidoClick() {
  if (pgcPadrao.isActive(tshItemPedido)) return;
  pgcPadrao.setActivePage(tshItemPedido);
  pgcPadraoChange();
}

void TfrmLiquidaItem::mnuJustExclClick() {
  if (pgcPadrao.isActive(tshJustExcl)) return;
  pgcPadrao.setActivePage(tshJustExcl);
  pgcPadraoChange();
}

}  // namespace ped::core
