#pragma once
// What the allocation rows on this screen already hold at each stock
// position, for the lot proposal.

#include <map>
#include <set>
#include <string>

namespace ped::core {

// Per position (its four keys joined): the current item's rows whole (they
// replace its reservation, which the look-up counts as available to it), and
// other items' rows of the same product beyond their own reservation there,
// since the server does not know them before confirmation.
struct ScreenBookings {
  std::map<std::string, double> byPosition;
  std::set<std::string> itemPositions;  // where the current item has a row
  double heldByItem = 0;                // all the current item's rows hold
};

}  // namespace ped::core
