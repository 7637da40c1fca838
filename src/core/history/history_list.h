#pragma once
// How the operator reads an order's settlement history: one line per
// settlement or exclusion, newest first, as the server sent them, and under
// each settlement the stock positions it took.

#include <string_view>

#include "engine/data_set.h"
#include "hostlib/dialogs.h"

namespace ped::core {

// The list window for order `order`. `history` and `positions` hold the two
// packets of GetHistorico (layouts orderHistory() and historyPositions()).
// An exclusion names the settlement it reversed, and a reversed settlement
// the exclusion that reversed it. Moves the cursors of both data sets.
hostlib::ListWindow historyList(std::string_view order, engine::DataSet& history, engine::DataSet& positions);

}  // namespace ped::core
