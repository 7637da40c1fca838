#include "core/confirmation/liquidation.h"

#include "core/confirmation/stock_update.h"
#include "core/shell/parameters.h"

namespace ped::core {

bool liquidate(ConfirmationRun& run, std::string_view question,
               const std::function<std::string()>& stockFilter, const std::function<void()>& settle) {
  TfrmLiquidaItem& s = run.screen;
  s.Vd_JustExcl(true);
  const bool movesStock = parameterSet(s.cdsParamPedido, "IDEVOLESTLIQMAN");
  if (!run.ask(question) || (movesStock && !run.ask("Conf_EvolEst"))) return false;
  run.begin();
  const hostlib::BusyGuard busy(s.showavi, hostlib::BusyKind::Confirmation);
  if (movesStock) updateStock(run, stockFilter());
  settle();
  return true;
}

}  // namespace ped::core
