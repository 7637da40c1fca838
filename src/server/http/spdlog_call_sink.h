#pragma once
// Wires the dispatcher's call records to spdlog: one JSON line per call
// (rpc::callLogLine), at info level, or error for internal errors.

#include <memory>

#include "rpc/dispatcher.h"

namespace spdlog {
class logger;
}

namespace ped::server {

// `logger` is shared with the sink. Use a pattern of "%v" (or one that keeps
// the message last) for lines that are pure JSON.
rpc::CallSink makeSpdlogCallSink(std::shared_ptr<spdlog::logger> logger);

}  // namespace ped::server
