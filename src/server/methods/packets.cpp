#include "server/methods/packets.h"

#include <numeric>

#include "engine/error.h"
#include "engine/packet.h"
#include "server/methods/service_error.h"

namespace ped::server {

std::string initialMarkColumn(std::string_view statusColumn, std::span<const std::string_view> markable) {
  std::string sql = "CASE WHEN ";
  sql += statusColumn;
  sql += " IN (";
  for (std::size_t i = 0; i < markable.size(); ++i) {
    sql += i ? ", '" : "'";
    sql += markable[i];
    sql += "'";
  }
  sql += ") THEN 'N' ELSE '' END AS IDCHECK";
  return sql;
}

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

ClientPacket::ClientPacket(std::string_view json, const std::vector<engine::FieldSpec>& fields,
                           std::string_view what)
    : rows_{fields, {}} {
  try {
    rows_.table = engine::decodePacket(json, rows_.layout);
  } catch (const engine::PacketError& e) {
    throw ServiceError("Pacote de " + std::string(what) + " inválido: " + e.what());
  }
}

}  // namespace ped::server
