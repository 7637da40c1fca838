// The allocation grid: what can be edited, the toolbar's row actions and the operator's moves.

#include "core/shell/Cli_ped00800.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::Habilita_Botao_Grid_EstLiq() {}

void TfrmLiquidaItem::dbgLiqEstEnter() {}

void TfrmLiquidaItem::dbgLiqEstColEnter() {}

void TfrmLiquidaItem::cdsEvolEstAfterScroll() {}

void TfrmLiquidaItem::dtsEvolEstStateChange() {}

void TfrmLiquidaItem::dbgItemPedidoEnter() {}

void TfrmLiquidaItem::enterGrid(hostlib::Grid&) {}

void TfrmLiquidaItem::sbtIncluirClick() {}

void TfrmLiquidaItem::sbtAlterarClick() {}

void TfrmLiquidaItem::sbtExcluirClick() {}

bool TfrmLiquidaItem::moveLiqEstColumn(std::size_t) { return false; }

void TfrmLiquidaItem::typeLiqEstCell(std::size_t, std::string_view) {}

void TfrmLiquidaItem::postLiqEst() {}

void TfrmLiquidaItem::cancelLiqEst() {}

void TfrmLiquidaItem::focusLiqEstField(std::string_view field) {
  const int column = hostlib::consiste::IndiceCol(dbgLiqEst, field);
  if (column >= 0) dbgLiqEst.selectedColumn = static_cast<std::size_t>(column);
  dbgLiqEst.notifyChanged();
  setFocus(dbgLiqEst);
}

}  // namespace ped::core
