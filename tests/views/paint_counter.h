#pragma once
// Counts the paints a widget receives, for checks that a change is drawn
// once rather than row by row.

#include <QEvent>
#include <QWidget>

namespace ped::views::testing {

class PaintCounter : public QObject {
 public:
  // REQUIRES: `w` outlives the counter.
  explicit PaintCounter(QWidget* w) { w->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    paints += event->type() == QEvent::Paint;
    return false;
  }
  int paints = 0;
};

}  // namespace ped::views::testing
