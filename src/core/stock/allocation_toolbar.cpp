// The toolbar's include, alter and delete buttons acting on the allocation
// rows of the current item.

#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"
#include "engine/text.h"
#include "hostlib/consiste.h"

namespace ped::core {

void TfrmLiquidaItem::sbtIncluirClick() {
  if (!allocationGridInUse(*this) || allocationRowPending(cdsEvolEst)) return;
  // The first field the operator fills: the first shown in the grid, in the
  // data set's order, that is not filled for him. The data set's own
  // visibility alone would pick the item's hidden keys.
  for (std::size_t f = 0; f < cdsEvolEst.fieldCount(); ++f) {
    const engine::Field& field = cdsEvolEst.field(f);
    if (!field.visible() || engine::text::equalsIgnoreCase(field.name(), "SGUNIDADE") ||
        engine::text::equalsIgnoreCase(field.name(), "QTDISPONIVEL"))
      continue;
    const int column = hostlib::consiste::IndiceCol(dbgLiqEst, field.name());
    if (column < 0 || !dbgLiqEst.columns[static_cast<std::size_t>(column)].visible) continue;
    focusLiqEstField(field.name());
    break;
  }
  cdsEvolEst.insert();
}

void TfrmLiquidaItem::sbtAlterarClick() {
  // Editing an empty view would insert a row instead.
  if (!allocationGridInUse(*this) || !cdsEvolEst.active() || cdsEvolEst.isEmpty()) return;
  cdsEvolEst.edit();
}

void TfrmLiquidaItem::sbtExcluirClick() {
  if (!allocationGridInUse(*this) || allocationRowPending(cdsEvolEst)) return;
  if (!cdsEvolEst.active() || cdsEvolEst.isEmpty()) return;
  // The base screen's own table, not the screen's.
  if (!hostlib::TfrmPadraoGrid::msgPadrao.ShowMsg("Excl", dialogs)) return;
  cdsEvolEst.remove();
}

}  // namespace ped::core
