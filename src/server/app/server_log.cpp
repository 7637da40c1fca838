#include "server/app/server_log.h"

#include <spdlog/sinks/basic_file_sink.h>
#include <spdlog/sinks/rotating_file_sink.h>
#include <spdlog/sinks/stdout_sinks.h>
#include <spdlog/spdlog.h>

namespace ped::server {

std::shared_ptr<spdlog::logger> makeServerLogger(const LogSettings& settings) {
  std::shared_ptr<spdlog::sinks::sink> sink;
  if (settings.file.empty())
    sink = std::make_shared<spdlog::sinks::stderr_sink_mt>();
  else if (settings.maxSize == 0)
    sink = std::make_shared<spdlog::sinks::basic_file_sink_mt>(settings.file);
  else
    sink = std::make_shared<spdlog::sinks::rotating_file_sink_mt>(settings.file, settings.maxSize,
                                                                  settings.files);
  auto logger = std::make_shared<spdlog::logger>("ped00800", std::move(sink));
  logger->set_pattern("%v");
  logger->flush_on(spdlog::level::info);
  return logger;
}

}  // namespace ped::server
