#include "server/http/spdlog_call_sink.h"

#include <spdlog/spdlog.h>

#include "rpc/call_log.h"

namespace ped::server {

rpc::CallSink makeSpdlogCallSink(std::shared_ptr<spdlog::logger> logger) {
  return [logger = std::move(logger)](const rpc::CallRecord& record) {
    const auto level =
        record.errorCode == rpc::error_code::kInternalError ? spdlog::level::err : spdlog::level::info;
    // The line goes in as an argument, never as the format: it holds braces.
    logger->log(level, "{}", rpc::callLogLine(record));
  };
}

}  // namespace ped::server
