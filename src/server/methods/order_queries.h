#pragma once
// The read-only remote methods: parameters, orders, items and order numbers.
// Each returns the JSON text of its result (a packet or an array of packets)
// and throws ServiceError for what the operator must be told.
//
// The server never trusts the client: the operator comes from the session
// (a different operator argument is refused), and an operator tied to his
// seller sees only that seller's orders whatever the arguments say.

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "engine/date_time.h"
#include "server/methods/sessions.h"
#include "sql/connection.h"

namespace ped::server {

// The 20 arguments of GetPedidos, in their wire order. Dates are days since
// 30/12/1899 (0: none).
struct OrderFilter {
  std::string branch, orderStatuses, orderList, orderFrom, orderTo, allOrders, itemStatuses, clientList,
      allClients, productList, allProducts, sellerList, allSellers;
  double issuedFrom = 0, issuedTo = 0;
  std::string allIssued;
  double deliveryFrom = 0, deliveryTo = 0;
  std::string allDeliveries, priorities;
};

class OrderQueries {
 public:
  // `maxRows`: the most orders one GetPedidos may return.
  explicit OrderQueries(std::size_t maxRows = 200000) : maxRows_(maxRows) {}

  std::string GetParam(sql::Connection& db, const Session& s, std::string_view branch,
                       std::string_view operatorCode) const;
  std::string GetPedidos(sql::Connection& db, const Session& s, const OrderFilter& f) const;
  std::string GetItem(sql::Connection& db, const Session& s, std::string_view branch,
                      std::string_view order) const;
  // The items GetItem shows of each order of `ordersPacket` (its NRPEDIDO
  // rows) on `branch`, in one packet, in no particular order.
  std::string GetItensPedidos(sql::Connection& db, const Session& s, std::string_view branch,
                              std::string_view ordersPacket) const;
  std::string GetItSemFiltro(sql::Connection& db, const Session& s, std::string_view branch,
                             std::string_view order) const;
  std::string GetNrPedido(sql::Connection& db, const Session& s, std::string_view seller,
                          std::string_view branch, std::string_view operatorCode) const;

 private:
  std::size_t maxRows_;
};

// The seller an operator is tied to on a branch (its orders only), or
// nullopt when he sees every seller. An operator tied to no seller gets ""
// and sees nothing.
std::optional<std::string> sellerRestriction(sql::Connection& db, std::string_view branch,
                                             std::string_view operatorCode);

// The items of an order that GetItem shows the session (its last order
// query's item statuses and products), the seller restriction aside: what
// "the order" means to a settlement of the whole order.
std::set<std::string> itemsShown(sql::Connection& db, const Session& s, const std::string& branch,
                                 const std::string& order);

// Refuses an operator argument that is not the session's.
void requireSessionOperator(const Session& s, std::string_view operatorCode);

}  // namespace ped::server
