#pragma once
// The screen's window frozen against repainting for the life of the guard:
// a walk over many rows draws the window once, at its end, on every way
// out. Guards nest; only the outermost one locks and unlocks the window.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(TfrmLiquidaItem& screen) : screen_(screen) { screen_.lockWindowUpdate(); }
  ~WindowUpdateLock() { screen_.unlockWindowUpdate(); }
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;

 private:
  TfrmLiquidaItem& screen_;
};

}  // namespace ped::core
