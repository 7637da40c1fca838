#include "netclient/wire_format.h"

#include <simdjson.h>

#include "rpc/json_writer.h"

namespace ped::netclient {
namespace {

using hostlib::RemoteResult;
using simdjson::dom::element;

// Responses are a few levels deep (envelope, array of packets, packet, rows,
// row); deeper means the answer is not ours.
constexpr std::size_t kMaxDepth = 64;

RemoteResult invalid() { return RemoteResult::failure(std::string(kInvalidResponse)); }

void writeArg(rpc::JsonWriter& w, const Arg& arg) {
  switch (arg.kind()) {
    case Arg::Kind::Null:
      w.null();
      break;
    case Arg::Kind::Text:
      w.string(arg.text());
      break;
    case Arg::Kind::Integer:
      w.integer(arg.integer());
      break;
    case Arg::Kind::Float:
      w.number(arg.number());
      break;
    case Arg::Kind::Boolean:
      w.boolean(arg.boolean());
      break;
    case Arg::Kind::Packet:
      w.raw(arg.text());
      break;
  }
}

bool idMatches(element id, std::int64_t expected) {
  std::int64_t value;
  return id.get_int64().get(value) == simdjson::SUCCESS && value == expected;
}

RemoteResult errorResult(element error) {
  std::string_view message;
  std::int64_t code;
  if (error["message"].get(message) != simdjson::SUCCESS || error["code"].get(code) != simdjson::SUCCESS)
    return invalid();
  if (message.empty()) {
    std::string text = "O servidor de aplicação informou uma falha sem mensagem (código ";
    text += std::to_string(code);
    text += ").";
    return RemoteResult::failure(std::move(text));
  }
  return RemoteResult::failure(std::string(message));
}

// The JSON text of a result element: an object or array is sliced from the
// body as it came (the on-demand parser points into the text, where the DOM
// would have to write it out again, the largest cost of a small call);
// scalars are rare and written out.
std::string textOf(element dom, simdjson::ondemand::value& raw) {
  std::string_view slice;
  if (dom.is_object()) {
    simdjson::ondemand::object object;
    if (raw.get_object().get(object) == simdjson::SUCCESS &&
        object.raw_json().get(slice) == simdjson::SUCCESS)
      return std::string(slice);
  } else if (dom.is_array()) {
    simdjson::ondemand::array array;
    if (raw.get_array().get(array) == simdjson::SUCCESS && array.raw_json().get(slice) == simdjson::SUCCESS)
      return std::string(slice);
  }
  return simdjson::minify(dom);
}

// REQUIRES: `body` parsed by the DOM parser as a response whose "result" is
// `result`; it is read again here only to slice the packets out.
RemoteResult resultOf(std::string_view body, element result) {
  if (result.is_null()) return RemoteResult::none();
  thread_local simdjson::ondemand::parser slicer;
  const simdjson::padded_string padded(body);
  simdjson::ondemand::document doc;
  simdjson::ondemand::value raw;
  if (slicer.iterate(padded).get(doc) != simdjson::SUCCESS || doc["result"].get(raw) != simdjson::SUCCESS)
    return invalid();

  simdjson::dom::array array;
  if (result.get_array().get(array) != simdjson::SUCCESS) return RemoteResult::packet(textOf(result, raw));
  simdjson::ondemand::array rawArray;
  if (raw.get_array().get(rawArray) != simdjson::SUCCESS) return invalid();
  std::vector<std::optional<std::string>> items;
  items.reserve(array.size());
  auto rawItem = rawArray.begin();
  for (element item : array) {
    if (rawItem == rawArray.end()) return invalid();
    simdjson::ondemand::value rawValue;
    if ((*rawItem).get(rawValue) != simdjson::SUCCESS) return invalid();
    if (item.is_null())
      items.emplace_back(std::nullopt);
    else
      items.emplace_back(textOf(item, rawValue));
    ++rawItem;
  }
  return RemoteResult::packetArray(std::move(items));
}

}  // namespace

std::string encodeCall(std::string_view method, const std::vector<Arg>& args, std::int64_t id) {
  std::size_t size = 64 + method.size();
  for (const Arg& a : args) size += a.text().size() + 8;
  rpc::JsonWriter w(size);
  w.beginObject().key("jsonrpc").string("2.0");
  try {
    w.key("method").string(method);
  } catch (const rpc::JsonWriteError&) {
    throw ArgumentError("Nome de método remoto com UTF-8 inválido.");
  }
  w.key("params").beginArray();
  for (std::size_t i = 0; i < args.size(); ++i) {
    try {
      writeArg(w, args[i]);
    } catch (const rpc::JsonWriteError&) {
      std::string message = "Parâmetro ";
      message += std::to_string(i + 1);
      message += " de ";
      message += method;
      message += args[i].kind() == Arg::Kind::Float ? ": número infinito ou indefinido."
                                                    : ": texto com UTF-8 inválido.";
      throw ArgumentError(message);
    }
  }
  w.endArray().key("id").integer(id).endObject();
  return w.take();
}

RemoteResult decodeResponse(std::string_view body, std::int64_t id) {
  thread_local simdjson::dom::parser parser = [] {
    simdjson::dom::parser p;
    [[maybe_unused]] auto error = p.allocate(64 * 1024, kMaxDepth);
    return p;
  }();
  element root;
  if (parser.parse(body.data(), body.size()).get(root) != simdjson::SUCCESS || !root.is_object())
    return invalid();

  std::string_view version;
  if (root["jsonrpc"].get(version) != simdjson::SUCCESS || version != "2.0") return invalid();
  element responseId, result, error;
  if (root["id"].get(responseId) != simdjson::SUCCESS) return invalid();
  const bool hasResult = root["result"].get(result) == simdjson::SUCCESS;
  const bool hasError = root["error"].get(error) == simdjson::SUCCESS;
  if (hasResult == hasError) return invalid();

  if (hasError) {
    if (!error.is_object() || !(idMatches(responseId, id) || responseId.is_null())) return invalid();
    return errorResult(error);
  }
  if (!idMatches(responseId, id)) return invalid();
  return resultOf(body, result);
}

}  // namespace ped::netclient
