// Questions about the item list's marks and statuses, and clearing every
// mark of it.

#include "core/items/item_marks.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// Whether some item of the list has `value` in `field`. Reads the rows
// without moving the cursor, so no scroll handler runs.
bool anyItem(const engine::DataSet& items, std::string_view field, std::string_view value) {
  if (!items.active()) return false;
  for (std::size_t row = 0; row < items.recordCount(); ++row)
    if (textAt(items, row, field) == value) return true;
  return false;
}

}  // namespace

bool TfrmLiquidaItem::AlgumDeschItemPedido() {
  return anyItem(cdsItemPedido, "IDCHECK", domain::mark::Unmarked);
}

bool TfrmLiquidaItem::TodosMesmaSitItemPed() {
  const bool settling = anyItem(cdsItemPedido, "IDSITITEMPED", domain::item_status::Confirmed) ||
                        anyItem(cdsItemPedido, "IDSITITEMPED", domain::item_status::Approved);
  return !settling || !anyItem(cdsItemPedido, "IDSITITEMPED", domain::item_status::SettledByHand);
}

void TfrmLiquidaItem::LimpezaItemPedido() {
  // The controls follow the cleared marks on every way out.
  const engine::ScopeExit enable{[this] {
    edtCdJust.setText("");
    habilita("");
  }};
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) {
    inContItemPedidoCh = 0;
    return;
  }
  const engine::ControlsDisabled frozen(cdsItemPedido);
  stNrItemPed = cdsItemPedido.field("NRITEMPED").asString();
  const engine::ScopeExit back{[this] { returnToItem(*this, stNrItemPed); }};
  // Items that can never be marked stay empty here already: when the
  // server cannot be reached for the default disabling below, the list is
  // still right.
  for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
    setItemMark(
        *this, domain::isMarkableItem(itemStatus(*this)) ? domain::mark::Unmarked : domain::mark::Unmarkable);
  inContItemPedidoCh = 0;
  const int unmarkable = inContDesabilitadosIPed;
  const engine::OnFailure recount{[unmarkable] { inContDesabilitadosIPed = unmarkable; }};
  DesabilitacaoDefaultItemPed();
}

}  // namespace ped::core
