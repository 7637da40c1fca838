#include "views/marking_grid_events.h"

#include <QEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <utility>

#include "engine/data_set.h"
#include "hostlib/controls.h"
#include "hostlib_qt/key_conversion.h"
#include "views/grid_model.h"

namespace ped::views {
namespace {

class MarkingGridEvents : public QObject {
 public:
  MarkingGridEvents(QTableView& view, const hostlib::Grid& grid, MarkingGridHandlers handlers,
                    EventRunner run)
      : QObject(&view), view_(view), grid_(grid), handlers_(std::move(handlers)), run_(std::move(run)) {
    view.setSortingEnabled(false);
    // The table selects a column when its title is pressed, which would move
    // the cursor to the first row: a title click is the screen's alone.
    QObject::disconnect(view.horizontalHeader(), SIGNAL(sectionPressed(int)), &view, nullptr);
    QObject::disconnect(view.horizontalHeader(), SIGNAL(sectionEntered(int)), &view, nullptr);
    view.installEventFilter(this);
    view.viewport()->installEventFilter(this);
    connect(view.horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
      const std::size_t column = model().gridColumn(section);
      run_([this, column] { handlers_.titleClick(column); });
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == view_.viewport()) mouse(event);
    if (watched == &view_ && event->type() == QEvent::KeyPress) return key(static_cast<QKeyEvent*>(event));
    return false;
  }

 private:
  const GridModel& model() const { return *static_cast<const GridModel*>(view_.model()); }

  // A click is a left press and release on one cell; the second click of a
  // double click counts as a click too. The view moves the cursor on the
  // press, before this sees the release.
  void mouse(QEvent* event) {
    const auto type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick &&
        type != QEvent::MouseButtonRelease)
      return;
    const auto* m = static_cast<QMouseEvent*>(event);
    if (m->button() != Qt::LeftButton) return;
    const QModelIndex at = view_.indexAt(m->position().toPoint());
    if (type != QEvent::MouseButtonRelease) {
      pressed_ = {at.row(), at.column()};
      return;
    }
    // By position: the move on the press may post the row left and so
    // reset the model (the mark column keeps its list in edit mode).
    const bool click = at.isValid() && pressed_ == std::pair{at.row(), at.column()};
    pressed_ = {-1, -1};
    if (!click) return;
    // A row the core refused to move to gets no click.
    const engine::DataSet* ds = grid_.dataSource;
    if (ds == nullptr || !ds->active() || ds->recNo() != static_cast<std::size_t>(at.row()) + 1) return;
    const std::size_t column = model().gridColumn(at.column());
    run_([this, column] { handlers_.cellClick(column); });
  }

  bool key(const QKeyEvent* event) {
    const int vk = hostlib_qt::virtualKey(event->key());
    if (vk == 0) return false;
    const unsigned shift = hostlib_qt::shiftState(event->modifiers());
    // A key whose handling the core broke off (a refusal) was still its own.
    bool used = true;
    run_([this, vk, shift, &used] { used = handlers_.keyDown(vk, shift); });
    return used;
  }

  QTableView& view_;
  const hostlib::Grid& grid_;
  MarkingGridHandlers handlers_;
  EventRunner run_;
  std::pair<int, int> pressed_{-1, -1};  // the cell pressed: row, section
};

}  // namespace

void forwardMarkingEvents(QTableView& view, const hostlib::Grid& grid, MarkingGridHandlers handlers,
                          EventRunner run) {
  new MarkingGridEvents(view, grid, std::move(handlers), std::move(run));
}

}  // namespace ped::views
