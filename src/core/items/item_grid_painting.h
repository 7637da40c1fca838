#pragma once
// How the item grid (dbgItemPedido) paints a cell: as the order grid, with
// the item statuses' colours and texts, right-aligned quantities and money,
// and the product code in the host's product-code mask.

#include <cstddef>
#include <string>
#include <string_view>

#include "core/shell/cell_painting.h"
#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "hostlib/messages.h"

namespace ped::core {

// The cell of `items` at view position `row` shown in `grid.columns[column]`.
// `productMask` is the edit mask CDARVPROD is laid into; the status texts
// come from `messages`. A row or column that no longer exists gives an empty
// cell. Changes nothing.
CellPainting paintItemCell(const engine::DataSet& items, const hostlib::Grid& grid,
                           const hostlib::TMessages& messages, std::string_view productMask, std::size_t row,
                           std::size_t column, CellState state);

// The picture for an item's mark: "N", "S", empty (cannot be marked); none
// for anything else.
const MarkImage* itemMarkImage(std::string_view mark);

}  // namespace ped::core
