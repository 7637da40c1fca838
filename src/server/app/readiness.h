#pragma once
// Whether the server can serve calls now, for GET /ready (a load balancer or
// service manager asks it; GET /health only says the process answers): the
// database answers a trivial query through the pool, and its schema is the
// one this server was built for. Both the wait for a connection and the
// query are bounded, so a check never hangs with the database.

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
  // connection when every one is lent to calls. `answer`: the longest the
  // query may run; past it the query is cancelled and its connection dropped
  // from the pool.
  explicit Readiness(ConnectionPool& pool, std::chrono::milliseconds wait = std::chrono::milliseconds(500),
                     std::chrono::milliseconds answer = std::chrono::milliseconds(2000))
      : pool_(pool), wait_(wait), answer_(answer) {}

  // Never throws. Thread-safe.
  ReadinessAnswer check();

  // The HTTP answer: 200 {"status":"ready"}, or 503 with
  // {"status":"unavailable","reason":"..."}.
  int answer(std::string& body);

 private:
  ConnectionPool& pool_;
  const std::chrono::milliseconds wait_;
  const std::chrono::milliseconds answer_;
};

}  // namespace ped::server
