// The operator's moves in the allocation grid as the window reports them:
// the cell cursor, a committed cell, Enter and Esc.

#include <optional>

#include "core/shell/Cli_ped00800.h"
#include "core/stock/allocation_editing.h"
#include "core/stock/typed_quantity.h"
#include "engine/value_text.h"
#include "hostlib/consiste.h"

namespace ped::core {
namespace {

bool isQuantity(const engine::Field& field) { return field.type() == engine::FieldType::Float; }

// The cell holds this text already: committing it again changes nothing, so
// an editor left without changes never clears the keys that depend on it.
bool unchanged(const engine::Field& field, std::string_view text, const std::optional<double>& number) {
  if (isQuantity(field)) return number ? !field.isNull() && field.asFloat() == *number : field.isNull();
  return field.asString() == text;
}

}  // namespace

bool TfrmLiquidaItem::moveLiqEstColumn(std::size_t column) {
  if (column >= dbgLiqEst.columns.size() || column == dbgLiqEst.selectedColumn) return false;
  dbgLiqEstColExit();  // a refused key keeps the cursor on its cell
  dbgLiqEst.selectedColumn = column;
  dbgLiqEstColEnter();
  return true;
}

void TfrmLiquidaItem::typeLiqEstCell(std::size_t column, std::string_view text) {
  if (column >= dbgLiqEst.columns.size() || !cdsEvolEst.active()) return;
  const hostlib::Grid::Column& shown = dbgLiqEst.columns[column];
  engine::Field* field = cdsEvolEst.findField(shown.fieldName);
  if (field == nullptr || !shown.visible || shown.readOnly || !dbgLiqEst.editing()) return;
  if (!allocationCellAccess(field->name(), cdsEvolEst, cdsItemPedido).typing) return;
  const bool pending = allocationRowPending(cdsEvolEst);
  if (!pending && cdsEvolEst.isEmpty()) return;  // rows are added with Incluir

  std::optional<double> number;
  const bool blank = engine::value_text::trim(text).empty();
  if (isQuantity(*field) && !blank) {
    number = parseTypedQuantity(text);
    if (!number)
      hostlib::consiste::MensErro(dialogs, "\"" + std::string(text) + "\" não é uma quantidade válida.",
                                  true);
  }
  if (unchanged(*field, blank ? std::string_view{} : text, number)) return;
  if (!pending) cdsEvolEst.edit();
  if (blank)
    field->clear();
  else if (number)
    field->setFloat(*number);
  else
    field->setString(text);
}

void TfrmLiquidaItem::postLiqEst() {
  if (allocationRowPending(cdsEvolEst)) cdsEvolEst.post();
}

void TfrmLiquidaItem::cancelLiqEst() {
  if (allocationRowPending(cdsEvolEst)) cdsEvolEst.cancel();
}

}  // namespace ped::core
