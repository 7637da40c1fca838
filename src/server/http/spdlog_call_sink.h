#pragma once
// Wires the dispatcher's call records to spdlog: one JSON line per call
// (rpc::callLogLine), at info level, or error for internal errors.

#include <memory>

#include "rpc/dispatcher.h"

namespace spdlog {
class logger;
}

namespace ped::server {

// `logger` is shared with the sink and is called from every server thread:
// give it thread-safe (_mt) sinks. A pattern of "%v" makes each line pure
// JSON.
rpc::CallSink makeSpdlogCallSink(std::shared_ptr<spdlog::logger> logger);

}  // namespace ped::server
