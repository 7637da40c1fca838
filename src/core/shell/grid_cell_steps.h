#pragma once
// The steps both painted grids of the screen share: the background and the
// selection, the text of a stored cell, and the mark column's picture.

#include <string>
#include <string_view>

#include "core/shell/cell_painting.h"
#include "engine/data_set.h"

namespace ped::core {

// Background clInfoBk and `textColour`, or clHighlight and clCaptionText
// for a selected cell; the focus rectangle for a focused one.
CellPainting startCell(CellColour textColour, CellState state);

// The mark column shows only its picture (or nothing): the second fill
// covers the text and the focus rectangle.
void finishMarkCell(CellPainting& cell, const MarkImage* image);

// The picture for a mark: "N" the empty box, "S" the ticked box, the grid's
// `unmarkableMark` the grey box; none for anything else.
const MarkImage* markImage(std::string_view mark, std::string_view unmarkableMark);

// The text stored at `row` (a position of the view) in field `name`; empty
// for null.
std::string_view textAt(const engine::DataSet& rows, std::size_t row, std::string_view name);

// A stored cell as the field's own text gives it: Brazilian decimal comma,
// dates as dd/mm/yyyy.
std::string editText(const engine::Field& field, const engine::CellView& cell);

bool isField(std::string_view columnField, std::string_view name);

}  // namespace ped::core
