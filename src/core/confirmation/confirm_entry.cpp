// The confirm button: on the allocation grid it posts the row being edited
// and sends nothing; elsewhere it turns the marks into one of the four
// server operations, chosen by what is marked and the page in use.

#include "core/confirmation/confirmation_run.h"
#include "core/orders/marking_state.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

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

// The justification, then the question, as for a liquidation: nothing waits
// under the indicator for the operator's answer.
void excludeSettlements(ConfirmationRun& run, MarkedOperation operation) {
  TfrmLiquidaItem& s = run.screen;
  s.Vd_JustExcl(true);
  const bool orders = operation == MarkedOperation::OrderExclusion;
  const bool confirmed = run.ask(orders ? "PedidoEXCLUILF" : "ItemPedidoLFXX");
  run.begin();
  const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Confirmation);
  if (orders)
    excludeOrderSettlements(run, confirmed);
  else
    excludeItemSettlements(run, confirmed);
}

}  // namespace

void TfrmLiquidaItem::sbtConfirmarClick() {
  ConfirmationRun run(*this);
  // Refusals already in are shown also when a later step fails.
  const engine::OnFailure refusals{[&run] {
    try {
      run.reportRefusals();
    } catch (...) {  // the failure under way is the one that goes on
    }
  }};
  if (sbtConfirmar.enabled()) {
    if (allocationGridInUse(*this)) {
      // Only the row is posted: the items are not read again, so the marks
      // and the current item stay, as after Cancelar.
      postLiqEst();  // its checks may refuse it, ending here
      habilita("");
      return;
    }
    Vd_Check();
    try {
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
    } catch (const hostlib::Abort&) {
      if (run.answerLost) {
        // The change may have been made: what the server holds is read
        // again rather than leaving marks that may stand for settlements done.
        if (!pgcPadrao.isActive(tshPadrao)) AtualizaPedido(true);
        confirmClosingSteps(run.returnOrder);
      }
      throw;
    }
  }
  confirmClosingSteps(run.returnOrder);
  run.thaw();
}

}  // namespace ped::core
