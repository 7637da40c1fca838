// The allocation grid's options and its enter, column and scroll handlers.

#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::Habilita_Botao_Grid_EstLiq() {
  const AllocationCellAccess access =
      allocationCellAccess(dbgLiqEst.selectedField(), cdsEvolEst, cdsItemPedido);
  dbgLiqEst.setEditing(access.typing);
  // Only the selected cell's editor can show the button: no other column
  // keeps one from an earlier row or state.
  for (std::size_t column = 0; column < dbgLiqEst.columns.size(); ++column)
    dbgLiqEst.setColumnButton(column, column == dbgLiqEst.selectedColumn && access.button);
}

void TfrmLiquidaItem::dbgLiqEstEnter() {
  Habilita_Botao_Grid_EstLiq();
  habilita("");
}

void TfrmLiquidaItem::dbgLiqEstColEnter() {
  // The key columns a branch does not use are followed by columns that are
  // always shown.
  const std::size_t columns = dbgLiqEst.columns.size();
  while (dbgLiqEst.selectedColumn + 1 < columns && !dbgLiqEst.columns[dbgLiqEst.selectedColumn].visible)
    ++dbgLiqEst.selectedColumn;
  dbgLiqEst.notifyChanged();
  Habilita_Botao_Grid_EstLiq();
}

void TfrmLiquidaItem::cdsEvolEstAfterScroll() { Habilita_Botao_Grid_EstLiq(); }

void TfrmLiquidaItem::dtsEvolEstStateChange() { habilita("F"); }

void TfrmLiquidaItem::dbgItemPedidoEnter() { habilita(""); }

void TfrmLiquidaItem::enterGrid(hostlib::Grid& grid) {
  if (focused() == &grid || !setFocus(grid)) return;
  if (&grid == &dbgItemPedido) dbgItemPedidoEnter();
  if (&grid == &dbgLiqEst) dbgLiqEstEnter();
}

void TfrmLiquidaItem::focusLiqEstField(std::string_view field) {
  const int column = hostlib::consiste::IndiceCol(dbgLiqEst, field);
  if (column >= 0) dbgLiqEst.selectedColumn = static_cast<std::size_t>(column);
  dbgLiqEst.notifyChanged();
  // Coming from elsewhere (a refusal at marking) the grid is entered as the
  // operator enters it, so the toolbar offers what can fix the row.
  enterGrid(dbgLiqEst);
}

}  // namespace ped::core
