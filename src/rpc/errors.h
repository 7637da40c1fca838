#pragma once
// JSON-RPC error codes used on the wire, and the exception through which a
// method (or the parameter checks) reports a failure to its caller.

#include <stdexcept>
#include <string>

namespace ped::rpc {

namespace error_code {
inline constexpr int kParseError = -32700;      // the body is not JSON (or nests too deep)
inline constexpr int kInvalidRequest = -32600;  // JSON, but not a JSON-RPC 2.0 request
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;     // wrong count or type of parameters
inline constexpr int kInternalError = -32603;     // an unexpected exception; details only in the log
inline constexpr int kMethodFailed = -32000;      // a failure the method reported (MethodError)
inline constexpr int kNotAuthenticated = -32001;  // no session token, or a bad or expired one
}  // namespace error_code

// A failure to report to the caller: `message` (Portuguese) reaches the
// operator verbatim as the JSON-RPC error's message, with `code`.
class MethodError : public std::runtime_error {
 public:
  explicit MethodError(const std::string& message, int code = error_code::kMethodFailed)
      : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

}  // namespace ped::rpc
