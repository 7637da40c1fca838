#pragma once
// Writes JSON-RPC requests and reads responses, for assertions.

#include <simdjson.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ped::rpc::testing {

// {"jsonrpc":"2.0","method":method,"params":params,"id":id}; params and id
// are JSON text.
inline std::string request(std::string_view method, std::string_view params, std::string_view id = "1") {
  std::string out = R"({"jsonrpc":"2.0","method":")";
  out += method;
  out += R"(","params":)";
  out += params;
  out += R"(,"id":)";
  out += id;
  out += '}';
  return out;
}

struct Reply {
  bool valid = false;  // a JSON object with "jsonrpc":"2.0"
  std::string id;      // the id as JSON text
  bool isError = false;
  std::int64_t code = 0;
  std::string message;
  std::string result;  // the result as minified JSON
};

inline Reply readReply(simdjson::dom::element e) {
  Reply r;
  std::string_view version;
  if (!e.is_object() || e["jsonrpc"].get(version) || version != "2.0") return r;
  r.valid = true;
  simdjson::dom::element id, error, result;
  if (!e["id"].get(id)) r.id = simdjson::minify(id);
  if (!e["error"].get(error)) {
    r.isError = true;
    std::string_view message;
    if (error["code"].get(r.code) || error["message"].get(message)) r.valid = false;
    r.message = std::string(message);
  } else if (!e["result"].get(result)) {
    r.result = simdjson::minify(result);
  } else {
    r.valid = false;
  }
  return r;
}

inline Reply readReply(const std::string& text) {
  simdjson::dom::parser parser;
  simdjson::dom::element e;
  if (parser.parse(text).get(e)) return {};
  return readReply(e);
}

inline std::vector<Reply> readBatch(const std::string& text) {
  simdjson::dom::parser parser;
  simdjson::dom::array items;
  std::vector<Reply> out;
  if (parser.parse(text).get(items)) return out;
  for (auto e : items) out.push_back(readReply(e));
  return out;
}

}  // namespace ped::rpc::testing
