// The check that something is marked on the page in use, and the item
// pop-up's entries (the order pop-up's are with the order marking).

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

// Marks the items of the operation chosen from the item pop-up (the
// settlements to reverse; or the confirmed and approved items to settle)
// and empties the marks of the other kind, so that nothing of it can be
// marked beside them. Pending and partly served items stay markable for a
// settlement. No stock check: the operator chose from a list with nothing
// marked.
void markItemsForOperation(TfrmLiquidaItem& s, bool reversal) {
  if (s.window() != nullptr) s.window()->repaint();
  engine::DataSet& items = s.cdsItemPedido;
  if (items.active() && !items.isEmpty()) {
    stNrItemPed = items.field("NRITEMPED").asString();
    const engine::ControlsDisabled frozen(items);
    const engine::ScopeExit back{[&] { returnToItem(s, stNrItemPed); }};
    for (items.first(); !items.eof(); items.next()) {
      const std::string status = itemStatus(s);
      if (!domain::isMarkableItem(status)) continue;
      if (domain::isReversibleItem(status) != reversal)
        setItemMark(s, domain::mark::Unmarkable);
      else if (reversal || status == domain::item_status::Confirmed ||
               status == domain::item_status::Approved)
        setItemMark(s, domain::mark::Marked);
    }
  }
  s.habilita("");
}

}  // namespace

void TfrmLiquidaItem::Vd_Check() {
  hostlib::Grid* grid = nullptr;
  const char* message = nullptr;
  if (pgcPadrao.isActive(tshPadrao) && marking.markedOrders() == 0) {
    grid = &dbgPadrao;
    message = "NENHUM_CHECK_PEDIDO";
  } else if (pgcPadrao.isActive(tshItemPedido) && marking.markedItems() == 0) {
    grid = &dbgItemPedido;
    message = "NENHUM_CHECK_ITEMPEDIDO";
  }
  if (grid == nullptr) return;
  hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg(message), false);
  // The operator is back where he marks, then the operation ends.
  setFocus(*grid);
  throw hostlib::Abort();
}

void TfrmLiquidaItem::mnuLiquClick() { markItemsForOperation(*this, false); }

void TfrmLiquidaItem::mnuExclLiquClick() { markItemsForOperation(*this, true); }

}  // namespace ped::core
