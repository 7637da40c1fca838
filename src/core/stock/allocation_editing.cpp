#include "core/stock/allocation_editing.h"

#include <charconv>
#include <string>

#include "core/shell/Cli_ped00800.h"
#include "domain/status_codes.h"
#include "engine/text.h"
#include "engine/value_text.h"

namespace ped::core {

bool isStockKeyField(std::string_view field) {
  for (std::string_view key : {"CDALMOXARIFE", "CDLOCALESTOQ", "NRLOTEESTQ", "NRSUBLOTE"})
    if (engine::text::equalsIgnoreCase(field, key)) return true;
  return false;
}

bool allocationRowsLocked(const engine::DataSet& items) {
  if (!items.active() || items.isEmpty()) return true;
  const std::string status = engine::value_text::trim(items.field("IDSITITEMPED").asString());
  int number = 0;
  const auto [end, ec] = std::from_chars(status.data(), status.data() + status.size(), number);
  if (status.empty() || ec != std::errc() || end != status.data() + status.size()) return true;
  // A partly served item is settled like an open one, so its rows can be fixed.
  return number > 3 && status != domain::item_status::PartlyServed;
}

AllocationCellAccess allocationCellAccess(std::string_view field, const engine::DataSet& rows,
                                          const engine::DataSet& items) {
  if (allocationRowsLocked(items)) return {};
  if (isStockKeyField(field)) {
    const bool inserting = rows.state() == engine::DataSetState::Insert;
    return {inserting, inserting};
  }
  for (std::string_view fixed : {"QTDISPONIVEL", "SGUNIDADE", "DTENTRLOTE"})
    if (engine::text::equalsIgnoreCase(field, fixed)) return {};
  return {true, false};
}

bool allocationGridInUse(const TfrmLiquidaItem& screen) {
  return screen.pgcPadrao.isActive(screen.tshItemPedido) && screen.focused() == &screen.dbgLiqEst &&
         screen.panEvolEstq.visible();
}

bool allocationRowPending(const engine::DataSet& rows) {
  return rows.state() == engine::DataSetState::Edit || rows.state() == engine::DataSetState::Insert;
}

}  // namespace ped::core
