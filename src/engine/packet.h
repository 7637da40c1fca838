#pragma once
// Packets: the JSON form in which whole tables travel between server and
// client.
//   {"fields":[{"name":"NRPEDIDO","type":"string","size":10},...],
//    "rows":[["0000000012",...],...]}
// Types: "string", "float", "datetime" (ISO 8601 text, null for no date),
// "integer", "boolean". Every cell may be null.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/column_store.h"

namespace ped::engine {

struct FieldSpec {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 0;  // characters, for Text fields; 0 means the default of 20
  bool calculated = false;
};

inline constexpr int kDefaultTextSize = 20;
inline int effectiveSize(const FieldSpec& f) { return f.size > 0 ? f.size : kDefaultTextSize; }

// A table with no rows and one column per field of `layout` (calculated ones
// included), typed like the field.
Table emptyTable(const std::vector<FieldSpec>& layout);

// Reads a packet into a new table laid out as `layout`: each data field takes
// the packet column of the same name (case-insensitive), calculated fields
// stay null, texts are cut to their field's size. An empty layout is first
// filled from the packet's own field list (all data fields).
// Throws PacketError, leaving `layout` untouched, for malformed JSON, a
// missing "fields" or "rows", an unknown type, a data field the packet lacks,
// a row of the wrong length, a cell of the wrong type, a number out of range,
// an invalid date or invalid UTF-8.
Table decodePacket(std::string_view json, std::vector<FieldSpec>& layout);

// Each thread keeps its packet parser's buffers (several times a packet's
// size) for the next packet, up to `bytes` of capacity (64 MiB unless set).
// A server with many threads sets it low, so a large packet's buffers are
// not kept once per thread. Thread-safe.
void keepPacketParserUpTo(std::size_t bytes);

// Writes the data fields of `layout` (calculated ones are left out) for the
// rows of `table` in `order`. Floats are written in the shortest form that
// reads back to the same double.
std::string encodePacket(const std::vector<FieldSpec>& layout, const Table& table,
                         std::span<const RowId> order);

// Writes a packet cell by cell, without a table in between: for a server
// that turns query rows straight into packets. Cells go in the order of the
// layout's data fields (calculated fields are left out, as encodePacket
// does), one call per cell between beginRow() and endRow().
class PacketStream {
 public:
  // Writes the field list. Throws PacketError for a field name that is not
  // valid UTF-8.
  explicit PacketStream(const std::vector<FieldSpec>& layout);
  ~PacketStream();
  PacketStream(const PacketStream&) = delete;
  PacketStream& operator=(const PacketStream&) = delete;

  void beginRow();
  void null();
  // REQUIRES: the current field is a Text field. The text is cut to the
  // field's size. Throws PacketError for invalid UTF-8.
  void text(std::string_view s);
  void number(double d);         // Float; PacketError when not finite
  void dateTime(double d);       // DateTime; 0 is no date (null)
  void integer(std::int64_t i);  // Integer
  void boolean(bool b);          // Boolean
  void endRow();
  std::size_t rows() const;  // rows begun so far
  // The packet's text; the stream is spent.
  std::string finish();

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace ped::engine
