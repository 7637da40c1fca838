// The confirm button: on the allocation grid it posts the row being edited
// and sends nothing; elsewhere it turns the marks into one of the four
// server operations, chosen by the page, the level of the last marking and
// the status of what was marked.

#include "core/confirmation/confirmation_run.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_codes.h"
#include "engine/scope_exit.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

enum class Operation { None, OrderLiquidation, ItemLiquidation, Exclusion };

Operation chooseOperation(const TfrmLiquidaItem& s) {
  namespace level = domain::marking_level;
  const bool orders = s.pgcPadrao.isActive(s.tshPadrao);
  const bool items = s.pgcPadrao.isActive(s.tshItemPedido);
  const bool justification = s.pgcPadrao.isActive(s.tshJustExcl);
  const std::string& item = stSituacaoItemPedido;
  const bool openItem = item == "1" || item == "2" || item == "3" || item == "7";
  if ((orders || justification) && stSituacaoPedido != domain::order_status::SettledByHand &&
      sttshUltimate == level::Order)
    return Operation::OrderLiquidation;
  if (openItem && (items || justification) && sttshUltimate == level::Item) return Operation::ItemLiquidation;
  if (item == domain::item_status::SettledByHand || stSituacaoPedido == domain::order_status::SettledByHand)
    return Operation::Exclusion;
  return Operation::None;
}

// The justification, then the question, as for a liquidation: nothing waits
// under the indicator for the operator's answer.
void excludeSettlements(ConfirmationRun& run) {
  TfrmLiquidaItem& s = run.screen;
  s.Vd_JustExcl(true);
  const bool orders = sttshUltimate == domain::marking_level::Order;
  const bool items = sttshUltimate == domain::marking_level::Item;
  const bool confirmed = (orders || items) && run.ask(orders ? "PedidoEXCLUILF" : "ItemPedidoLFXX");
  run.begin();
  const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Confirmation);
  if (orders)
    excludeOrderSettlements(run, confirmed);
  else if (items)
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
      switch (chooseOperation(*this)) {
        case Operation::OrderLiquidation:
          liquidateOrders(run);
          break;
        case Operation::ItemLiquidation:
          liquidateItems(run);
          break;
        case Operation::Exclusion:
          excludeSettlements(run);
          break;
        case Operation::None:
          break;
      }
    } catch (const hostlib::Abort&) {
      if (run.answerLost) {
        // The change may have been made: what the server holds is read
        // again rather than leaving marks that may stand for settlements done.
        inContPedidoCh = 0;
        inContItemPedidoCh = 0;
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
