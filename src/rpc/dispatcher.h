#pragma once
// The JSON-RPC 2.0 core: a registry of methods and the handling of one
// request body, knowing nothing of the transport. A connector (HTTP in
// src/server/http) hands it the body and the caller's credentials and sends
// back the text it returns.
//
// Thread-safety: register every method before the first handle(); from then
// on handle() may run on many threads at once.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rpc/errors.h"
#include "rpc/params.h"
#include "rpc/session.h"

namespace ped::rpc {

// What the transport knows about the caller.
struct RequestContext {
  std::optional<std::string> bearerToken;  // from "Authorization: Bearer <token>"
  std::string peer;                        // the caller's address and port, for the log
  // From "Idempotency-Key": the client's name for one operator action, under
  // which a change keeps its answer (see server/app/request_log.h).
  std::optional<std::string> idempotencyKey;
};

// What a method is given besides its parameters; it points into the call
// and is valid only until the method returns.
struct CallContext {
  std::string_view method;
  // The caller's session; null exactly for methods registered as
  // Access::Public (Login), which run without one.
  const Session* session = nullptr;
  const RequestContext* request = nullptr;  // never null during a call
  // For a public method: the operator the call is about (Login's, Logout's),
  // which its log line names. Never null during a call.
  std::string* operatorForLog = nullptr;
};

// Returns the JSON text of the call's `result`: a packet object, an array of
// packets, `null` or any other JSON value, already encoded (it is copied into
// the response unchecked). Reports a failure by throwing MethodError; any
// other exception becomes an internal error whose details only reach the log.
using MethodHandler = std::function<std::string(const CallContext&, const Params&)>;

enum class Access : std::uint8_t {
  Session,  // needs a valid bearer token (every method but Login)
  Public,   // runs without a session
};

// One handled call, as reported to the call sink. Holds no parameter, so no
// password or business data reaches the log.
struct CallRecord {
  std::string_view method;        // empty when the request named none
  std::string_view operatorCode;  // empty without a session
  std::string_view peer;
  std::chrono::microseconds duration{0};
  int errorCode = 0;  // 0 for success
  // For internal errors only: what the exception said, for the server's log.
  std::string_view internalDetail;
};

// Receives a record after every call, on the thread that handled it.
// The views are valid only during the call to the sink.
using CallSink = std::function<void(const CallRecord&)>;

// Bounds on what one request body may make the server do and send back.
struct DispatcherLimits {
  // Calls in one batch. A batch over it is refused whole, unrun, with one
  // answer and one log line. The screen itself never batches.
  std::size_t maxBatchCalls = 64;
  // Bytes of one answer (a call's, or a whole batch's). A call whose result
  // is larger is answered with an error; the calls of a batch past the limit
  // are not run.
  std::size_t maxAnswerBytes = 64 * 1024 * 1024;
};

class Dispatcher {
 public:
  // `sessions` must outlive the dispatcher.
  explicit Dispatcher(SessionResolver& sessions, DispatcherLimits limits = {})
      : sessions_(sessions), limits_(limits) {}

  // Registers `name` taking exactly `arity` positional parameters.
  // REQUIRES: no handle() running. Throws std::invalid_argument when the
  // name is taken or the arity negative.
  void add(std::string name, int arity, MethodHandler handler, Access access = Access::Session);

  // REQUIRES: no handle() running.
  void setCallSink(CallSink sink) { sink_ = std::move(sink); }

  // The registered methods' names, sorted.
  std::vector<std::string> methodNames() const;

  // Handles one body: a request or a batch. Returns the response text (an
  // object, or an array for a batch), or an empty string when nothing is to
  // be answered (a notification, or a batch of notifications only). Never
  // throws. A batch needs a valid session as a whole: without one, or with
  // more than maxBatchCalls calls, it gets one error object (id null) and
  // nothing in it runs; Access::Public methods are refused inside a batch.
  std::string handle(std::string_view body, const RequestContext& context) const;

 private:
  struct Method {
    int arity;
    Access access;
    MethodHandler handler;
  };
  struct TransparentHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  SessionResolver& sessions_;
  const DispatcherLimits limits_;
  std::unordered_map<std::string, Method, TransparentHash, std::equal_to<>> methods_;
  CallSink sink_;

  friend class RequestHandler;  // the per-body work, in dispatcher.cpp
};

}  // namespace ped::rpc
