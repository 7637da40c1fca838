#pragma once
// How the order grid (dbgPadrao) paints a cell: tooltip background, a text
// colour per order status, the status as a two-letter text, and the mark as
// a check-box picture.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/shell/cell_painting.h"
#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "hostlib/messages.h"

namespace ped::core {

// The cell of `orders` at view position `row` shown in `grid.columns[column]`.
// The status texts come from `messages` ("AN", "LQ", "PA"). A row or column
// that no longer exists gives an empty cell. Reads only: the grid's handler
// (TfrmLiquidaItem::dbgPadraoDrawColumnCell) adds what painting changes.
CellPainting paintOrderCell(const engine::DataSet& orders, const hostlib::Grid& grid,
                            const hostlib::TMessages& messages, std::size_t row, std::size_t column,
                            CellState state);

// An order's status as the grid's status column shows it ("AN", "LQ", "PA"
// from `messages`); empty for a status shown blank.
std::string orderStatusText(const hostlib::TMessages& messages, std::string_view status);

// The colour of an order's status, in the grid and in the order's caption:
// in progress olive, settled purple, partly served teal; none for another.
std::optional<CellColour> orderStatusColour(std::string_view status);

// The picture for an order's mark: "N", "S", "B"; none for anything else.
const MarkImage* orderMarkImage(std::string_view mark);

}  // namespace ped::core
