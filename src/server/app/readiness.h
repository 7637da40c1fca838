#pragma once
// Whether the server can serve calls now, for GET /ready (a load balancer or
// service manager asks it; GET /health only says the process answers): the
// database answers a trivial query through the pool, within a short bound,
// and its schema is the one this server was built for.

#include <chrono>
#include <string>

#include "server/app/connection_pool.h"

namespace ped::server {

struct ReadinessAnswer {
  bool ready = false;
  std::string reason;  // Portuguese; empty when ready
};

class Readiness {
 public:
  // `pool` must outlive this object. `wait`: the longest a check waits for a
  // connection when every one is lent to calls.
  explicit Readiness(ConnectionPool& pool, std::chrono::milliseconds wait = std::chrono::milliseconds(500))
      : pool_(pool), wait_(wait) {}

  // Never throws. Thread-safe.
  ReadinessAnswer check();

  // The HTTP answer: 200 {"status":"ready"}, or 503 with
  // {"status":"unavailable","reason":"..."}.
  int answer(std::string& body);

 private:
  ConnectionPool& pool_;
  const std::chrono::milliseconds wait_;
};

}  // namespace ped::server
