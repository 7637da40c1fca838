// The checks of a posted allocation row, the booking of its quantity, and the check of an item's rows as a whole.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::cdsEvolEstBeforeInsert() {}

void TfrmLiquidaItem::cdsEvolEstBeforeEdit() {}

void TfrmLiquidaItem::cdsEvolEstBeforePost() {}

void TfrmLiquidaItem::Valida_Repetido(bool) {}

void TfrmLiquidaItem::cdsEvolEstAfterPost() {}

void TfrmLiquidaItem::cdsEvolEstAfterDelete() {}

void TfrmLiquidaItem::cdsEvolEstAfterCancel() {}

void TfrmLiquidaItem::Vd_EvolEstq(const std::string&, const std::string&, const std::string&, double) {}

}  // namespace ped::core
