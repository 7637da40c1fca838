#include "core/orders/order_keys_packet.h"

#include "domain/layouts.h"
#include "engine/packet.h"

namespace ped::core {

std::string orderKeysPacket(const std::vector<OrderKey>& orders) {
  static const domain::layouts::Layout layout =
      domain::layouts::fieldsOf(domain::layouts::orders(), {"CDFILIAL", "NRPEDIDO"});
  engine::Table table = engine::emptyTable(layout);
  const engine::RowId first = table.addRows(orders.size());
  for (std::size_t i = 0; i < orders.size(); ++i) {
    const auto row = static_cast<engine::RowId>(first + i);
    table.mutableColumn(0).setText(row, orders[i].first);
    table.mutableColumn(1).setText(row, orders[i].second);
  }
  return engine::encodePacket(layout, table, table.rows().order());
}

std::string orderKeysPacket(const engine::DataSet& orders) {
  const std::size_t branch = orders.field("CDFILIAL").index(), number = orders.field("NRPEDIDO").index();
  std::vector<OrderKey> keys;
  keys.reserve(orders.recordCount());
  for (std::size_t row = 0; row < orders.recordCount(); ++row)
    keys.emplace_back(orders.cellAt(row, branch).text, orders.cellAt(row, number).text);
  return orderKeysPacket(keys);
}

}  // namespace ped::core
