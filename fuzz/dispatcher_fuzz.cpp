// The JSON-RPC core on arbitrary request bodies, with and without a session:
// always an answer that is JSON (or none for notifications), never a crash.

#include <simdjson.h>

#include <cstdint>
#include <string_view>

#include "rpc/dispatcher.h"
#include "rpc/json_writer.h"

using namespace ped::rpc;

namespace {

Dispatcher& dispatcher() {
  static InMemorySessions sessions;
  static Dispatcher d = [] {
    sessions.add({"s1", "0042", "tok"});
    Dispatcher out(sessions, {.maxBatchCalls = 16, .maxAnswerBytes = 1 << 16});
    out.add(
        "Login", 2,
        [](const CallContext&, const Params& p) { return p.raw(0) + p.raw(1) == "" ? "" : "null"; },
        Access::Public);
    out.add("Echo", 1, [](const CallContext&, const Params& p) { return p.raw(0); });
    out.add("Types", 5, [](const CallContext&, const Params& p) {
      JsonWriter w;
      w.beginArray().string(p.text(0)).integer(p.integer(1)).number(p.number(2)).boolean(p.boolean(3));
      w.raw(p.packet(4)).endArray();
      return w.take();
    });
    out.add("Fail", 0,
            [](const CallContext&, const Params&) -> std::string { throw MethodError("Falhou."); });
    return out;
  }();
  return d;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  // The first byte chooses the credentials.
  const RequestContext context{data[0] & 1 ? std::optional<std::string>("tok") : std::nullopt, "127.0.0.1:1"};
  const std::string answer =
      dispatcher().handle(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1), context);
  if (answer.empty()) return 0;
  simdjson::dom::parser parser;
  simdjson::dom::element e;
  if (parser.parse(answer).get(e)) __builtin_trap();  // every answer is JSON
  return 0;
}
