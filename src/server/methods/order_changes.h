#pragma once
// Settling orders and items by hand, and undoing it. A call runs in one
// write transaction of its caller's; each order is changed all or nothing
// inside it (a savepoint), and an order that fails gets a row in the
// per-order errors while the others go on.
//
// Two sessions on one order: the first holds it by a row lock in its
// transaction (PostgreSQL; SQLite lets one writer in at a time), which the
// database ends with that transaction or connection, so a server that dies
// frees its orders at once. The other is told "Operação bloqueada. Pedido
// em alteração por outro usuário." without waiting. An order whose status is
// not what the client read is told "Esta operação não pode ser realizada.
// Atualize os dados.", checked before anything is locked.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "server/methods/service_error.h"
#include "server/methods/sessions.h"
#include "server/methods/stock_movement.h"
#include "sql/connection.h"

namespace ped::server {

// What a change answers, and how many orders it changed (0: nothing
// happened, so the answer is not worth keeping).
struct ChangeAnswer {
  std::string json;
  std::size_t ordersChanged = 0;
};

class OrderChanges {
 public:
  // `maxRows`: the most rows a packet may have, which a screen never exceeds
  // (it holds at most the orders one GetPedidos returns).
  OrderChanges(const engine::Clock& clock, const StockMovement& stock, std::size_t maxRows = 200000)
      : clock_(clock), stock_(stock), maxRows_(maxRows) {}

  // REQUIRES for the three: `db` inside a write transaction, which the
  // caller commits (or rolls back: then nothing of the call remains).
  // Throws ServiceError, changing nothing, for a wrong operator or
  // justification, a malformed packet or one with more than `maxRows` rows.

  // Orders marked "S" in `ordersPacket`: their open items that GetItem
  // shows the session (itemsShown) become "6".
  // Result: [the packet's orders as they now stand, errors or null].
  ChangeAnswer SetLiquidaPed(sql::Connection& db, const Session& s, std::string_view ordersPacket,
                             std::string_view operatorCode, std::string_view justification) const;
  // Items marked "S": they become "6". Result: [the order's items, errors or null].
  ChangeAnswer SetLiquidaItem(sql::Connection& db, const Session& s, std::string_view operatorCode,
                              std::string_view itemsPacket, std::string_view justification) const;
  // Items marked "S" of status "6" go back to their status before the
  // settlement; the others are left as they are. Stock is not given back.
  // Each exclusion reverses, and names in its history row, the item's
  // latest settlement not yet reversed; an item without one is an error of
  // its order (never reversed twice).
  ChangeAnswer SetDesfazLiq(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                            std::string_view operatorCode, std::string_view justification) const;

  // The same three in two steps, for a caller that keeps the change apart
  // from its answer: the change, inside the write transaction, whose json
  // is its errors packet or "null" (what a repeat of the call must say
  // again); then, after the transaction, the answer from that and the
  // orders or items as they then stand.
  ChangeAnswer settleOrders(sql::Connection& db, const Session& s, std::string_view ordersPacket,
                            std::string_view operatorCode, std::string_view justification) const;
  std::string ordersAnswer(sql::Connection& db, std::string_view ordersPacket, const std::string& kept) const;
  ChangeAnswer settleItems(sql::Connection& db, const Session& s, std::string_view operatorCode,
                           std::string_view itemsPacket, std::string_view justification) const;
  ChangeAnswer undoItems(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                         std::string_view operatorCode, std::string_view justification) const;
  std::string itemsAnswer(sql::Connection& db, const Session& s, std::string_view itemsPacket,
                          const std::string& kept) const;

  // One order's refusal: its text (empty: changed) and whether the order
  // was already as asked, by an earlier action.
  struct Outcome {
    std::string error;
    bool alreadyDone = false;
  };

 private:
  // The order, or the item, is already as asked: it names who did it, when.
  struct AlreadyDone : ServiceError {
    using ServiceError::ServiceError;
  };
  struct ItemRequest {
    std::string item, statusRead;
  };
  struct OrderRequest {
    std::string branch, order, statusRead;  // statusRead empty at item level
    std::vector<ItemRequest> items;         // empty at order level: every open item
  };
  enum class Kind { Settle, Undo };

  // Changes one order; returns its error, none on success, and counts a
  // changed order in `changed`.
  Outcome change(sql::Connection& db, const Session& s, const OrderRequest& request, Kind kind,
                 const std::string& justification, std::size_t& changed) const;
  // Under the order's lock; returns whether any item changed.
  bool changeLocked(sql::Connection& db, const Session& s, const OrderRequest& request, Kind kind,
                    const std::string& justification) const;
  // An item's change: its new status and, for an exclusion, the history
  // row of the settlement it reverses.
  struct PlannedChange {
    std::string next;
    std::optional<std::int64_t> reverses;
  };
  // Throws AlreadyDone when the latest history row of the item (of the
  // order when `item` is empty) is of `operation`; returns otherwise.
  static void alreadyDone(sql::Connection& db, const OrderRequest& request, const std::string& item,
                          std::string_view operation, std::string_view what);
  // Throws AlreadyDone when every item the request asks to change (read open
  // to settle, read "6" to reverse) is already as asked, the latest history
  // row of the first (of the order, when every item was sent) saying so.
  static void itemsDoneBefore(sql::Connection& db, const OrderRequest& request, Kind kind,
                              const std::map<std::string, std::string>& statuses);
  // Which items of the order change, and how; ServiceError when the order
  // or an item is not as the screen read it.
  static std::map<std::string, PlannedChange> plannedChanges(sql::Connection& db, const OrderRequest& request,
                                                             Kind kind, std::string_view orderStatus,
                                                             const std::map<std::string, std::string>& items,
                                                             const std::set<std::string>& shown);
  ChangeAnswer changeItems(sql::Connection& db, const Session& s, std::string_view itemsPacket, Kind kind,
                           std::string_view justification) const;
  // The order's row after its change.
  struct OrderRow {
    std::string status;
    std::int64_t version;
  };
  // The writes of a settlement of `changes`, the order's row `row` included:
  // a statement for all the items at once (item by item where stock moves),
  // one statement in all on PostgreSQL when no stock moves.
  void settleItems(sql::Connection& db, const Session& s, const OrderRequest& request,
                   const std::map<std::string, PlannedChange>& changes, std::int64_t version, bool movesStock,
                   const std::string& justification, const std::string& now, const OrderRow& row) const;
  static void undoItems(sql::Connection& db, const Session& s, const OrderRequest& request,
                        const std::map<std::string, PlannedChange>& changes,
                        const std::map<std::string, std::string>& statuses,
                        const std::map<std::string, double>& quantities, const std::string& justification,
                        const std::string& now);
  void requireRowLimit(std::size_t rows, const char* what) const;

  const engine::Clock& clock_;
  const StockMovement& stock_;
  std::size_t maxRows_;
};

}  // namespace ped::server
