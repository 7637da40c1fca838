// Questions about the item list's marks and statuses, and clearing every
// mark of it.

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {

bool TfrmLiquidaItem::AlgumDeschItemPedido() { return marking.unmarkedItems() > 0; }

bool TfrmLiquidaItem::TodosMesmaSitItemPed() {
  // The same partition as the click's (any open item against a settlement
  // to reverse), among the items that can still be marked: once the pop-up
  // emptied one kind, the title marks the rest of the other.
  bool open = false, reversible = false;
  if (cdsItemPedido.active())
    for (std::size_t row = 0; row < cdsItemPedido.recordCount(); ++row) {
      if (textAt(cdsItemPedido, row, "IDCHECK") == domain::mark::Unmarkable) continue;
      const std::string_view status = textAt(cdsItemPedido, row, "IDSITITEMPED");
      open = open || domain::isOpenItem(status);
      reversible = reversible || domain::isReversibleItem(status);
    }
  return !(open && reversible);
}

void TfrmLiquidaItem::LimpezaItemPedido() {
  // The controls follow the cleared marks on every way out.
  const engine::ScopeExit enable{[this] {
    edtCdJust.setText("");
    habilita("");
  }};
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  const engine::ControlsDisabled frozen(cdsItemPedido);
  stNrItemPed = cdsItemPedido.field("NRITEMPED").asString();
  const engine::ScopeExit back{[this] { returnToItem(*this, stNrItemPed); }};
  // Items that can never be marked stay empty here already: when the
  // server cannot be reached for the default disabling below, the list is
  // still right.
  for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
    setItemMark(
        *this, domain::isMarkableItem(itemStatus(*this)) ? domain::mark::Unmarked : domain::mark::Unmarkable);
  DesabilitacaoDefaultItemPed();
}

}  // namespace ped::core
