#pragma once
// A real application server for client-side tests: the demo data (a few
// orders) in a fresh SQLite file, served over HTTP on a free loopback port.
// Built once per test process and shared: tests that change orders must use
// their own.

#include <string>

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

}  // namespace ped::testing
