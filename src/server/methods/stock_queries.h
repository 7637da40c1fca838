#pragma once
// The stock look-ups: the allocation rows of listed orders (their items'
// reservations) and the positions of a product.

#include <string>
#include <string_view>

#include "server/methods/sessions.h"
#include "sql/connection.h"

namespace ped::server {

// Quantities: QTDISPONIVEL is what stays free at a position once every
// reservation on it is taken; QTRESPRODPED what is reserved there for the
// item in question.
class StockQueries {
 public:
  // One allocation row per reservation of every open item of the orders in
  // `ordersPacket` (its CDFILIAL and NRPEDIDO) whose branch moves stock on
  // manual settlement; QTEXP starts as the reserved quantity.
  std::string GetEvolEstq(sql::Connection& db, const Session& s, std::string_view ordersPacket) const;

  // The positions of `product` in `branch` matching the keys: an empty key
  // leaves it open, a blank key matches positions without that key. With
  // `onlyAvailable` "N", positions with nothing free for this item are left
  // out.
  std::string GetPosEstq(sql::Connection& db, const Session& s, std::string_view branch,
                         std::string_view order, std::string_view product, std::string_view warehouse,
                         std::string_view location, std::string_view item, std::string_view onlyAvailable,
                         std::string_view lot, std::string_view subLot) const;
};

}  // namespace ped::server
