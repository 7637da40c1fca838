// The exclusion justification: the code typed or picked on its page, looked
// up in the register and required before every confirmation.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::Vd_JustExcl(bool) {}
void TfrmLiquidaItem::btnJustClick() {}
void TfrmLiquidaItem::btnJustAfterPesq() {}
void TfrmLiquidaItem::edtCdJustChange() {}
void TfrmLiquidaItem::edtCdJustExit() {}
void TfrmLiquidaItem::typeCdJust(std::string) {}
void TfrmLiquidaItem::leaveCdJust() {}

}  // namespace ped::core
