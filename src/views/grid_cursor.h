#pragma once
// Keeps a grid's current row and its data set's cursor together: a row the
// operator chooses moves the cursor (through the screen's event handling, so
// scroll handlers run as one event), and a cursor moved by the core selects
// its row.

#include <QTableView>
#include <functional>

#include "hostlib/controls.h"

namespace ped::views {

using EventRunner = std::function<void(const std::function<void()>&)>;

// REQUIRES: the grid and its data source outlive the view.
void followCursor(QTableView& view, hostlib::Grid& grid, EventRunner run);

}  // namespace ped::views
