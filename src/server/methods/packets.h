#pragma once
// Query results as the packets and packet arrays the client loads.

#include <optional>
#include <string>
#include <vector>

#include "engine/packet.h"
#include "sql/connection.h"

namespace ped::server {

// Every row of `rows`, in query order.
std::string toPacket(const sql::Result& rows);
// "[p0,p1,...]"; nullopt elements are written as null.
std::string toPacketArray(const std::vector<std::optional<std::string>>& packets);

// A packet the client sent, read into the fields the server needs (a field
// the packet lacks, or a malformed packet, is a ServiceError naming `what`).
class ClientPacket {
 public:
  ClientPacket(std::string_view json, const std::vector<engine::FieldSpec>& fields, std::string_view what);
  std::size_t rowCount() const { return table_.physicalRows(); }
  std::string text(std::size_t row, std::string_view field) const;  // "" for null
  double number(std::size_t row, std::string_view field) const;     // 0 for null
  bool isNull(std::size_t row, std::string_view field) const;

 private:
  std::size_t column(std::string_view field) const;
  std::vector<engine::FieldSpec> layout_;
  engine::Table table_;
};

}  // namespace ped::server
