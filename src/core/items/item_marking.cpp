// Marking single items in the item grid: the click on one item, the click
// on the mark column's title (mark all, clear all, or the operation
// pop-up), and the rule that keeps the marked items of one kind.

#include <optional>
#include <vector>

#include "core/items/item_marks.h"
#include "core/orders/marking_state.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "core/shell/window_lock.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// A settlement of these items starts with no justification typed.
bool clearsJustification(std::string_view status) {
  return status == domain::item_status::Confirmed || status == domain::item_status::Approved ||
         status == domain::item_status::PartlyServed;
}

// The marked items are of one kind: settlements to reverse (status "6") or
// items to settle (the open statuses). Items of the other kind than
// `status` lose their mark.
void keepOneKind(TfrmLiquidaItem& s, std::string_view status) {
  engine::DataSet& items = s.cdsItemPedido;
  for (items.first(); !items.eof(); items.next())
    if (!sameItemKind(itemStatus(s), status) && itemMark(s) != domain::mark::Unmarkable)
      setItemMark(s, domain::mark::Unmarkable);
}

// The status of some marked item, or nothing when none is marked.
std::optional<std::string> markedKind(const engine::DataSet& items) {
  for (std::size_t row = 0; row < items.recordCount(); ++row)
    if (textAt(items, row, "IDCHECK") == domain::mark::Marked)
      return std::string(textAt(items, row, "IDSITITEMPED"));
  return std::nullopt;
}

// Marks every unmarked item of the marked ones' kind (of any, when none is
// marked: the list is then of one kind) that passes its stock check. The
// first refusal takes off the marks this pass gave and leaves the refused
// item current.
void markAllItems(TfrmLiquidaItem& s) {
  engine::DataSet& items = s.cdsItemPedido;
  const std::optional<std::string> kind = markedKind(items);
  const engine::ControlsDisabled frozen(items);
  stNrItemPed = items.field("NRITEMPED").asString();
  const engine::ScopeExit back{[&] { returnToItem(s, stNrItemPed); }};
  const engine::ScopeExit enable{[&] { s.habilita("F"); }};
  std::vector<std::string> markedHere;
  const engine::OnFailure rollback{[&] {
    stNrItemPed = items.field("NRITEMPED").asString();
    for (const std::string& number : markedHere) {
      returnToItem(s, number);
      setItemMark(s, domain::mark::Unmarked);
    }
  }};
  for (items.first(); !items.eof(); items.next()) {
    const std::string status = itemStatus(s);
    if (itemMark(s) != domain::mark::Unmarked || !domain::isMarkableItem(status) ||
        (kind && !sameItemKind(status, *kind)))
      continue;
    checkItemStock(s);
    setItemMark(s, domain::mark::Marked);
    markedHere.push_back(items.field("NRITEMPED").asString());
  }
}

}  // namespace

void TfrmLiquidaItem::dbgItemPedidoCellClick(std::size_t column) {
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;

  // Items no operation takes keep whatever the list shows.
  if ((isItemMarkColumn(*this, column) || boTeclado) && domain::isMarkableItem(itemStatus(*this))) {
    const std::string mark = itemMark(*this);
    if (mark == domain::mark::Unmarked) {
      // Checked before the row goes into edit: a refusal leaves nothing
      // pending.
      checkItemStock(*this);
      setItemMark(*this, domain::mark::Marked);
      habilita("");
    } else if (mark == domain::mark::Marked) {
      setItemMark(*this, domain::mark::Unmarked);
      // Nothing left marked: both kinds become markable again.
      if (marking.markedItems() == 0) LimpezaItemPedido();
    }
  }

  const bool marked = itemMark(*this) == domain::mark::Marked;
  if (marked && clearsJustification(itemStatus(*this))) {
    tshJustExcl.setEnabled(true);
    edtCdJust.setText("");
    edtDsJust.setText("");
  }

  reposicionar = cdsItemPedido.field("NRITEMPED").asString();
  const WindowUpdateLock frozen(*this);
  // Back on the clicked item before the window draws again.
  const engine::ScopeExit back{[this] { returnToItem(*this, reposicionar); }};
  if (marked) keepOneKind(*this, itemStatus(*this));
}

void TfrmLiquidaItem::dbgItemPedidoTitleClick(std::size_t column) {
  if (!isItemMarkColumn(*this, column) && !boTeclado) return;
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  // Every item unmarkable: nothing to mark or clear.
  if (marking.markedItems() + marking.unmarkedItems() == 0) return;

  if (marking.markedItems() == 0 && !TodosMesmaSitItemPed()) {
    // Both kinds markable: the operator chooses the operation.
    if (window() != nullptr) window()->popupAtPointer(ppmItemPedido);
    return;
  }
  if (!AlgumDeschItemPedido()) {
    LimpezaItemPedido();
    return;
  }
  markAllItems(*this);
}

}  // namespace ped::core
