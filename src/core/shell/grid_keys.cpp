// The space bar in the order and item grids: a click on the current row's
// mark, or with Ctrl on the mark column's title.

#include "core/shell/Cli_ped00800.h"
#include "engine/scope_exit.h"
#include "hostlib/keys.h"

namespace ped::core {
namespace {

// Runs the grid's click handlers as clicks on its first column, boTeclado
// set meanwhile (the handlers then act as on the mark column). Returns
// whether the key was the space bar.
bool spaceAsClick(TfrmLiquidaItem& s, int key, unsigned shift,
                  void (TfrmLiquidaItem::*cellClick)(std::size_t),
                  void (TfrmLiquidaItem::*titleClick)(std::size_t)) {
  boTeclado = true;
  const engine::ScopeExit clear{[] { boTeclado = false; }};
  if (key != hostlib::kKeySpace) return false;
  if (shift & hostlib::ssCtrl)
    (s.*titleClick)(0);
  else
    (s.*cellClick)(0);
  return true;
}

}  // namespace

bool TfrmLiquidaItem::dbgPadraoKeyDown(int key, unsigned shift) {
  const bool used = GridKeyDown(key, shift);
  return spaceAsClick(*this, key, shift, &TfrmLiquidaItem::dbgPadraoCellClick,
                      &TfrmLiquidaItem::dbgPadraoTitleClick) ||
         used;
}

bool TfrmLiquidaItem::dbgItemPedidoKeyDown(int key, unsigned shift) {
  return spaceAsClick(*this, key, shift, &TfrmLiquidaItem::dbgItemPedidoCellClick,
                      &TfrmLiquidaItem::dbgItemPedidoTitleClick);
}

}  // namespace ped::core
