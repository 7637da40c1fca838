#pragma once
// Fills a Result cell by cell from whatever a database client hands over,
// converting each value to its field's type. Shared by the SQLite and
// PostgreSQL connections so both type rows the same way.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sql/connection.h"

namespace ped::sql {

struct SourceColumn {
  std::string name;
  // From the column's declared SQL type; nullopt when it has none (an
  // expression): the first non-null value then decides.
  std::optional<engine::FieldType> type;
  int size = 0;  // text size in characters, 0 when not declared
};

class ResultBuilder {
 public:
  // With an empty `layout` the result takes the source columns; otherwise
  // each data field of `layout` takes the source column of its name.
  // Throws SqlError when a field has no column.
  ResultBuilder(std::vector<SourceColumn> columns, const Layout& layout, std::string_view what);
  // Rows written straight into a packet (see Connection::queryPacket).
  // REQUIRES: a non-empty layout.
  ResultBuilder(std::vector<SourceColumn> columns, const Layout& layout, std::string_view what,
                engine::PacketStream& packet);

  void startRow();
  // Cell of source column `c` in the current row. Converts to the field's
  // type; a value that does not fit is a SqlError naming the field.
  void setInteger(int c, std::int64_t v);
  void setFloat(int c, double v);
  void setText(int c, std::string_view v);  // also dates (ISO), and numbers as text
  void setBoolean(int c, bool v);

  Result finish();
  // Packet mode: ends the last row. The caller takes the packet from its stream.
  void finishPacket();

 private:
  void settle(int c, engine::FieldType fromValue);
  [[noreturn]] void bad(int field, const char* what) const;
  // The current row's cell of field `f`: straight into the table when the
  // layout was given (types and sizes known), else kept until finish().
  void store(int f, engine::Value v);
  void storeText(int f, std::string_view v);

  std::vector<SourceColumn> columns_;
  std::vector<int> fieldOf_;    // source column -> field, -1 when unused
  std::vector<bool> typeOpen_;  // field type still to be read from a value
  std::vector<std::size_t> longest_;
  bool adopt_;
  std::string what_;
  Layout layout_;
  std::vector<std::vector<engine::Value>> rows_;  // adopting: cells until the types are known
  engine::Table table_;                           // given layout: filled as rows come
  engine::RowId row_ = 0;
  engine::PacketStream* packet_ = nullptr;  // packet mode: the row's cells, written at its end
  std::vector<engine::Value> rowCells_;
  bool rowOpen_ = false;
  void flushPacketRow();
  void writeCell(std::size_t f, const engine::Value& v);
  void nullsUpTo(std::size_t f);  // nulls for the fields skipped before f; f is next
  bool direct_ = false;
  std::size_t nextField_ = 0;
  void makeTable();
  bool tableMade_ = false;
};

}  // namespace ped::sql
