#include "core/stock/allocation_changes.h"

#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "core/stock/allocation_editing.h"

namespace ped::core {

std::string AllocationChanges::key(const std::string& branch, const std::string& order) {
  return branch + '\x1f' + order;
}

void AllocationChanges::changed(const engine::DataSet& items) {
  if (!items.active() || items.isEmpty()) return;
  orders_.insert(key(items.field("CDFILIAL").asString(), items.field("NRPEDIDO").asString()));
}

void AllocationChanges::confirmed(const std::string& branch, const std::string& order) {
  orders_.erase(key(branch, order));
}

std::unique_ptr<AllocationChanges::Held> AllocationChanges::hold(const engine::DataSet& rows) const {
  if (orders_.empty()) return nullptr;
  auto held = std::make_unique<Held>();
  held->orders = orders_;
  held->rows.copyFrom(rows);
  return held;
}

void AllocationChanges::keepAfterReload(TfrmLiquidaItem& s, std::unique_ptr<Held> held) {
  if (!held) return;
  std::set<std::string> kept;
  const engine::DataSet& orders = s.cdsPedido;
  // Read by position: moving through the orders would fetch their items.
  for (std::size_t row = 0; orders.active() && row < orders.recordCount(); ++row) {
    const std::string order =
        key(std::string(textAt(orders, row, "CDFILIAL")), std::string(textAt(orders, row, "NRPEDIDO")));
    if (held->orders.count(order)) kept.insert(order);
  }
  if (kept.empty()) return;

  // Put together aside, where no row handler runs, then loaded whole.
  auto ofKept = [&](const engine::DataSet& rows) {
    return kept.count(key(rows.field("CDFILIAL").asString(), rows.field("NRPEDIDO").asString())) > 0;
  };
  engine::DataSet merged;
  merged.copyFrom(s.cdsEvolEst);
  for (merged.first(); !merged.eof();) {
    if (ofKept(merged))
      merged.remove();
    else
      merged.next();
  }
  engine::DataSet& old = held->rows;
  for (old.first(); !old.eof(); old.next()) {
    if (!ofKept(old)) continue;
    merged.append();
    for (std::size_t f = 0; f < old.fieldCount(); ++f) merged.field(f).setValue(old.field(f).value());
    merged.post();
  }
  s.cdsEvolEst.copyFrom(merged);
  orders_ = std::move(kept);  // after the load, which counted as fresh
}

bool TfrmLiquidaItem::allocationChangesMayGo() {
  return !allocationChanges.any() ||
         dialogs.askYesNo(
             "As alterações na alocação de estoque ainda não confirmadas serão perdidas. Deseja continuar?");
}

bool TfrmLiquidaItem::FormCloseQuery() {
  const bool pending = cdsEvolEst.active() && allocationRowPending(cdsEvolEst);
  return (!pending && !allocationChanges.any()) || msgLiquidaItem.ShowMsg("CANCELAR", dialogs);
}

}  // namespace ped::core
