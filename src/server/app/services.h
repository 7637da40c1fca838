#pragma once
// The remote data module Ped00800.rdmLiquidaItem: every remote method bound
// to the JSON-RPC dispatcher, each call on a pooled database connection, and
// sessions resolved from the database.

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "engine/date_time.h"
#include "rpc/dispatcher.h"
#include "server/app/connection_pool.h"
#include "server/app/request_log.h"
#include "server/auth/hash_permits.h"
#include "server/auth/login_throttle.h"
#include "server/methods/order_changes.h"
#include "server/methods/order_history.h"
#include "server/methods/order_queries.h"
#include "server/methods/sessions.h"
#include "server/methods/stock_movement.h"
#include "server/methods/stock_queries.h"

namespace ped::server {

struct ServiceLimits {
  std::size_t maxOrderRows = 200000;  // orders one GetPedidos may return
  // Log-in hashes (64 MiB and a core each) run at once, one per core; a few
  // more log-ins wait up to loginWait, the rest are refused at once.
  std::size_t loginHashesAtOnce = std::max(1u, std::thread::hardware_concurrency());
  std::size_t loginHashesWaiting = 32;
  std::chrono::milliseconds loginWait{2000};
  auth::ThrottlePolicy loginThrottle;
};

class Services final : public rpc::SessionResolver {
 public:
  // `pool` and `clock` must outlive the services.
  Services(ConnectionPool& pool, const engine::Clock& clock, ServiceLimits limits = {});

  // Registers Login, Logout and the remote methods. REQUIRES: before the
  // first call.
  void install(rpc::Dispatcher& dispatcher);

  // Sessions are kept in memory once seen and read again from the database
  // after 5 s, so a session ended there (expired, or removed by another
  // server instance) is refused within 5 s; one this server finds ended is
  // refused at once. Their last access is written back at most once a
  // minute: a session may therefore end up to a minute early, never late.
  std::optional<rpc::Session> resolve(std::string_view token) override;

  // Most log-in hashes that ran at once so far.
  std::size_t hashPeakInUse() { return hashPermits_.peakInUse(); }

  // Sessions in use on the database (every instance's). Throws sql::SqlError
  // when no connection comes free within `wait` or the count takes longer
  // than `bound` (then cancelled, its connection dropped).
  std::int64_t openSessions(std::chrono::milliseconds wait, std::chrono::milliseconds bound);

 private:
  using Body = std::function<std::string(sql::Connection&, const Session&, const rpc::Params&)>;
  using ChangeBody = std::function<ChangeAnswer(sql::Connection&, const Session&, const rpc::Params&)>;
  // The answer of a change from what the change kept (ChangeAnswer::json),
  // the first time and when a call is sent again.
  using AnswerBody =
      std::function<std::string(sql::Connection&, const Session&, const rpc::Params&, const std::string&)>;
  enum class Kind {
    Read,    // several reads: runs in one read transaction (one snapshot)
    Direct,  // one statement, or manages its own transactions
  };
  // Log-in: throttled per operator and address, the hash admitted by
  // hashPermits_ and run with no database connection held.
  std::string login(const rpc::CallContext& call, std::string_view operatorCode, std::string_view password);
  // Ends the caller's session. Runs without a resolved session, so that a
  // repeated Logout (a resend, or a second close) answers as the first.
  std::string logout(const rpc::CallContext& call);

  // A method run on a borrowed connection, with the storage's failures
  // turned into messages for the operator.
  rpc::MethodHandler bind(Body body, Kind kind);
  // A change of orders: one write transaction, in which what the change
  // decided is kept under the client's request key when the call carries
  // one (RequestLog); then its answer, read after the transaction.
  rpc::MethodHandler bindChange(ChangeBody change, AnswerBody answer);
  std::string onConnection(const std::function<std::string(ConnectionPool::Lease&)>& work);
  std::string runChange(sql::Connection& db, const rpc::CallContext& call, const rpc::Params& p,
                        const ChangeBody& change, const AnswerBody& answer);

  struct Known {
    rpc::Session session;
    double checked;  // when the database last confirmed it
    double touched;  // when the database last saw it used
  };
  std::mutex knownMutex_;
  std::unordered_map<std::string, Known> known_;  // by token
  std::uint64_t logouts_ = 0;                     // log-outs so far, under knownMutex_

  ConnectionPool& pool_;
  const engine::Clock& clock_;
  auth::HashPermits hashPermits_;
  auth::LoginThrottle throttle_;
  Sessions sessions_;
  OrderQueries orders_;
  OrderHistory history_;
  StockQueries stock_;
  StockMovement movement_;
  OrderChanges changes_;
  RequestLog requests_;
  std::atomic<double> forgotten_{0};  // when old request keys were last cleared
};

}  // namespace ped::server
