// The operation a confirmation will carry out: the check that something is
// marked on the page in use, the item page's entry, and the item pop-up's
// entries (the order pop-up's are with the order marking).

#include "core/items/item_marks.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

bool isInside(const hostlib::Control* control, const hostlib::Control& container) {
  for (const hostlib::Control* c = control; c != nullptr; c = c->parent())
    if (c == &container) return true;
  return false;
}

// Marks every item of the operation chosen from the item pop-up and empties
// the marks of the other kind; items of neither kind keep their mark. No
// stock check: the operator chose from a list with nothing marked.
void markItemsForOperation(TfrmLiquidaItem& s, bool reversal) {
  if (s.window() != nullptr) s.window()->repaint();
  stSituacaoItemPedido = reversal ? domain::item_status::SettledByHand : domain::item_status::Approved;
  engine::DataSet& items = s.cdsItemPedido;
  if (items.active() && !items.isEmpty()) {
    stNrItemPed = items.field("NRITEMPED").asString();
    const engine::ControlsDisabled frozen(items);
    const engine::ScopeExit back{[&] { returnToItem(s, stNrItemPed); }};
    for (items.first(); !items.eof(); items.next()) {
      const std::string status = itemStatus(s);
      const bool reversible = status == domain::item_status::SettledByHand;
      const bool settling =
          status == domain::item_status::Confirmed || status == domain::item_status::Approved;
      if (reversible || settling)
        setItemMark(s, reversible == reversal ? domain::mark::Marked : domain::mark::Unmarkable);
    }
  }
  s.habilita("");
}

}  // namespace

void TfrmLiquidaItem::Vd_Check() {
  hostlib::Grid* grid = nullptr;
  const char* message = nullptr;
  if (pgcPadrao.isActive(tshPadrao) && inContPedidoCh == 0) {
    grid = &dbgPadrao;
    message = "NENHUM_CHECK_PEDIDO";
  } else if (pgcPadrao.isActive(tshItemPedido) && inContItemPedidoCh == 0) {
    grid = &dbgItemPedido;
    message = "NENHUM_CHECK_ITEMPEDIDO";
  }
  if (grid == nullptr) return;
  hostlib::consiste::MensErro(dialogs, msgLiquidaItem.Msg(message), false);
  // The operator is back where he marks, then the operation ends.
  setFocus(*grid);
  throw hostlib::Abort();
}

void TfrmLiquidaItem::tshItemPedidoEnter() { stSituacaoPedido.clear(); }

void TfrmLiquidaItem::focusMoved(hostlib::Control* from, hostlib::Control& to) {
  // The page is entered only from outside it: moving between its grids, or
  // a page change whose focus lands on the grid already focused, is no
  // entry.
  if (isInside(&to, tshItemPedido) && !isInside(from, tshItemPedido)) tshItemPedidoEnter();
}

void TfrmLiquidaItem::mnuLiquClick() { markItemsForOperation(*this, false); }

void TfrmLiquidaItem::mnuExclLiquClick() { markItemsForOperation(*this, true); }

}  // namespace ped::core
