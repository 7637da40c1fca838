// Walks over the order list and the item fetch their cascades leave for
// their end.

#include "core/orders/order_walk.h"

#include "core/shell/remote_call.h"
#include "domain/status_codes.h"

namespace ped::core {

OrderWalk::OrderWalk(TfrmLiquidaItem& screen)
    : screen_(screen), window_(screen), controls_(screen.cdsPedido) {
  ++screen_.orderWalks_;
}

OrderWalk::~OrderWalk() {
  if (--screen_.orderWalks_ == 0) screen_.deferredItemFetch_.reset();
}

void OrderWalk::finish() {
  if (screen_.orderWalks_ == 1) screen_.makeDeferredItemFetch();
}

void TfrmLiquidaItem::fetchItemsOf(const std::string& branch, const std::string& order) {
  callServer(*this, "GetItem", {branch, order}, {&cdsItemPedido});
}

void TfrmLiquidaItem::makeDeferredItemFetch() {
  if (!deferredItemFetch_) return;
  const DeferredItemFetch fetch = std::move(*deferredItemFetch_);
  deferredItemFetch_.reset();
  fetchItemsOf(fetch.branch, fetch.order);
  if (fetch.mark == domain::mark::Marked) markItemsOfMarkedOrder();
  habilita("");
}

}  // namespace ped::core
