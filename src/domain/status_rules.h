#pragma once
// What each status allows, written once for the screen, the server and the
// demo data. A status that is no known code allows nothing.

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "domain/status_codes.h"

namespace ped::domain {

// The open item statuses, for queries that select open items.
inline constexpr std::array<std::string_view, 4> kOpenItemStatuses = {
    item_status::Pending, item_status::Confirmed, item_status::Approved, item_status::PartlyServed};

// Orders the operator may settle by hand: in progress, partly served.
bool isLiquidableOrder(std::string_view orderStatus);
// Orders whose settlement by hand may be reversed.
bool isReversibleOrder(std::string_view orderStatus);
// Orders an operation can take: to settle, or to reverse. Settled orders
// (and unknown statuses) are inert: they carry no mark.
inline constexpr std::array<std::string_view, 3> kMarkableOrderStatuses = {
    order_status::InProgress, order_status::PartlyServed, order_status::SettledByHand};
bool isMarkableOrder(std::string_view orderStatus);
// Orders with nothing open: settled, or settled by hand.
bool isSettledOrder(std::string_view orderStatus);

// Items still open: one of kOpenItemStatuses.
bool isOpenItem(std::string_view itemStatus);
// Items settled, by the automatic flow or by hand.
bool isSettledItem(std::string_view itemStatus);
// Items whose settlement by hand may be reversed.
bool isReversibleItem(std::string_view itemStatus);
// Items the operator may mark: open ones, to settle, and those settled by
// hand, to reverse. Settled and cancelled items are inert.
inline constexpr std::array<std::string_view, 5> kMarkableItemStatuses = {
    item_status::Pending, item_status::Confirmed, item_status::Approved, item_status::PartlyServed,
    item_status::SettledByHand};
bool isMarkableItem(std::string_view itemStatus);
// Items that take stock allocation rows: the open ones. A partly served item
// is settled against rows adding up to its ordered quantity, as any other.
bool takesAllocationRows(std::string_view itemStatus);

// The order's status from its items': open and settled ones "6"; open ones
// only "2"; none open with one settled by hand "5"; none open otherwise "3".
std::string orderStatusFromItems(const std::vector<std::string>& itemStatuses);

}  // namespace ped::domain
