#include "server/methods/packets.h"

#include <numeric>

#include "engine/packet.h"

namespace ped::server {

std::string toPacket(const sql::Result& rows) {
  std::vector<engine::RowId> order(rows.rowCount());
  std::iota(order.begin(), order.end(), engine::RowId{0});
  return engine::encodePacket(rows.layout, rows.table, order);
}

std::string toPacketArray(const std::vector<std::optional<std::string>>& packets) {
  std::string out = "[";
  for (std::size_t i = 0; i < packets.size(); ++i) {
    if (i) out += ',';
    out += packets[i] ? *packets[i] : std::string("null");
  }
  out += ']';
  return out;
}

}  // namespace ped::server
