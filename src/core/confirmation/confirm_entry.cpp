// The confirm button: on the allocation grid it posts the row being edited
// and sends nothing; elsewhere it turns the marks into one of the four
// server operations, chosen by what is marked and the page in use.

#include "core/confirmation/confirmation_run.h"
#include "core/orders/marking_state.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_codes.h"

namespace ped::core {
namespace {

// The operation the marked rows call for, on the pages it may run from.
// Read from the rows themselves: a click that changes no mark cannot turn
// an exclusion into a settlement.
MarkedOperation chooseOperation(const TfrmLiquidaItem& s) {
  const bool justification = s.pgcPadrao.isActive(s.tshJustExcl);
  const MarkedOperation operation = marking.operation(s.cdsPedido, s.cdsItemPedido);
  switch (operation) {
    case MarkedOperation::OrderLiquidation:
    case MarkedOperation::OrderExclusion:
      return s.pgcPadrao.isActive(s.tshPadrao) || justification ? operation : MarkedOperation::None;
    case MarkedOperation::ItemLiquidation:
    case MarkedOperation::ItemExclusion:
      return s.pgcPadrao.isActive(s.tshItemPedido) || justification ? operation : MarkedOperation::None;
    case MarkedOperation::None:
      break;
  }
  return MarkedOperation::None;
}

// The justification first; the exclusion's question is asked with the
// window already frozen and the indicator up.
void excludeSettlements(ConfirmationRun& run, MarkedOperation operation) {
  TfrmLiquidaItem& s = run.screen;
  s.Vd_JustExcl(true);
  run.begin();
  const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Confirmation);
  if (operation == MarkedOperation::OrderExclusion)
    excludeOrderSettlements(run);
  else
    excludeItemSettlements(run);
}

}  // namespace

void TfrmLiquidaItem::sbtConfirmarClick() {
  ConfirmationRun run(*this);
  if (sbtConfirmar.enabled()) {
    if (allocationGridInUse(*this)) {
      postLiqEst();  // its checks may refuse it, ending here
    } else {
      Vd_Check();
      switch (const MarkedOperation operation = chooseOperation(*this)) {
        case MarkedOperation::OrderLiquidation:
          liquidateOrders(run);
          break;
        case MarkedOperation::ItemLiquidation:
          liquidateItems(run);
          break;
        case MarkedOperation::OrderExclusion:
        case MarkedOperation::ItemExclusion:
          excludeSettlements(run, operation);
          break;
        case MarkedOperation::None:
          break;
      }
    }
  }
  confirmClosingSteps(run.returnOrder);
  run.thaw();
  // After the lists show the server's state: what it refused, and why.
  run.reportRefusals();
}

}  // namespace ped::core
