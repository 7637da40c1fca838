#pragma once
// Settling orders and items by hand, and undoing it. Each order is changed
// all or nothing in its own transaction; an order that fails gets a row in
// the per-order errors and the others go on.
//
// Two sessions on one order: the first takes a short lease on it (PEDIDO.
// CDSESSAOBLOQ); the other is told "Operação bloqueada. Pedido em alteração
// por outro usuário." An order whose status is not what the client read is
// told "Esta operação não pode ser realizada. Atualize os dados."

#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "server/methods/sessions.h"
#include "server/methods/stock_movement.h"
#include "sql/connection.h"

namespace ped::server {

class OrderChanges {
 public:
  OrderChanges(const engine::Clock& clock, const StockMovement& stock, double leaseDays = 2.0 / 24 / 60)
      : clock_(clock), stock_(stock), lease_(leaseDays) {}

  // Orders marked "S" in `ordersPacket`: their open items become "6".
  // Result: [the packet's orders as they now stand, errors or null].
  std::string SetLiquidaPed(sql::Connection& db, const Session& s, std::string_view ordersPacket,
                            std::string_view operatorCode, std::string_view justification) const;
  // Items marked "S": they become "6". Result: [the order's items, errors or null].
  std::string SetLiquidaItem(sql::Connection& db, const Session& s, std::string_view operatorCode,
                             std::string_view itemsPacket, std::string_view justification) const;
  // Items marked "S" of status "6" go back to their status before the
  // settlement; the others are left as they are. Stock is not given back.
  std::string SetDesfazLiq(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                           std::string_view operatorCode, std::string_view justification) const;

 private:
  struct ItemRequest {
    std::string item, statusRead;
  };
  struct OrderRequest {
    std::string branch, order, statusRead;  // statusRead empty at item level
    std::vector<ItemRequest> items;          // empty at order level: every open item
  };
  enum class Kind { Settle, Undo };

  // Changes one order; returns the per-order error text, empty on success.
  std::string change(sql::Connection& db, const Session& s, const OrderRequest& request, Kind kind,
                     const std::string& justification) const;
  void changeLocked(sql::Connection& db, const Session& s, const OrderRequest& request, Kind kind,
                    const std::string& justification) const;
  std::string itemsResult(sql::Connection& db, const Session& s, const std::string& itemsPacket,
                          Kind kind, std::string_view operatorCode, std::string_view justification) const;

  const engine::Clock& clock_;
  const StockMovement& stock_;
  double lease_;
};

}  // namespace ped::server
