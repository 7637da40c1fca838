// How the allocation grid's cells look.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

CellPainting TfrmLiquidaItem::dbgLiqEstDrawColumnCell(std::size_t, std::size_t, CellState) const { return {}; }

}  // namespace ped::core
