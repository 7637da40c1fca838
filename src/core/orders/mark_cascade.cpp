// The mark cascade: every assignment of an order's mark loads that order's
// items, and a mark "S" marks them.

#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "engine/data_set.h"

namespace ped::core {
namespace {

bool takesOrderMark(const std::string& itemStatus) {
  return itemStatus != domain::item_status::Settled && itemStatus != domain::item_status::Cancelled;
}

}  // namespace

void TfrmLiquidaItem::cdsPedidoIDCHECKChange() {
  const std::string mark = cdsPedido.field("IDCHECK").asString();
  const std::string branch = cdsPedido.field("CDFILIAL").asString();
  const std::string order = cdsPedido.field("NRPEDIDO").asString();
  const int kept = inContItemPedidoCh;
  if (orderWalks_ > 0 && deferReplacedItemFetches && mark != domain::mark::Marked)
    // Nothing below reads these items, and a later fetch would replace them.
    deferredItemFetch_ = DeferredItemFetch{branch, order, mark, kept};
  else
    fetchItemsOf(branch, order);
  inContItemPedidoCh = kept;

  if (mark == domain::mark::Marked) {
    engine::Field& itemMark = cdsItemPedido.field("IDCHECK");
    const engine::ControlsDisabled frozen(cdsItemPedido);
    for (cdsItemPedido.first(); !cdsItemPedido.eof(); cdsItemPedido.next()) {
      const std::string status = cdsItemPedido.field("IDSITITEMPED").asString();
      if (!takesOrderMark(status)) continue;
      if (itemMark.asString() == domain::mark::Unmarked) {
        cdsItemPedido.edit();
        itemMark.setString(domain::mark::Marked);
        cdsItemPedido.post();
        ++inContItemPedidoCh;
      }
      habilita("");
      stSituacaoItemPedido = status;
    }
  } else if (mark == domain::mark::Unmarked) {
    habilita("");
    inContItemPedidoCh = 0;
  }
}

}  // namespace ped::core
