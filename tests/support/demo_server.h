#pragma once
// A real application server for client-side tests: the demo data (a few
// orders) in a fresh SQLite file, served over HTTP on a free loopback port.
// Built once per test process and shared: tests that change orders must use
// their own.

#include <cstdint>
#include <memory>
#include <string>

#include "rpc/dispatcher.h"

namespace ped::testing {

struct DemoServer {
  std::string database;  // the SQLite file, also the look-up database
  int port = 0;
  double today = 0;  // the demo data's "today"
};

// Starts it on first use. Demo operators: GERENTE/gerente123 (sees every
// seller), VENDEDOR1/vendedor123 (seller 0001), SEMVEND/semvend123 (no seller),
// ADMIN/admin123.
const DemoServer& demoServer();

struct DemoServerOptions {
  int orders = 40;  // REQUIRES: what the demo generator accepts
  std::uint64_t seed = 7;
  // The data's "today" and the server's clock, at noon; 0: the system's
  // clock, and the data dated from its today.
  double today = 0;
  // Sees every call the server answers, on the thread that answered it.
  rpc::CallSink callSink;
  // An empty database to fill and serve (a PostgreSQL target, such as a
  // TestDatabase's) instead of a fresh SQLite file; its owner drops it.
  std::string database;
  // PEM files: served over HTTPS when given (see support/test_ca.h).
  std::string tlsCertFile;
  std::string tlsKeyFile;
};

// A demo server of one's own (a benchmark's larger data, a call counter):
// generated and started by the constructor, stopped and its file removed by
// the destructor. Connections: 4 to the database, 4 warm HTTP threads.
class RunningDemoServer {
 public:
  explicit RunningDemoServer(DemoServerOptions options = {});
  ~RunningDemoServer();
  RunningDemoServer(const RunningDemoServer&) = delete;
  RunningDemoServer& operator=(const RunningDemoServer&) = delete;

  const DemoServer& info() const;

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace ped::testing
