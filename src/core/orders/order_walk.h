#pragma once
// A walk over the order list that assigns marks: the list's controls and the
// screen's window frozen for its life (one repaint at the end), and the item
// fetches of the mark cascades it runs left for its end when the screen
// batches them (TfrmLiquidaItem::batchItemReads).
//
// Walks nest; only the outermost one acts on the window, the controls and
// the deferred fetch. A walk left by a failure drops its deferred fetch: the
// item list stays as the last fetch that was made left it, and no server
// call runs while the failure is on its way.

#include "core/shell/Cli_ped00800.h"
#include "core/shell/window_lock.h"
#include "engine/data_set.h"

namespace ped::core {

class OrderWalk {
 public:
  explicit OrderWalk(TfrmLiquidaItem& screen);
  ~OrderWalk();
  OrderWalk(const OrderWalk&) = delete;
  OrderWalk& operator=(const OrderWalk&) = delete;

  // The walk's normal end: makes the deferred fetch (the outermost walk
  // only). May throw as GetItem does; the walk is then left by that failure.
  void finish();

 private:
  TfrmLiquidaItem& screen_;
  WindowUpdateLock window_;
  engine::ControlsDisabled controls_;
};

}  // namespace ped::core
