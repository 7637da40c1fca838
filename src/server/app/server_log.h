#pragma once
// The server's log: one JSON line per call (rpc::callLogLine), to standard
// error, to a file, or to a file rotated by size.

#include <cstddef>
#include <memory>
#include <string>

namespace spdlog {
class logger;
}

namespace ped::server {

struct LogSettings {
  std::string file;         // empty: standard error
  std::size_t maxSize = 0;  // bytes of one file before it rotates; 0: never rotates
  std::size_t files = 5;    // rotated files kept besides the current one
};

// A thread-safe logger writing each message as it stands ("%v"), flushed at
// every line so a crash loses none. With a size, when the next line would
// pass it, "dir/name.ext" is renamed to "dir/name.1.ext" (name.1.ext to
// name.2.ext, and so on) and the oldest beyond `files` is removed. Throws spdlog::spdlog_ex (with the
// path) when the file cannot be opened.
std::shared_ptr<spdlog::logger> makeServerLogger(const LogSettings& settings);

}  // namespace ped::server
