#pragma once
// The 20 arguments of GetPedidos, by position: the filter packs them, the
// server unpacks them, both by these names. The dates travel as ISO text, or
// null for no date; the rest as text.

#include <cstddef>

namespace ped::domain {

enum class OrderQueryArgument : std::size_t {
  Branch,         // branch code
  OrderStatuses,  // order-status codes, "35" for settled
  OrderList,      // list text of order numbers, or empty
  OrderFrom,      // first order number of a range, or empty
  OrderTo,        // last order number of a range, or empty
  AllOrders,      // "T" for every order number
  ItemStatuses,   // item-status codes, "46" for settled
  ClientList,
  AllClients,
  ProductList,
  AllProducts,
  SellerList,  // also the operator's own seller when he is tied to it
  AllSellers,
  IssuedFrom,     // date
  IssuedTo,       // date
  AllIssued,      // "T": the order-date range does not apply
  DeliveryFrom,   // date
  DeliveryTo,     // date
  AllDeliveries,  // "T": the delivery-date range does not apply
  Priorities,     // priority codes
};

inline constexpr std::size_t kOrderQueryArgumentCount = 20;

constexpr std::size_t position(OrderQueryArgument a) { return static_cast<std::size_t>(a); }

static_assert(position(OrderQueryArgument::Priorities) + 1 == kOrderQueryArgumentCount);

}  // namespace ped::domain
