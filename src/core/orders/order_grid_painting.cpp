#include "core/orders/order_grid_painting.h"

#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"

namespace ped::core {
namespace {

const char* statusKey(std::string_view status) {
  if (status == domain::order_status::InProgress) return "AN";
  if (domain::isSettledOrder(status)) return "LQ";
  if (status == domain::order_status::PartlyServed) return "PA";
  return nullptr;
}

}  // namespace

std::string orderStatusText(const hostlib::TMessages& messages, std::string_view status) {
  const char* key = statusKey(status);
  return key ? messages.Msg(key) : std::string();
}

std::optional<CellColour> orderStatusColour(std::string_view status) {
  if (status == domain::order_status::InProgress) return clOlive;
  // Settled by the automatic flow: shown apart from a settlement by hand,
  // which alone can be reversed.
  if (status == domain::order_status::Settled) return clGray;
  if (domain::isSettledOrder(status)) return clPurple;
  if (status == domain::order_status::PartlyServed) return clTeal;
  return std::nullopt;
}

const MarkImage* orderMarkImage(std::string_view mark) { return markImage(mark, domain::mark::Blocked); }

CellPainting paintOrderCell(const engine::DataSet& orders, const hostlib::Grid& grid,
                            const hostlib::TMessages& messages, std::size_t row, std::size_t column,
                            CellState state) {
  if (row >= orders.recordCount() || column >= grid.columns.size()) return {};
  const std::string& fieldName = grid.columns[column].fieldName;
  const std::string_view status = textAt(orders, row, "IDSITPEDIDO");
  CellPainting cell =
      startCell(orderStatusColour(status).value_or(CellColour::fixed(grid.fontColor())), state);
  if (isField(fieldName, "IDSITPEDIDO")) {
    cell.text = orderStatusText(messages, status);
  } else {
    const engine::Field& field = orders.field(fieldName);
    cell.text = editText(field, orders.cellAt(row, field.index()));
  }
  // An order no operation takes shows no box, whatever its mark says.
  if (isField(fieldName, "IDCHECK"))
    finishMarkCell(
        cell, domain::isMarkableOrder(status) ? orderMarkImage(textAt(orders, row, "IDCHECK")) : nullptr);
  return cell;
}

CellPainting TfrmLiquidaItem::dbgPadraoDrawColumnCell(std::size_t row, std::size_t column, CellState state) {
  CellPainting cell = paintOrderCell(cdsPedido, dbgPadrao, msgLiquidaItem, row, column, state);
  // The order list is put into edit mode whenever the cell cursor stands in
  // the mark column, ready for the mark the operator is about to set. No
  // value changes; the list only stays in edit mode until the next post or
  // move. An empty list is left alone: there edit() would insert a row.
  const std::size_t cursor = dbgPadrao.selectedColumn;
  if (cursor < dbgPadrao.columns.size() && isField(dbgPadrao.columns[cursor].fieldName, "IDCHECK") &&
      cdsPedido.active() && !cdsPedido.isEmpty())
    cdsPedido.edit();
  return cell;
}

}  // namespace ped::core
