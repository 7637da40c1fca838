#pragma once
// Query results as the packets and packet arrays the client loads.

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/packet.h"
#include "sql/connection.h"

namespace ped::server {

// The select-list column IDCHECK of a row whose status is in
// `statusColumn`: "N" when the status is one of `markable`, empty (a row no
// operation takes) otherwise. The codes are the shared constants, never
// the client's text.
std::string initialMarkColumn(std::string_view statusColumn, std::span<const std::string_view> markable);

// Every row of `rows`, in query order.
std::string toPacket(const sql::Result& rows);
// "[p0,p1,...]"; nullopt elements are written as null.
std::string toPacketArray(const std::vector<std::optional<std::string>>& packets);

// A packet the client sent, read into the fields the server needs (a field
// the packet lacks, or a malformed packet, is a ServiceError naming `what`),
// with the typed readers of a query's rows.
class ClientPacket {
 public:
  ClientPacket(std::string_view json, const std::vector<engine::FieldSpec>& fields, std::string_view what);
  std::size_t rowCount() const { return rows_.rowCount(); }
  std::string text(std::size_t row, std::string_view field) const {  // "" for null
    return std::string(rows_.text(row, field));
  }
  double number(std::size_t row, std::string_view field) const {
    return rows_.number(row, field);
  }  // 0 for null
  bool isNull(std::size_t row, std::string_view field) const { return rows_.isNull(row, field); }

 private:
  sql::Result rows_;
};

}  // namespace ped::server
