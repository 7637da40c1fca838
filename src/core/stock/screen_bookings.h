#pragma once
// What the allocation rows on this screen already hold at each stock
// position: the one figure of what a position still offers the current
// item, shared by the lot proposal, the pick list and the sub-lot check.

#include <map>
#include <set>
#include <string>

#include "engine/data_set.h"

namespace ped::core {

class TfrmLiquidaItem;

// Per position (its four keys joined): the current item's rows whole (they
// replace its reservation, which the look-up counts as available to it), and
// other items' rows of the same product beyond their own reservation there,
// since the server does not know them before confirmation. A row being
// edited is left out as last posted: its new figure replaces it.
struct ScreenBookings {
  std::map<std::string, double> byPosition;
  std::set<std::string> itemPositions;  // where the current item has a row
  double heldByItem = 0;                // all the current item's rows hold
};

// The four keys of the current row of `rows`, joined.
std::string positionKey(const engine::DataSet& rows);

// The bookings of the current item's product at its branch. Refills the
// shadow copy cdsEvolEstAux.
ScreenBookings bookingsOf(TfrmLiquidaItem& screen);

// What the item may still take at the looked-up position, the current row
// of `position` (a GetPosEstq answer): its free quantity and the item's own
// reservation there, less this screen's bookings.
double availableTo(const engine::DataSet& position, const ScreenBookings& booked);

}  // namespace ped::core
