// The branch field as the operator enters and leaves it, by the keyboard, the
// mouse or the search button.

#include "core/shell/Cli_ped00800.h"
#include "engine/scope_exit.h"

namespace ped::core {

void TfrmLiquidaItem::enterBranchField() {
  if (inBranchField_) return;
  inBranchField_ = true;
  panFilialEnter();
  setFocus(medCdFilial);
  medCdFilialEnter();
}

void TfrmLiquidaItem::leaveBranchField() {
  if (!inBranchField_) return;
  inBranchField_ = false;
  // A refused branch puts the focus back into the field.
  engine::OnFailure refused{[this] { inBranchField_ = focused() == &medCdFilial; }};
  medCdFilialExit();
}

void TfrmLiquidaItem::btnFilialClick() {
  if (!btnFilial.usable()) return;
  if (inBranchField_) {
    btnFilial.click(dialogs, searches);
    return;
  }
  hostlib::Control* before = focused();
  enterBranchField();
  if (!btnFilial.click(dialogs, searches)) return;
  // Back where the operator was (the order grid when that is gone), leaving
  // the field as a move of the focus would.
  if (before == nullptr || before == &medCdFilial || !setFocus(*before)) setFocus(dbgPadrao);
  leaveBranchField();
}

}  // namespace ped::core
