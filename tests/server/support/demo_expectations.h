#pragma once
// What an order's status says about its items, as the screen reads them:
//   '2' every item open (1, 2, 3, 7);  '6' some open, some settled (4, 6);
//   '3' nothing open, nothing settled by hand, something settled;
//   '5' nothing open, something settled by hand (6).

#include <algorithm>
#include <string>
#include <vector>

namespace ped::server::demo {

// "" when `items` agree with `orderStatus`, else what is wrong.
inline std::string orderStatusProblem(char orderStatus, const std::vector<char>& items) {
  const auto any = [&](const std::string& of) {
    return std::any_of(items.begin(), items.end(), [&](char s) { return of.find(s) != std::string::npos; });
  };
  if (items.empty() || items.size() > 8) return "1 to 8 items expected";
  if (std::any_of(items.begin(), items.end(), [](char s) { return s < '1' || s > '7'; }))
    return "unknown item status";
  switch (orderStatus) {
    case '2':
      return any("456") ? "an item of an order in progress is not open" : "";
    case '6':
      return any("1237") && any("46") ? "" : "a partly served order needs open and settled items";
    case '3':
      return !any("12376") && any("4") ? "" : "a liquidated order has open or hand-settled items";
    case '5':
      return !any("1237") && any("6") ? "" : "an order settled by hand needs a '6' item and none open";
    default:
      return "unknown order status";
  }
}

}  // namespace ped::server::demo
