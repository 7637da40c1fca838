#pragma once
// The remote data module Ped00800.rdmLiquidaItem: every remote method bound
// to the JSON-RPC dispatcher, each call on a pooled database connection, and
// sessions resolved from the database.

#include <optional>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "rpc/dispatcher.h"
#include "server/app/connection_pool.h"
#include "server/methods/order_changes.h"
#include "server/methods/order_queries.h"
#include "server/methods/sessions.h"
#include "server/methods/stock_movement.h"
#include "server/methods/stock_queries.h"

namespace ped::server {

struct ServiceLimits {
  std::size_t maxOrderRows = 200000;  // orders one GetPedidos may return
};

class Services final : public rpc::SessionResolver {
 public:
  // `pool` and `clock` must outlive the services.
  Services(ConnectionPool& pool, const engine::Clock& clock, ServiceLimits limits = {});

  // Registers Login and the remote methods. REQUIRES: before the first call.
  void install(rpc::Dispatcher& dispatcher);

  std::optional<rpc::Session> resolve(std::string_view token) override;

 private:
  using Body = std::function<std::string(sql::Connection&, const Session&, const rpc::Params&)>;
  // A method run on a borrowed connection, with the storage's failures
  // turned into messages for the operator. With `replayable` a repeated call
  // of the same session gets its first answer back.
  rpc::MethodHandler bind(Body body, bool replayable = false);

  ConnectionPool& pool_;
  const engine::Clock& clock_;
  Sessions sessions_;
  OrderQueries orders_;
  StockQueries stock_;
  StockMovement movement_;
  OrderChanges changes_;
};

}  // namespace ped::server
