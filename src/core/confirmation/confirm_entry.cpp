// The confirm button: on the allocation grid it posts the row being edited
// and sends nothing; elsewhere it turns the marks into one of the four
// server operations, chosen by the page, the level of the last marking and
// the status of what was marked.

#include "core/confirmation/confirmation_run.h"
#include "core/stock/allocation_editing.h"
#include "domain/status_codes.h"

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

// The justification first; the exclusion's question is asked with the
// window already frozen and the indicator up.
void excludeSettlements(ConfirmationRun& run) {
  TfrmLiquidaItem& s = run.screen;
  s.Vd_JustExcl(true);
  run.begin();
  const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Confirmation);
  if (sttshUltimate == domain::marking_level::Order)
    excludeOrderSettlements(run);
  else if (sttshUltimate == domain::marking_level::Item)
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
    }
  }
  confirmClosingSteps(run.returnOrder);
  run.thaw();
  // After the lists show the server's state: what it refused, and why.
  run.reportRefusals();
}

}  // namespace ped::core
