#pragma once
// Which cells of the allocation grid take typing and which offer the
// ellipsis button: the one rule the grid's options and the operator's typing
// both follow.

#include <string_view>

#include "engine/data_set.h"

namespace ped::core {

class TfrmLiquidaItem;

struct AllocationCellAccess {
  bool typing = false;  // the operator may type into the cell
  bool button = false;  // its editor shows the ellipsis button
};

// The four keys of a stock position.
bool isStockKeyField(std::string_view field);

// The current item's rows may not change: no current item, or its status,
// read as a whole number, is above 3 (settled, cancelled) other than partly
// served. A status that is not a whole number allows nothing either.
bool allocationRowsLocked(const engine::DataSet& items);

// The cell of `field` in the current row: keys only in a row being
// inserted (with the button), the quantity in any row, the available
// quantity, unit and lot entry never; nothing while the rows are locked.
AllocationCellAccess allocationCellAccess(std::string_view field, const engine::DataSet& rows,
                                          const engine::DataSet& items);

// The item page shows and the allocation grid has the focus: where the
// toolbar's row actions and the confirm and cancel buttons act on the rows.
bool allocationGridInUse(const TfrmLiquidaItem& screen);

// The rows are being inserted or edited.
bool allocationRowPending(const engine::DataSet& rows);

}  // namespace ped::core
