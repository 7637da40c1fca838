#pragma once
// Writing one order's mark, and the small reads the order marking rules
// share.

#include <cstddef>
#include <string_view>

#include "core/shell/Cli_ped00800.h"

namespace ped::core {

enum class CascadeFailure {
  KeepsMark,      // the order keeps its mark and the failure goes on
  MarkGoesAnyway  // the mark is written all the same; the failure stops here
};

// Writes `mark` into the current order of cdsPedido (edit, assign, post);
// the mark cascade runs inside the assignment. inContDesabilitadosPed
// follows the number of "B" marks. When the cascade fails (GetItem), its
// message has been shown; `onFailure` says what becomes of the mark.
// REQUIRES: cdsPedido has a current row.
void assignOrderMark(TfrmLiquidaItem& screen, std::string_view mark,
                     CascadeFailure onFailure = CascadeFailure::KeepsMark);

// The orders of cdsPedido marked "B", counted without moving the cursor.
int countBlockedOrders(const engine::DataSet& orders);

// Whether `column` of the order grid shows the mark.
bool isMarkColumn(const hostlib::Grid& grid, std::size_t column);

// The stock check of the current order: its items fetched (GetItem) under
// the busy indicator, which goes down once they came, then Vd_EvolEstq for
// every item that is not liquidated, cancelled or liquidated by hand. A
// refusal aborts, the order's mark untouched.
void checkOrderStock(TfrmLiquidaItem& screen);

}  // namespace ped::core
