#pragma once
// The client's side of the JSON-RPC envelope: building a request and reading
// the answer into a RemoteResult. No I/O.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "hostlib/remote_result.h"
#include "netclient/arg.h"

namespace ped::netclient {

// An argument with no JSON form (a text that is not UTF-8, a NaN). what()
// is Portuguese and names the argument's position and the method.
class ArgumentError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The request {"jsonrpc":"2.0","method":...,"params":[...],"id":id}.
// Throws ArgumentError.
std::string encodeCall(std::string_view method, const std::vector<Arg>& args, std::int64_t id);

// The message for an answer that is not the JSON-RPC response expected.
inline constexpr std::string_view kInvalidResponse = "Resposta inválida do servidor de aplicação.";

// Reads the response to request `id`:
//   "result": an object -> RemoteResult::packet(its JSON text as sent); an
//   array -> packetArray (null elements -> nullopt, others -> their JSON);
//   null -> none(); another value -> packet(its JSON).
//   "error" -> failure(its message).
// Anything else - malformed JSON, another id, both or neither of result and
// error - is failure(kInvalidResponse). An error answer with a null id is
// taken too: the server sends one when it could not read the request.
hostlib::RemoteResult decodeResponse(std::string_view body, std::int64_t id);

}  // namespace ped::netclient
