#include "server/methods/packets.h"

#include <numeric>

#include "engine/error.h"
#include "engine/packet.h"
#include "engine/text.h"
#include "server/methods/service_error.h"

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

ClientPacket::ClientPacket(std::string_view json, const std::vector<engine::FieldSpec>& fields,
                           std::string_view what)
    : layout_(fields) {
  try {
    table_ = engine::decodePacket(json, layout_);
  } catch (const engine::PacketError& e) {
    throw ServiceError("Pacote de " + std::string(what) + " inválido: " + e.what());
  }
}

std::size_t ClientPacket::column(std::string_view field) const {
  for (std::size_t i = 0; i < layout_.size(); ++i)
    if (engine::text::equalsIgnoreCase(layout_[i].name, field)) return i;
  throw std::logic_error("campo fora do pacote: " + std::string(field));
}

std::string ClientPacket::text(std::size_t row, std::string_view field) const {
  const auto& c = table_.column(column(field));
  const auto r = static_cast<engine::RowId>(row);
  return c.isNull(r) ? std::string() : std::string(c.text(r));
}

double ClientPacket::number(std::size_t row, std::string_view field) const {
  const engine::CellView v = table_.column(column(field)).cell(static_cast<engine::RowId>(row));
  if (v.kind == engine::CellView::Kind::Number) return v.number;
  if (v.kind == engine::CellView::Kind::Integer) return static_cast<double>(v.integer);
  return 0;
}

bool ClientPacket::isNull(std::size_t row, std::string_view field) const {
  return table_.column(column(field)).isNull(static_cast<engine::RowId>(row));
}

}  // namespace ped::server
