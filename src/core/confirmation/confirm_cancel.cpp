// The screen's confirm and cancel buttons.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::sbtConfirmarClick() {}

void TfrmLiquidaItem::sbtCancelarClick() {}

}  // namespace ped::core
