#pragma once
// The real ped00800-server, started on a free loopback port over a test
// database, for tests that need the process itself: its memory, its stop, a
// kill -9 and a restart, its call log.

#include <sys/types.h>

#include <string>
#include <vector>

namespace ped::server::testing {

class ServerProcess {
 public:
  // Nothing runs until start(). The call log goes to `logFile` ("" for none).
  explicit ServerProcess(std::string database, std::string logFile = "");
  ~ServerProcess();  // SIGKILL if still running
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts it, with `options` added to its command line, and waits until it
  // listens; throws std::runtime_error when it announces no port within
  // 10 s. REQUIRES: not running. PED_SERVER_EXE in the environment points at
  // another build.
  void start(const std::vector<std::string>& options = {});
  int port() const { return port_; }
  long residentMiB() const;  // VmRSS
  // Sends `signal` and waits at most `seconds` for the exit. The exit status
  // (as waitpid gives it), or -1 when the process was still running (then
  // killed) or was not running.
  int stop(int signal, double seconds, double* took = nullptr);
  void kill9();  // SIGKILL, and waits until it is gone

 private:
  std::string database_, log_, err_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace ped::server::testing
