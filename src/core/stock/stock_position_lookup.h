#pragma once
// The server's stock positions of the current item's product (GetPosEstq),
// as the key checks and the pick list ask for them.

#include <string>

namespace ped::core {

class TfrmLiquidaItem;

// The keys sent; an empty key leaves that key open, a single blank asks for
// positions without it.
struct PositionKeys {
  std::string warehouse, location, lot, subLot;
};

// Loads into cdsPesqEvolEst the positions of the current item's product at its
// branch that match `keys` and have something available for the item, under
// the busy indicator. A failure of the call shows its message and throws
// hostlib::Abort; cdsPesqEvolEst is then unchanged.
void loadStockPositions(TfrmLiquidaItem& screen, const PositionKeys& keys);

// Whether the allocation rows have a row being inserted or edited.
bool allocationPending(const TfrmLiquidaItem& screen);

}  // namespace ped::core
