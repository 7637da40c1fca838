#pragma once
// The screen's window frozen against repainting for the life of the guard:
// a walk over many rows draws the window once, at its end, on every way
// out. Guards nest; only the outermost one locks and unlocks the window. A
// guard whose lock a releaseWindowUpdate thawed leaves the window alone.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(TfrmLiquidaItem& screen)
      : screen_(screen), generation_(screen.windowUpdateGeneration()) {
    screen_.lockWindowUpdate();
  }
  ~WindowUpdateLock() {
    if (screen_.windowUpdateGeneration() == generation_) screen_.unlockWindowUpdate();
  }
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;

 private:
  TfrmLiquidaItem& screen_;
  unsigned generation_;
};

}  // namespace ped::core
