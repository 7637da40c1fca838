// The mark cascade: every assignment of an order's mark loads that order's
// items, and a mark "S" marks them.

#include "core/items/item_marks.h"
#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "engine/data_set.h"

namespace ped::core {

void TfrmLiquidaItem::cdsPedidoIDCHECKChange() {
  const std::string mark = cdsPedido.field("IDCHECK").asString();
  const std::string branch = cdsPedido.field("CDFILIAL").asString();
  const std::string order = cdsPedido.field("NRPEDIDO").asString();
  if (orderWalks_ > 0 && batchItemReads) {
    // A later fetch of the walk would replace these items: the walk's end
    // fetches and marks the last ones.
    deferredItemFetch_ = DeferredItemFetch{branch, order, mark};
    return;
  }
  fetchItemsOf(branch, order);
  if (mark == domain::mark::Marked) markItemsOfMarkedOrder();
  if (mark == domain::mark::Marked || mark == domain::mark::Unmarked) habilita("");
}

void TfrmLiquidaItem::markItemsOfMarkedOrder() {
  const engine::ControlsDisabled frozen(cdsItemPedido);
  for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
    if (domain::isMarkableItem(itemStatus(*this)) && itemMark(*this) == domain::mark::Unmarked)
      setItemMark(*this, domain::mark::Marked);
}

}  // namespace ped::core
