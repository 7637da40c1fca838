#pragma once
// The operator's clicks and keys in a grid whose first column carries marks
// (the order and item grids), forwarded to the screen's handlers. The view
// decides nothing: a cell click goes once the data set's cursor stands on
// the clicked row, a title click goes as it is (the view never sorts), and a
// key the handlers used is not handled again by the table.

#include <QTableView>
#include <cstddef>
#include <functional>

#include "views/grid_cursor.h"

namespace ped::hostlib {
class Grid;
}

namespace ped::views {

// The screen's handlers of one grid. Columns are indexes into the grid's
// columns.
struct MarkingGridHandlers {
  std::function<void(std::size_t column)> cellClick;
  std::function<void(std::size_t column)> titleClick;
  // Whether the key was used.
  std::function<bool(int key, unsigned shift)> keyDown;
};

// REQUIRES: `view` shows `grid` through a GridModel and follows its cursor
// (followCursor); the grid and its data source outlive the view. `run` runs
// a handler as one event of the screen.
void forwardMarkingEvents(QTableView& view, const hostlib::Grid& grid, MarkingGridHandlers handlers,
                          EventRunner run);

}  // namespace ped::views
