#include "core/orders/marking_state.h"

#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"

namespace ped::core {

MarkingState marking;

void MarkingState::Counts::add(std::string_view mark, int by) {
  if (mark == domain::mark::Marked)
    marked += by;
  else if (mark == domain::mark::Unmarked)
    unmarked += by;
  else if (mark == domain::mark::Blocked)
    blocked += by;
  else
    other += by;
}

MarkingState::Counts MarkingState::countRows(const engine::DataSet& rows) {
  Counts counts;
  if (!rows.active()) return counts;
  for (std::size_t row = 0; row < rows.recordCount(); ++row) counts.add(textAt(rows, row, "IDCHECK"), 1);
  return counts;
}

void MarkingState::ordersLoaded(const engine::DataSet& orders) { orders_ = countRows(orders); }

void MarkingState::itemsLoaded(const engine::DataSet& items) { items_ = countRows(items); }

void MarkingState::orderMarkChanged(std::string_view was, std::string_view now) {
  orders_.add(was, -1);
  orders_.add(now, 1);
}

void MarkingState::itemMarkChanged(std::string_view was, std::string_view now) {
  items_.add(was, -1);
  items_.add(now, 1);
}

namespace {

bool anyMarkedWith(const engine::DataSet& rows, const char* statusField, std::string_view status) {
  if (!rows.active()) return false;
  for (std::size_t row = 0; row < rows.recordCount(); ++row)
    if (textAt(rows, row, "IDCHECK") == domain::mark::Marked && textAt(rows, row, statusField) == status)
      return true;
  return false;
}

}  // namespace

MarkedOperation MarkingState::operation(const engine::DataSet& orders, const engine::DataSet& items) const {
  if (orders_.marked > 0)
    return anyMarkedWith(orders, "IDSITPEDIDO", domain::order_status::SettledByHand)
               ? MarkedOperation::OrderExclusion
               : MarkedOperation::OrderLiquidation;
  if (items_.marked > 0)
    return anyMarkedWith(items, "IDSITITEMPED", domain::item_status::SettledByHand)
               ? MarkedOperation::ItemExclusion
               : MarkedOperation::ItemLiquidation;
  return MarkedOperation::None;
}

std::string MarkingState::summary() const {
  auto n = [](int v) { return std::to_string(v); };
  return "pedidos=" + n(orders_.marked) + "/" + n(orders_.unmarked) + "/" + n(orders_.blocked) +
         " itens=" + n(items_.marked) + "/" + n(items_.unmarked) + "/" + n(items_.other);
}

bool sameOrderKind(std::string_view a, std::string_view b) {
  return domain::isReversibleOrder(a) == domain::isReversibleOrder(b);
}

bool sameItemKind(std::string_view a, std::string_view b) {
  return domain::isReversibleItem(a) == domain::isReversibleItem(b);
}

}  // namespace ped::core
