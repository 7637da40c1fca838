#pragma once
// The one-character codes of order and item statuses and of the marks.
// Packets carry them as text; the rules on them are
// in status_rules.h.

#include <string_view>

namespace ped::domain {

// IDSITPEDIDO
namespace order_status {
inline constexpr std::string_view InProgress = "2";
inline constexpr std::string_view Settled = "3";        // nothing left to do
inline constexpr std::string_view SettledByHand = "5";  // its settlement can be reversed
inline constexpr std::string_view PartlyServed = "6";
}  // namespace order_status

// IDSITITEMPED
namespace item_status {
inline constexpr std::string_view Pending = "1";
inline constexpr std::string_view Confirmed = "2";
inline constexpr std::string_view Approved = "3";
inline constexpr std::string_view Settled = "4";
inline constexpr std::string_view Cancelled = "5";
inline constexpr std::string_view SettledByHand = "6";  // its settlement can be reversed
inline constexpr std::string_view PartlyServed = "7";
}  // namespace item_status

// IDCHECK
namespace mark {
inline constexpr std::string_view Marked = "S";
inline constexpr std::string_view Unmarked = "N";
inline constexpr std::string_view Blocked = "B";    // orders only: of the other kind than those marked
inline constexpr std::string_view Unmarkable = "";  // items only
}  // namespace mark

}  // namespace ped::domain
