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
  if (orderWalks_ > 0 && deferReplacedItemFetches && mark != domain::mark::Marked)
    // Nothing below reads these items, and a later fetch would replace them.
    deferredItemFetch_ = DeferredItemFetch{branch, order, mark};
  else
    fetchItemsOf(branch, order);

  if (mark == domain::mark::Marked) {
    const engine::ControlsDisabled frozen(cdsItemPedido);
    // The items an operation can take go with their order.
    for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next())
      if (domain::isMarkableItem(itemStatus(*this)) && itemMark(*this) == domain::mark::Unmarked)
        setItemMark(*this, domain::mark::Marked);
  }
  if (mark == domain::mark::Marked || mark == domain::mark::Unmarked) habilita("");
}

}  // namespace ped::core
