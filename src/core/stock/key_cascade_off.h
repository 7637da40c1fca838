#pragma once
// The change cascade of the allocation keys switched off for a scope, while
// the screen writes keys and their dependants itself or checks a row.

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

// Start_Valid on construction, Finish_Valid on every way out. Guards do not
// nest: the inner one would switch the cascade on early.
class KeyCascadeOff {
 public:
  explicit KeyCascadeOff(TfrmLiquidaItem& screen) : screen_(screen) { screen_.Start_Valid(); }
  ~KeyCascadeOff() { screen_.Finish_Valid(); }
  KeyCascadeOff(const KeyCascadeOff&) = delete;
  KeyCascadeOff& operator=(const KeyCascadeOff&) = delete;

 private:
  TfrmLiquidaItem& screen_;
};

}  // namespace ped::core
