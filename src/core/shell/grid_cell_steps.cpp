#include "core/shell/grid_cell_steps.h"

#include "domain/status_codes.h"
#include "engine/date_time.h"
#include "engine/text.h"
#include "engine/value_text.h"

namespace ped::core {

CellPainting startCell(CellColour textColour, CellState state) {
  CellPainting cell;
  cell.background = state.selected ? clHighlight : clInfoBk;
  cell.textColour = state.selected ? clCaptionText : textColour;
  cell.focusRect = state.focused;
  return cell;
}

void finishMarkCell(CellPainting& cell, const MarkImage* image) {
  cell.text.clear();
  cell.focusRect = false;
  cell.image = image;
}

const MarkImage* markImage(std::string_view mark, std::string_view unmarkableMark) {
  if (mark == domain::mark::Unmarked) return &imgUncheck();
  if (mark == domain::mark::Marked) return &imgCheck();
  if (mark == unmarkableMark) return &imgDescheck();
  return nullptr;
}

std::string_view textAt(const engine::DataSet& rows, std::size_t row, std::string_view name) {
  const engine::CellView cell = rows.cellAt(row, rows.field(name).index());
  return cell.kind == engine::CellView::Kind::Text ? cell.text : std::string_view{};
}

std::string editText(const engine::Field& field, const engine::CellView& cell) {
  using Kind = engine::CellView::Kind;
  switch (cell.kind) {
    case Kind::Null:
      return {};
    case Kind::Text:
      return std::string(cell.text);
    case Kind::Integer:
      return std::to_string(cell.integer);
    case Kind::Boolean:
      return cell.boolean ? "True" : "False";
    case Kind::Number:
      if (field.type() == engine::FieldType::DateTime)
        return engine::date_time::toBrazilian(cell.number,
                                              cell.number != engine::date_time::datePart(cell.number));
      return engine::value_text::formatFloat(cell.number);
  }
  return {};
}

bool isField(std::string_view columnField, std::string_view name) {
  return engine::text::equalsIgnoreCase(columnField, name);
}

}  // namespace ped::core
