#include "views/grid_cursor.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <QTimer>
#include <memory>

#include "engine/data_set.h"

namespace ped::views {

void followCursor(QTableView& view, hostlib::Grid& grid, EventRunner run) {
  engine::DataSet* ds = grid.dataSource;
  if (ds == nullptr) return;
  QPointer<QTableView> guard(&view);
  // Set while the view follows the data set, so that move is not sent back.
  auto following = std::make_shared<bool>(false);
  auto showCursor = [guard, ds, following] {
    // Mid-walk (a busy indicator may run the event loop) the cursor is not
    // where the walk will leave it; the walk's end says when it is.
    if (!guard || !ds->active() || ds->isEmpty() || ds->controlsDisabled() || guard->model() == nullptr)
      return;
    const int row = static_cast<int>(ds->recNo()) - 1;
    const QModelIndex current = guard->currentIndex();
    if (current.isValid() && current.row() == row) return;
    const QModelIndex target = guard->model()->index(row, current.isValid() ? current.column() : 0);
    *following = true;
    guard->selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    *following = false;
    guard->scrollTo(target);
  };
  const int listener = ds->addListener([showCursor, guard](engine::DataSetNotice n) {
    if (n == engine::DataSetNotice::Scrolled || n == engine::DataSetNotice::DataChanged)
      // After the model has taken the change.
      QTimer::singleShot(0, guard.data(), showCursor);
  });
  QObject::connect(&view, &QObject::destroyed, [ds, listener] { ds->removeListener(listener); });
  QObject::connect(view.selectionModel(), &QItemSelectionModel::currentRowChanged, &view,
                   [ds, run, showCursor, following](const QModelIndex& current) {
                     if (*following || !current.isValid() || !ds->active()) return;
                     const auto recNo = static_cast<std::size_t>(current.row()) + 1;
                     if (recNo != ds->recNo()) run([ds, recNo] { ds->setRecNo(recNo); });
                     showCursor();  // where the core left it, had it refused
                   });
}

}  // namespace ped::views
