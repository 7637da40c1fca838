#pragma once
// The real ped00800-server started on a free loopback port over a test
// database, for proofs that need the process itself (its memory, its stop).

#include <sys/types.h>

#include <string>

namespace ped::server::testing {

class ServerProcess {
 public:
  // Starts the executable on `database`; ADD_FAILURE and port() 0 when it
  // does not announce its port within 10 s.
  explicit ServerProcess(const std::string& database);
  ~ServerProcess();  // kills it if still running

  int port() const { return port_; }
  long residentMiB() const;  // VmRSS
  // Sends `signal` and waits at most `seconds` for the exit. The exit status
  // (as waitpid gives it), or -1 when the process was still running (then
  // killed).
  int stop(int signal, double seconds, double* took = nullptr);

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  std::string err_;
};

}  // namespace ped::server::testing
