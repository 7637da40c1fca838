#include "core/stock/allocation_totals.h"

#include "core/shell/Cli_ped00800.h"
#include "core/shell/parameters.h"
#include "core/shell/screen_environment.h"
#include "core/stock/lot_validity.h"
#include "core/stock/stock_position_lookup.h"
#include "domain/quantities.h"

namespace ped::core {

AllocationTotals::AllocationTotals(const TfrmLiquidaItem& s) {
  // The same conditions under which Vd_EvolEstq checks at all.
  checks_ = parameterSet(s.cdsParamPedido, "IDEVOLESTLIQMAN") && !allocationPending(s);
  if (!checks_ || !s.cdsEvolEst.active()) return;
  // Every row, whatever the grid's filter shows: a copy shares the cells.
  engine::DataSet& rows = rows_;
  rows.copyFrom(s.cdsEvolEst);
  totals_.reserve(rows.recordCount());
  const auto at = [&rows](const char* name) { return rows.field(name).index(); };
  const std::size_t branch = at("CDFILIAL"), order = at("NRPEDIDO"), item = at("NRITEMPED"),
                    quantity = at("QTEXP"), validity = at("DTVALILOTE");
  const double today = clockOf(screenEnvironment()).today();
  for (std::size_t row = 0; row < rows.recordCount(); ++row) {
    const auto text = [&](std::size_t field) { return rows.cellAt(row, field).text; };
    Total& total = totals_[{text(branch), text(order), text(item)}];
    const engine::CellView q = rows.cellAt(row, quantity), valid = rows.cellAt(row, validity);
    if (!q.isNull()) total.quantity += q.number;
    if (!valid.isNull() && lotExpiredOn(valid.number, today)) total.expired = true;
  }
}

bool AllocationTotals::passes(std::string_view branch, std::string_view order, std::string_view item,
                              double quantity) const {
  if (!checks_) return true;
  const auto found = totals_.find({branch, order, item});
  if (found == totals_.end()) return domain::sameQuantity(quantity, 0);
  return !found->second.expired && domain::sameQuantity(quantity, found->second.quantity);
}

}  // namespace ped::core
