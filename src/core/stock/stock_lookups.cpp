// The server checks of an allocation row's keys and the pick list of stock positions.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::Vd_Almoxarifado() {}

void TfrmLiquidaItem::Vd_LocalEstoque() {}

void TfrmLiquidaItem::Vd_Lote() {}

void TfrmLiquidaItem::Vd_SubLote(bool) {}

void TfrmLiquidaItem::dbgLiqEstColExit() {}

void TfrmLiquidaItem::dbgLiqEstEditButtonClick() {}

}  // namespace ped::core
