// How the allocation grid's cells look.
//
// The grid draws a cell in layers: the field's text, then a quantity's
// formatted value or the warehouse or location name over it. A cell shows
// one text, the one left visible on top: the formatted quantity, the name,
// or the code in the cell being typed into.

#include "core/shell/Cli_ped00800.h"
#include "core/shell/grid_cell_steps.h"
#include "hostlib/number_format.h"

namespace ped::core {
namespace {

constexpr int kTextInset = 3;   // from the cell's left and top edges
constexpr int kRightInset = 2;  // a right-aligned number from the right edge

// The column's code field and the name shown for it, if it has one.
struct NamedCode {
  const char* code;
  const char* name;
};
constexpr NamedCode kNamedCodes[] = {{"CDALMOXARIFE", "DSALMOXARIFE"}, {"CDLOCALESTOQ", "DSLOCALESTOQ"}};

}  // namespace

CellPainting TfrmLiquidaItem::dbgLiqEstDrawColumnCell(std::size_t row, std::size_t column,
                                                      CellState state) const {
  if (!cdsEvolEst.active() || row >= cdsEvolEst.recordCount() || column >= dbgLiqEst.columns.size())
    return {};
  const std::string& fieldName = dbgLiqEst.columns[column].fieldName;
  const engine::Field* field = cdsEvolEst.findField(fieldName);
  if (field == nullptr) return {};

  CellPainting cell = startCell(CellColour::fixed(dbgLiqEst.fontColor()), state);
  cell.textOffset = kTextInset;
  cell.textTop = kTextInset;
  const engine::CellView value = cdsEvolEst.cellAt(row, field->index());
  cell.text = editText(*field, value);

  const bool quantity = isField(fieldName, "QTDISPONIVEL") || isField(fieldName, "QTEXP");
  if (quantity && value.kind == engine::CellView::Kind::Number) {
    cell.text = hostlib::FormatFloat("###0.000", value.number);
    cell.alignment = TextAlignment::Right;
    cell.textOffset = kRightInset;
  }

  for (const NamedCode& named : kNamedCodes) {
    if (!isField(fieldName, named.code) || textAt(cdsEvolEst, row, named.code).empty()) continue;
    // The editor shows the code being typed; elsewhere the name stands for
    // it, when there is one.
    const bool typedInto = dbgLiqEst.editorMode && state.selected && !state.focused;
    const std::string_view name = textAt(cdsEvolEst, row, named.name);
    cell.text = std::string(typedInto || name.empty() ? textAt(cdsEvolEst, row, named.code) : name);
  }
  return cell;
}

}  // namespace ped::core
