#include "hostlib/busy.h"

namespace ped::hostlib {

void Showavi::ActiveShowAvi(BusyKind kind) {
  if (depth_++ == 0) indicator_.showBusy(kind);
}

void Showavi::DeactiveShowAvi() {
  if (depth_ == 0) return;
  if (--depth_ == 0) indicator_.hideBusy();
}

void Showavi::DeactiveAll() {
  ++generation_;
  if (depth_ == 0) return;
  depth_ = 0;
  indicator_.hideBusy();
}

}  // namespace ped::hostlib
