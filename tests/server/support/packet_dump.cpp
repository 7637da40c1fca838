#include "server/support/packet_dump.h"

#include <simdjson.h>

#include "engine/data_set.h"

namespace ped::server {

std::string packet(const std::string& json, const char* fields) {
  engine::DataSet ds("r");
  ds.loadPacket(json);
  return fields ? ds.dump(fields) : ds.dump();
}

std::string element(const std::string& array, std::size_t i, const char* fields) {
  simdjson::dom::parser parser;
  const simdjson::dom::element e = parser.parse(array).get_array().at(i).value();
  if (e.is_null()) return "null";
  return packet(std::string(simdjson::minify(e)), fields);
}

}  // namespace ped::server
