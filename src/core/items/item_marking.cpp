// Marking single items in the item grid: the click on one item, the click
// on the mark column's title (mark all, clear all, or the operation
// pop-up), and the rule that keeps the marked items of one kind.

#include "core/items/item_marks.h"
#include "core/shell/Cli_ped00800.h"
#include "core/shell/window_lock.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"

namespace ped::core {
namespace {

// A settlement of these items starts with no justification typed.
bool clearsJustification(std::string_view status) {
  return status == domain::item_status::Confirmed || status == domain::item_status::Approved ||
         status == domain::item_status::PartlyServed;
}

// The marked items are of one kind: settlements to reverse (status "6") or
// items to settle (every other status). Items of the other kind than
// `status` lose their mark.
void keepOneKind(TfrmLiquidaItem& s, std::string_view status) {
  const bool reversing = status == domain::item_status::SettledByHand;
  engine::DataSet& items = s.cdsItemPedido;
  for (items.first(); !items.eof(); items.next()) {
    const bool otherKind = (itemStatus(s) == domain::item_status::SettledByHand) != reversing;
    if (otherKind && itemMark(s) != domain::mark::Unmarkable) setItemMark(s, domain::mark::Unmarkable);
  }
}

// Marks every item marked "N" that passes its stock check. The first
// refusal unmarks every item and leaves the refused one current.
void markAllItems(TfrmLiquidaItem& s) {
  engine::DataSet& items = s.cdsItemPedido;
  const engine::ControlsDisabled frozen(items);
  stNrItemPed = items.field("NRITEMPED").asString();
  const engine::ScopeExit back{[&] { returnToItem(s, stNrItemPed); }};
  const engine::ScopeExit enable{[&] { s.habilita("F"); }};
  for (items.first(); !items.eof(); items.next()) {
    if (itemMark(s) != domain::mark::Unmarked) continue;
    {
      const engine::OnFailure rollback{[&] {
        stNrItemPed = items.field("NRITEMPED").asString();
        for (items.first(); !items.eof(); items.next())
          if (itemMark(s) == domain::mark::Marked) setItemMark(s, domain::mark::Unmarked);
      }};
      checkItemStock(s);
    }
    setItemMark(s, domain::mark::Marked);
    stSituacaoItemPedido = itemStatus(s);
  }
}

}  // namespace

void TfrmLiquidaItem::dbgItemPedidoCellClick(std::size_t column) {
  sttshUltimate = domain::marking_level::Item;
  stSituacaoPedido.clear();
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;

  if (isItemMarkColumn(*this, column) || boTeclado) {
    const std::string mark = itemMark(*this);
    if (mark == domain::mark::Unmarked) {
      // Checked before the row goes into edit: a refusal leaves nothing
      // pending.
      checkItemStock(*this);
      setItemMark(*this, domain::mark::Marked);
      habilita("");
      stSituacaoItemPedido = itemStatus(*this);
    } else if (mark == domain::mark::Marked) {
      setItemMark(*this, domain::mark::Unmarked);
      // Nothing left marked: both kinds become markable again.
      if (inContItemPedidoCh == 0) LimpezaItemPedido();
    }
  }

  const bool marked = itemMark(*this) == domain::mark::Marked;
  if (marked && clearsJustification(stSituacaoItemPedido)) {
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
  sttshUltimate = domain::marking_level::Item;
  stSituacaoPedido.clear();
  if (!isItemMarkColumn(*this, column) && !boTeclado) return;
  if (!cdsItemPedido.active() || cdsItemPedido.isEmpty()) return;
  // Every item unmarkable: nothing to mark or clear.
  if (inContDesabilitadosIPed >= 0 &&
      cdsItemPedido.recordCount() == static_cast<std::size_t>(inContDesabilitadosIPed))
    return;

  if (inContItemPedidoCh == 0 && !TodosMesmaSitItemPed()) {
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
