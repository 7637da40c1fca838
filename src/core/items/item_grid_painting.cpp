#include "core/items/item_grid_painting.h"

#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "domain/status_codes.h"
#include "domain/status_rules.h"
#include "hostlib/edit_mask.h"
#include "hostlib/number_format.h"

namespace ped::core {
namespace {

struct StatusLook {
  std::string_view status;
  CellColour colour;
  const char* key;
};

constexpr StatusLook kStatusLooks[] = {
    {domain::item_status::Pending, clBlue, "PE"},      {domain::item_status::Confirmed, clOlive, "CF"},
    {domain::item_status::Approved, clGreen, "AP"},    {domain::item_status::Settled, clPurple, "LQ"},
    {domain::item_status::Cancelled, clRed, "CN"},     {domain::item_status::SettledByHand, clPurple, "LQ"},
    {domain::item_status::PartlyServed, clTeal, "PA"},
};

const StatusLook* lookOf(std::string_view status) {
  for (const StatusLook& look : kStatusLooks)
    if (look.status == status) return &look;
  return nullptr;
}

struct CellText {
  std::string text;
  TextAlignment alignment = TextAlignment::Left;
};

CellText itemText(const engine::Field& field, const engine::CellView& cell, std::string_view productMask) {
  const std::string& name = field.name();
  const bool number = cell.kind == engine::CellView::Kind::Number;
  if (isField(name, "CDARVPROD") && !cell.isNull())
    return {hostlib::formatMaskText(productMask, editText(field, cell))};
  if (number && isField(name, "QTITEMPED"))
    return {hostlib::FormatFloat("######0.000", cell.number), TextAlignment::Right};
  // Every money column reads alike, the discount too.
  if (number && (isField(name, "VrTotal") || isField(name, "VRPREUNITPED") || isField(name, "VRDESITPED")))
    return {hostlib::FormatFloat("###0.00", cell.number), TextAlignment::Right};
  return {editText(field, cell)};
}

}  // namespace

const MarkImage* itemMarkImage(std::string_view mark) { return markImage(mark, domain::mark::Unmarkable); }

CellPainting paintItemCell(const engine::DataSet& items, const hostlib::Grid& grid,
                           const hostlib::TMessages& messages, std::string_view productMask, std::size_t row,
                           std::size_t column, CellState state) {
  if (row >= items.recordCount() || column >= grid.columns.size()) return {};
  const std::string& fieldName = grid.columns[column].fieldName;
  const StatusLook* look = lookOf(textAt(items, row, "IDSITITEMPED"));
  CellPainting cell = startCell(look ? look->colour : CellColour::fixed(grid.fontColor()), state);
  if (isField(fieldName, "IDSITITEMPED")) {
    if (look) cell.text = messages.Msg(look->key);
    return cell;
  }
  const engine::Field& field = items.field(fieldName);
  CellText text = itemText(field, items.cellAt(row, field.index()), productMask);
  cell.text = std::move(text.text);
  cell.alignment = text.alignment;
  // An item no operation takes shows as unmarkable, whatever its mark says.
  if (isField(fieldName, "IDCHECK")) {
    const std::string_view status = textAt(items, row, "IDSITITEMPED");
    finishMarkCell(cell, itemMarkImage(domain::isMarkableItem(status) ? textAt(items, row, "IDCHECK")
                                                                      : domain::mark::Unmarkable));
  }
  return cell;
}

CellPainting TfrmLiquidaItem::dbgItemPedidoDrawColumnCell(std::size_t row, std::size_t column,
                                                          CellState state) const {
  return paintItemCell(cdsItemPedido, dbgItemPedido, msgLiquidaItem, cdArvProdMask, row, column, state);
}

}  // namespace ped::core
