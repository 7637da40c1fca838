// The operation a confirmation will carry out: the check that something is
// marked on the page in use, the item page's entry, and the item pop-up's
// entries (the order pop-up's are with the order marking).

#include "core/shell/Cli_ped00800.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::Vd_Check() {
  hostlib::Grid* grid = nullptr;
  const char* message = nullptr;
  if (pgcPadrao.isActive(tshPadrao) && inContPedidoCh == 0) {
    grid = &dbgPadrao;
    message = "NENHUM_CHECK_PEDIDO";
  } else if (pgcPadrao.isActive(tshItemPedido) && inContItemPedidoCh == 0) {
    grid = &dbgItemPedido;
    message = "NENHUM_CHECK_ITEMPEDIDO";
  }
  if (grid == nullptr) return;
  hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg(message), false);
  // The operator is back where he marks, then the operation ends.
  setFocus(*grid);
  throw hostlib::Abort();
}

void TfrmLiquidaItem::tshItemPedidoEnter() { stSituacaoPedido.clear(); }

void TfrmLiquidaItem::mnuLiquClick() {}

void TfrmLiquidaItem::mnuExclLiquClick() {}

}  // namespace ped::core
