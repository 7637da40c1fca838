#pragma once
// The steps every item marking shares: writing one item's mark with the
// counters kept in step, the stock check an item needs before it is marked,
// and finding an item again after a walk over the list.

#include <string>
#include <string_view>

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

// Writes `mark` on the current item of cdsItemPedido (edit, assign, post)
// and has `marking` count the change. The only writer of an item's mark.
// REQUIRES: cdsItemPedido has a current row and no pending edit.
void setItemMark(TfrmLiquidaItem& s, std::string_view mark);

// The current item's mark and status.
std::string itemMark(const TfrmLiquidaItem& s);
std::string itemStatus(const TfrmLiquidaItem& s);

// The stock check of the current item: Vd_EvolEstq for an item whose
// allocation is still to come (not settled, cancelled or settled by hand);
// a refusal shows its message and aborts. The item list is not reloaded
// meanwhile, so the other items keep their marks.
void checkItemStock(TfrmLiquidaItem& s);

// Puts cdsItemPedido back on item `number` (NRITEMPED, case-insensitive).
void returnToItem(TfrmLiquidaItem& s, const std::string& number);

// Whether `column` (an index of the item grid's columns) is the mark column.
bool isItemMarkColumn(const TfrmLiquidaItem& s, std::size_t column);

}  // namespace ped::core
