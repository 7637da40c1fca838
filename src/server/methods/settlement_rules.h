#pragma once
// The status rules of settlement, free of any storage.

#include <string>
#include <string_view>
#include <vector>

namespace ped::server::rules {

// Item statuses: "1" pending, "2" confirmed, "3" approved, "7" partly served
// are open (can be settled); "4" settled, "6" settled by hand (can be undone);
// "5" cancelled.
inline bool isOpenItem(std::string_view status) {
  return status == "1" || status == "2" || status == "3" || status == "7";
}
inline bool isSettledItem(std::string_view status) { return status == "4" || status == "6"; }
inline constexpr std::string_view kSettledByHand = "6";

// Orders that can be settled by hand: "2" in progress, "6" partly served.
inline bool isSettleableOrder(std::string_view status) { return status == "2" || status == "6"; }

// The order's status from its items' statuses: some settled and some open
// "6"; none open with one settled by hand "5"; none open otherwise "3"; open
// and none settled "2".
std::string orderStatus(const std::vector<std::string>& itemStatuses);

// Quantities travel as doubles; two are the same within half a thousandth.
inline constexpr double kQuantityTolerance = 0.0005;
bool sameQuantity(double a, double b);
// Rounded to millionths, so sums of typed quantities do not leave dust.
double roundQuantity(double q);

}  // namespace ped::server::rules
